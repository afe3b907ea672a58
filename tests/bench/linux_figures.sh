#!/usr/bin/env bash
# Figures of the Linux program (printed, never asserted): frames per second, CPU and
# CPU time per frame of vtl3d beside an OpenGL hack of Debian's XScreenSaver (gears),
# both drawn the same way: on the root window of a private 1024x768 Xvfb through Mesa's
# software renderer, paced at 50 frames per second (vtl3d -timing-fps 50; gears
# -delay 20000, its wait between frames) and unpaced. Frames are counted by Mesa itself
# (GALLIUM_HUD_DUMP_DIR), the same way for both programs.
#   bash tests/bench/linux_figures.sh [SECONDS]      (after the native build)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bin=${VTL_BIN:-$top/build/native/bin}
seconds=${1:-10}
other=/usr/libexec/xscreensaver/gears
[[ -x $bin/vtl3d ]] || { echo "no $bin/vtl3d: build the native preset first" >&2; exit 1; }
[[ -x $other ]] || { echo "no $other: install xscreensaver-gl" >&2; exit 1; }
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp -noreset 7>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.05; done
export DISPLAY=:$(head -n1 "$work/display")
ticks=$(getconf CLK_TCK)

# measure NAME COMMAND...: runs the command for $seconds, prints one row.
measure() {
    local name=$1 hud=$work/hud-$1
    shift
    mkdir -p "$hud"
    GALLIUM_HUD=fps GALLIUM_HUD_DUMP_DIR=$hud "$@" >"$work/$name.log" 2>&1 &
    local pid=$!
    pids+=($pid)
    sleep 2  # start-up (unpacking, first frames) is not what is measured
    local cpu0 t0 cpu1 t1
    cpu0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    t0=$(date +%s.%N)
    sleep "$seconds"
    cpu1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    t1=$(date +%s.%N)
    local hwm
    hwm=$(awk '/VmHWM/{print $2}' "/proc/$pid/status")
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    # The HUD writes one frame rate per period; the first two seconds' rows are dropped.
    awk -v name="$name" -v c0="$cpu0" -v c1="$cpu1" -v t0="$t0" -v t1="$t1" -v tck="$ticks" -v hwm="$hwm" '
        { n++; if (n > 4) { sum += $1; m++ } }
        END {
            fps = m ? sum / m : 0; wall = t1 - t0; cpu = (c1 - c0) / tck
            printf "%-22s %8.1f %8.2f %12.2f %10.0f\n", name, fps, cpu / wall, fps ? 1000 * cpu / (fps * wall) : 0, hwm / 1024
        }' "$hud/fps"
}

echo "== $seconds s each on a private 1024x768 Xvfb, Mesa llvmpipe; $(nproc) cores"
printf "%-22s %8s %8s %12s %10s\n" program "frames/s" cores "CPU ms/frame" "peak MB"
measure vtl3d-50fps "$bin/vtl3d" -root -no-sounds -timing-fps 50
measure gears-delay20000 "$other" -root -delay 20000
measure vtl3d-unpaced "$bin/vtl3d" -root -no-sounds -timing-fps 1000
measure gears-unpaced "$other" -root -delay 0
echo "== load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
