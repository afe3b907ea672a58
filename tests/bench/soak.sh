#!/usr/bin/env bash
# Soak figures (printed, never asserted): the Windows saver with sounds under the Wine
# bed, beside the floor program (floord3d8) under the same Wine for the same time so
# that Wine's own growth can be told from the saver's, and the Linux hack with sounds
# on a private Xvfb; all three at once, sampled every INTERVAL seconds:
#   memory (resident, private), handles, GDI and USER objects, top-level windows
#   (Windows side, asked of the process by procstat.exe), descriptors and threads
#   (from /proc, for every process), frames drawn and sounds started.
# Frames are the renderer's own rate reports summed over time: Wine's fps trace
# channel for the Windows programs, Mesa's HUD dump for the hack. Sounds are the play
# requests the audio back ends record when VTL_AUDIO_REQUESTS names a file (the two
# loops counted apart from the street and near samples).
#   bash tests/bench/soak.sh [--minutes M | --seconds S] [--interval S] [--out DIR]
#        [--only wine|hack] [--fps N] [--hack-fps N] [--display N]
# Defaults: 60 minutes, every 30 s, build/soak, saver and floor at TimingFPS 1000, the
# hack at 50, displays :101 (Wine) and :102 (hack). The tables are DIR/saver.tsv,
# DIR/floor.tsv and DIR/hack.tsv; the summary (growth per hour after the first 5
# minutes, or after the first fifth of a shorter run) is printed at the end and kept in
# DIR/summary.txt. tests/bench/soak_summary.sh prints it again from the tables.
# Sound is heard by nobody: the bed's ALSA file and OpenAL's wave writer both write
# to /dev/null, which an hour of capture would otherwise fill the disk with.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/../.." && pwd)
args_given=("$@")
seconds=3600 interval=30 out=$top/build/soak only="" fps=1000 hack_fps=50 display=101 part=""
while (($#)); do
    case $1 in
        --minutes) seconds=$(($2 * 60)); shift ;;
        --seconds) seconds=$2; shift ;;
        --interval) interval=$2; shift ;;
        --out) out=$2; shift ;;
        --only) only=$2; shift ;;
        --fps) fps=$2; shift ;;
        --hack-fps) hack_fps=$2; shift ;;
        --display) display=$2; shift ;;
        --part) part=$2; shift ;;
        *) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2 ;;
    esac
    shift
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
source "$here/soak_lib.sh"

if [[ -z $part ]]; then
    echo "== soak: $seconds s, a sample every $interval s; tables in $out; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
    rm -f "$out"/*.tsv "$out"/*.log "$out"/summary.txt
    pids=()
    args=(--seconds "$seconds" --interval "$interval" --out "$out" --fps "$fps" --hack-fps "$hack_fps")
    if [[ $only != wine ]]; then
        bash "$0" "${args[@]}" --display $((display + 1)) --part hack >"$out/hack-part.log" 2>&1 &
        pids+=($!)
    fi
    if [[ $only != hack ]]; then
        bash "$0" "${args[@]}" --display "$display" --part wine >"$out/wine-part.log" 2>&1 &
        pids+=($!)
    fi
    trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' INT TERM
    code=0
    for p in "${pids[@]}"; do wait "$p" || code=$?; done
    for f in "$out"/wine-part.log "$out"/hack-part.log; do
        [[ -f $f ]] && grep -E '^(soak|FAIL|winebed)' "$f" || true
    done
    bash "$here/soak_summary.sh" "$out" | tee "$out/summary.txt"
    exit $code
fi

trap soak_end_all EXIT
if [[ $part == hack ]]; then
    soak_hack "$seconds" "$interval" "$out" "$hack_fps" "$display"
    exit 0
fi

# The Windows side, inside the bed (lib.sh re-runs this script there).
export WINEBED_DISPLAY=$display
set -- "${args_given[@]}"
E2E_BED_OPTIONS="--timeout $((seconds + 900))"
source "$top/tests/e2e/lib.sh"
soak_wine "$seconds" "$interval" "$out" "$fps"
