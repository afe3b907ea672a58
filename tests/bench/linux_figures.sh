#!/usr/bin/env bash
# Figures of the Linux program (printed, never asserted): frames per second, cores, CPU
# time per frame and peak memory of vtl3d beside its floor (floorgl: the same geometry,
# pictures and states drawn straight into the window with the fewest GL calls) and
# beside an OpenGL hack of Debian's XScreenSaver (gears), all drawn the same way: on the
# root window of a private 1024x768 Xvfb through Mesa's software renderer, paced at 50
# frames per second (vtl3d -timing-fps 50, floorgl 50; gears -delay 20000, its wait
# between frames) and unpaced. Frames are counted by Mesa itself (GALLIUM_HUD_DUMP_DIR),
# the same way for every program; CPU and peak memory come from /proc. The programs
# take turns, each pacing RUNS times, and the load average is printed with every row:
# on a shared machine CPU time per frame is the figure to trust, not wall time.
#   bash tests/bench/linux_figures.sh [--profile] [SECONDS [RUNS]]   (after the native
#   build; defaults 10 s and 2 runs, about 3 minutes)
# --profile then adds the floor's variants once each, paced at 50 (about 2 minutes more):
# their differences split a frame's cost (see tests/linux/tools/figures/floorgl.cpp).
# VTL_BIN names the folder of vtl3d, vtlpack and floorgl (default build/native/bin);
# VTL_FIGURES_DISPLAY a display number for the Xvfb (default: the first free one).
# It builds nothing. Without gears (package xscreensaver-gl) its rows are left out.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bin=${VTL_BIN:-$top/build/native/bin}
profile=0
if [[ ${1:-} == --profile ]]; then profile=1; shift; fi
seconds=${1:-10}
runs=${2:-2}
gears=/usr/libexec/xscreensaver/gears
for tool in vtl3d vtlpack floorgl; do
    [[ -x $bin/$tool ]] || { echo "no $bin/$tool: build the native preset first" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "no Xvfb" >&2; exit 1; }
[[ -x $gears ]] || { echo "(no $gears: install xscreensaver-gl for its rows)"; gears=""; }
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
if [[ -n ${VTL_FIGURES_DISPLAY:-} ]]; then
    Xvfb ":$VTL_FIGURES_DISPLAY" -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null &
    pids+=($!)
    echo "$VTL_FIGURES_DISPLAY" >"$work/display"
    sleep 1
else
    Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp -noreset 7>"$work/display" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.05; done
fi
export DISPLAY=:$(head -n1 "$work/display")
# A home of its own: the saver keeps nothing there, but nothing of the user's is read.
export HOME=$work/home
mkdir -p "$HOME"
"$bin/vtlpack" extract "$bin/vtl3d.pak" "$work/assets" >/dev/null
ticks=$(getconf CLK_TCK)

# measure NAME COMMAND...: runs the command for $seconds, appends one row to rows.
measure() {
    local name=$1 hud=$work/hud-$1-$RANDOM
    shift
    mkdir -p "$hud"
    GALLIUM_HUD=fps GALLIUM_HUD_DUMP_DIR=$hud "$@" >"$work/$name.log" 2>&1 &
    local pid=$!
    pids+=($pid)
    sleep 2  # start-up (unpacking, first frames) is not what is measured
    local cpu0 t0 cpu1 t1 hwm
    cpu0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    t0=$(date +%s.%N)
    sleep "$seconds"
    cpu1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    t1=$(date +%s.%N)
    hwm=$(awk '/VmHWM/{print $2}' "/proc/$pid/status")
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    local load
    load=$(cut -d' ' -f1 /proc/loadavg)
    # The HUD writes one frame rate per period; the first two seconds' rows are dropped.
    awk -v name="$name" -v c0="$cpu0" -v c1="$cpu1" -v t0="$t0" -v t1="$t1" -v tck="$ticks" -v hwm="$hwm" \
        -v load="$load" '
        { n++; if (n > 4) { sum += $1; m++ } }
        END {
            fps = m ? sum / m : 0; wall = t1 - t0; cpu = (c1 - c0) / tck
            printf "%-16s %8.1f %8.2f %12.2f %10.1f %6s\n", name, fps, cpu / wall,
                   fps ? 1000 * cpu / (fps * wall) : 0, hwm / 1024, load
        }' "$hud/fps" | tee -a "$work/rows"
}

header() { printf "%-16s %8s %8s %12s %10s %6s\n" program "frames/s" cores "CPU ms/frame" "peak MB" load; }

echo "== $runs runs of $seconds s each on a private 1024x768 Xvfb, Mesa llvmpipe; $(nproc) cores;" \
    "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for pacing in 50 unpaced; do
    if [[ $pacing == 50 ]]; then fps=50 delay=20000; else fps=1000 delay=0; fi
    echo "-- $([[ $pacing == 50 ]] && echo "paced at 50 frames/s (gears -delay 20000)" || echo "unpaced")"
    header
    : >"$work/rows"
    for _ in $(seq "$runs"); do
        measure saver "$bin/vtl3d" -root -no-sounds -timing-fps "$fps"
        measure floor "$bin/floorgl" "$work/assets" "$fps" 0
        if [[ -n $gears ]]; then measure gears "$gears" -root -delay "$delay"; fi
    done
    # Means over the runs, and the saver beside the floor.
    awk '
        { fps[$1] += $2; cores[$1] += $3; cpf[$1] += $4; mb[$1] += $5; n[$1]++ }
        END {
            split("saver floor gears", order)
            for (i = 1; i <= 3; i++) if ((p = order[i]) in n) printf "%-16s %8.1f %8.2f %12.2f %10.1f  (mean)\n", p, fps[p] / n[p], cores[p] / n[p],
                                 cpf[p] / n[p], mb[p] / n[p]
            if (n["floor"] && cpf["floor"] > 0 && mb["floor"] > 0)
                printf "saver / floor: CPU per frame %.2fx, cores %.2fx, peak memory %.2fx\n",
                       (cpf["saver"] / n["saver"]) / (cpf["floor"] / n["floor"]),
                       (cores["saver"] / n["saver"]) / (cores["floor"] / n["floor"]),
                       (mb["saver"] / n["saver"]) / (mb["floor"] / n["floor"])
        }' "$work/rows"
done
if ((profile)); then
    echo "-- the floor's variants, paced at 50 frames/s"
    header
    for variant in full blit plain background skull tinyskull backonly point clear; do
        measure "floor-$variant" "$bin/floorgl" "$work/assets" 50 0 "$variant"
    done
fi
echo "== load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
