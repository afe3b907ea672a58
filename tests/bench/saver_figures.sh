#!/usr/bin/env bash
# Figures of the saver under Wine (printed, never asserted), beside its floor: a
# minimal Direct3D 8 program (floord3d8) that draws the same geometry with the same
# states and presents the same way, and a bare device (mind3d8) for memory and for the
# time to a first present.
#   bash tests/bench/saver_figures.sh [--runs N] [--seconds S] [--profile] [--no-csmt]
# (after both builds). Each figure is the median of N runs (default 3) of S seconds
# (default 10), floor and saver taking turns; the load average is printed beside each.
# --profile adds the floor's variants, whose differences split a frame's cost.
# --no-csmt runs everything with Wine's Direct3D command-stream thread off (the bed's
# own prefix, put back at the end): that thread and the caller's Present poll while
# they wait, which costs up to a core on top of the drawing (docs/wine-and-windows.md).
E2E_BED_OPTIONS="--timeout 1800"
source "$(dirname "$0")/../e2e/lib.sh"
runs=3 seconds=10 profile=0 csmt=1
while (($#)); do
    case $1 in
        --runs) runs=$2; shift ;;
        --seconds) seconds=$2; shift ;;
        --profile) profile=1 ;;
        --no-csmt) csmt=0 ;;
        *) echo "usage: saver_figures.sh [--runs N] [--seconds S] [--profile] [--no-csmt]" >&2; exit 2 ;;
    esac
    shift
done
settings_reset
setting EnableSounds 0
wine_d3d='HKCU\Software\Wine\Direct3D'
if ((csmt == 0)); then
    trap 'timeout 60 wine reg delete "$wine_d3d" /v csmt /f >/dev/null 2>&1 || true' EXIT
    timeout 60 wine reg add "$wine_d3d" /v csmt /t REG_DWORD /d 0 /f >/dev/null 2>&1
    echo "== Wine's Direct3D command-stream thread: off"
else
    echo "== Wine's Direct3D command-stream thread: on (Wine's default)"
fi

assets=$WINEBED_DIR/floor-assets
rm -rf "$assets"
"$VTL_NATIVE_BIN/vtlpack" extract "$VTL_WIN_BIN/vtl3d.pak" "$assets" >/dev/null
assets_win=$(winepath -w "$assets" 2>/dev/null | tr -d '\r')

load() { cut -d' ' -f1-3 /proc/loadavg; }
# value KEY TEXT: the number after KEY in a figures program's output.
value() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ a[NR] = $1 } END { if (NR) print a[int((NR + 1) / 2)]; else print "n/a" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
# A run that fails is said on stderr and leaves its figures out of the medians.
figures() {
    local out
    if out=$(timeout 180 wine "$@" 2>"$WINEBED_DIR/figures.err"); then
        tr -d '\r' <<<"$out"
    else
        local code=$?
        echo "figures: $(basename "$1") ${*:2} failed with exit $code: $(tail -n 3 "$WINEBED_DIR/figures.err" | tr -d '\r' | tr '\n' ' ')" >&2
    fi
}

echo "== bare Direct3D 8 device ($runs runs)"
bare_mb="" bare_start=""
for ((i = 0; i < runs; i++)); do
    out=$(figures "$VTL_WIN_BIN/mind3d8.exe")
    bare_mb+=" $(value peak-mb "$out")" bare_start+=" $(value first-present-ms "$out")"
    echo "bare: first-present-ms $(value first-present-ms "$out") peak-mb $(value peak-mb "$out")   load $(load)"
done
bare_mb=$(median <<<"$bare_mb") bare_start=$(median <<<"$bare_start")
saver_start=""

declare -A fps cpu cpf mb F C P M
for timing in 50 1000; do
    echo "== TimingFPS $timing, $runs runs of $seconds s each, floor and saver in turn"
    for who in floor saver; do fps[$who]="" cpu[$who]="" cpf[$who]="" mb[$who]=""; done
    for ((i = 0; i < runs; i++)); do
        for who in floor saver; do
            if [[ $who == floor ]]; then
                out=$(figures "$VTL_WIN_BIN/floord3d8.exe" "$assets_win" "$timing" "$seconds" full)
            else
                out=$(figures "$VTL_WIN_BIN/scenefigures.exe" "$timing" "$seconds")
            fi
            f=$(value frames-per-second "$out") c=$(value cpu-ms-per-second "$out")
            pf=$(value cpu-ms-per-frame "$out") m=$(value peak-mb "$out")
            fps[$who]+=" $f" cpu[$who]+=" $c" cpf[$who]+=" $pf" mb[$who]+=" $m"
            [[ $who == saver ]] && saver_start+=" $(value first-frame-ms "$out")"
            printf '%-5s frames/s %6s  cores %5s  cpu-ms/frame %6s  peak-mb %6s   load %s\n' \
                "$who" "$f" "$(awk -v c="$c" 'BEGIN { if (c != "") printf "%.2f", c / 1000 }')" "$pf" "$m" "$(load)"
        done
    done
    for who in floor saver; do
        F[$timing.$who]=$(median <<<"${fps[$who]}")
        C[$timing.$who]=$(median <<<"${cpu[$who]}")
        P[$timing.$who]=$(median <<<"${cpf[$who]}")
        M[$timing.$who]=$(median <<<"${mb[$who]}")
    done
done

echo "== summary (medians; load average now $(load))"
for timing in 50 1000; do
    for who in floor saver; do
        printf 'TimingFPS %-4s %-5s frames/s %6s  cores %5s  cpu-ms/frame %6s\n' "$timing" "$who" \
            "${F[$timing.$who]}" "$(awk -v c="${C[$timing.$who]}" 'BEGIN { printf "%.2f", c / 1000 }')" \
            "${P[$timing.$who]}"
    done
    # Frame cost: wall time per frame where frames are not paced, CPU time per frame
    # everywhere (the load-independent one).
    wall=$(awk -v s="${F[$timing.saver]}" -v f="${F[$timing.floor]}" \
        'BEGIN { if (s > 0 && f > 0) printf "%.2f", (1000 / s) / (1000 / f); else print "n/a" }')
    echo "TimingFPS $timing saver/floor: frames/s $(ratio "${F[$timing.saver]}" "${F[$timing.floor]}")" \
        " cores $(ratio "${C[$timing.saver]}" "${C[$timing.floor]}")" \
        " cpu per frame $(ratio "${P[$timing.saver]}" "${P[$timing.floor]}")  wall per frame $wall"
done
saver_mb=$(echo "${M[50.saver]} ${M[1000.saver]}" | tr ' ' '\n' | sort -g | tail -n1)
floor_mb=$(echo "${M[50.floor]} ${M[1000.floor]}" | tr ' ' '\n' | sort -g | tail -n1)
echo "peak memory MB: saver $saver_mb  floor $floor_mb  bare device $bare_mb" \
    " saver/bare $(ratio "$saver_mb" "$bare_mb")  saver/floor $(ratio "$saver_mb" "$floor_mb")"

echo "first frame ms after process start: saver $(median <<<"$saver_start")  bare device $bare_start"

if ((profile)); then
    variants="clear background skull plain tinyskull backonly full zclear point writeonly"
    echo "== floor variants, unpaced (TimingFPS 1000), $runs rounds of $seconds s each, medians"
    declare -A vf vc vp vm
    for ((i = 0; i < runs; i++)); do
        for variant in $variants; do
            out=$(figures "$VTL_WIN_BIN/floord3d8.exe" "$assets_win" 1000 "$seconds" "$variant")
            vf[$variant]+=" $(value frames-per-second "$out")" vc[$variant]+=" $(value cpu-ms-per-frame "$out")"
            vp[$variant]+=" $(value present-ms-per-frame "$out")" vm[$variant]+=" $(value peak-mb "$out")"
        done
        echo "round $((i + 1)) done   load $(load)"
    done
    declare -A wall cpums
    for variant in $variants; do
        f=$(median <<<"${vf[$variant]}")
        wall[$variant]=$(awk -v f="$f" 'BEGIN { if (f > 0) printf "%.1f", 1000 / f; else print 0 }')
        cpums[$variant]=$(median <<<"${vc[$variant]}")
        printf '%-10s frames/s %6s  ms/frame %6s  cpu-ms/frame %6s  of which waiting in Present %6s  peak-mb %6s\n' \
            "$variant" "$f" "${wall[$variant]}" "${cpums[$variant]}" "$(median <<<"${vp[$variant]}")" \
            "$(median <<<"${vm[$variant]}")"
    done
    part() {  # label, variant with, variant without
        printf '  %-52s %6s ms wall  %6s ms cpu\n' "$1" \
            "$(awk -v a="${wall[$2]}" -v b="${wall[$3]}" 'BEGIN { printf "%.1f", a - b }')" \
            "$(awk -v a="${cpums[$2]}" -v b="${cpums[$3]}" 'BEGIN { printf "%.1f", a - b }')"
    }
    echo "split of the floor's full frame (differences of medians; load $(load)):"
    printf '  %-52s %6s ms wall  %6s ms cpu\n' "clear and present (1024x768)" "${wall[clear]}" "${cpums[clear]}"
    part "picture quad: its pixels (linear filtering, depth)" background clear
    part "skull and glasses: vertices (and culling)" tinyskull background
    part "skull and glasses: triangle set-up and pixels" full tinyskull
    printf '  %-52s %6s ms wall  %6s ms cpu\n' "whole frame" "${wall[full]}" "${cpums[full]}"
    echo "what an equivalent but different use would change (negative: it would save):"
    part "clearing depth only" zclear full
    part "point filtering" point full
    part "write-only vertex buffers" writeonly full
fi
echo "== load average at the end: $(load)"
