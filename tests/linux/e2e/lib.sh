# Shared helpers of the Linux program's end-to-end scripts: a private Xvfb for the
# script (with GLX, Mesa's software renderer), screenshots read by xwdtool, and the
# processes the script started ended by their ids when it ends.
#   bash tests/linux/e2e/<script>.sh   (after the native build; VTL_BIN overrides)
set -euo pipefail
set -E
L_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
: "${VTL_BIN:=$L_SOURCE/build/native/bin}"
L_NAME=$(basename "$0" .sh)
L_OUT=$(mktemp -d "${TMPDIR:-/tmp}/vtl3d-$L_NAME.XXXXXX")
chmod 0755 "$L_OUT"
L_KEEP=$(dirname "$VTL_BIN")/linux-e2e/$L_NAME
mkdir -p "$L_KEEP"
L_PIDS=()
trap 'echo "FAIL: line $LINENO of $L_NAME: $BASH_COMMAND (exit $?)" >&2' ERR

l_cleanup() {
    local pid
    for pid in "${L_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${L_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$L_OUT"
}
trap l_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for f in "$L_OUT"/*.log; do [[ -f $f ]] && { echo "--- $f"; tail -n 25 "$f"; } >&2; done
    exit 1
}
skip() { echo "SKIP: $*"; exit 77; }
note() { echo "linux-e2e[$L_NAME]: $*"; }
xwdtool() { "$VTL_BIN/xwdtool" "$@"; }
shot() { xwd -root -silent >"$1"; }
keep_png() { xwdtool png "$1" "$L_KEEP/$2.png" || true; }

# start_x [WxH]: a private Xvfb; sets DISPLAY. Access control is off (the daemon test
# runs its clients as another user) and only the private socket listens.
start_x() {
    local fifo=$L_OUT/displayfd
    : >"$fifo"
    Xvfb -displayfd 7 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset -ac 7>"$fifo" 2>"$L_OUT/xvfb.log" &
    L_PIDS+=($!)
    for _ in $(seq 100); do
        [[ -s $fifo ]] && break
        sleep 0.05
    done
    [[ -s $fifo ]] || fail "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$fifo")
}

# wait_gone PID SECONDS: true once the process has ended.
wait_gone() {
    local i
    for ((i = 0; i < $2 * 10; i++)); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# brightness SHOT X0 Y0 X1 Y1: the mean of R + G + B over the rectangle.
brightness() { xwdtool mean "$@" | awk '{printf "%.1f\n", $1 + $2 + $3}'; }

# scene_check SHOT X0 Y0 W H: the scene seen in that rectangle: the city in every
# corner (not black), the middle brighter than the sky above it.
scene_check() {
    local file=$1 x0=$2 y0=$3 w=$4 h=$5 corner x y r g b centre top
    for corner in "0 0" "$((w - 40)) 0" "0 $((h - 40))" "$((w - 40)) $((h - 40))"; do
        read -r x y <<<"$corner"
        read -r r g b < <(xwdtool mean "$file" $((x0 + x)) $((y0 + y)) $((x0 + x + 40)) $((y0 + y + 40)))
        awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN{exit !(r+g+b > 6)}' || fail "corner $corner is black: no city"
    done
    local cx=$((x0 + w / 2)) cy=$((y0 + h / 2))
    centre=$(brightness "$file" $((cx - 50)) $((cy - 50)) $((cx + 50)) $((cy + 50)))
    top=$(brightness "$file" "$x0" "$y0" $((x0 + w)) $((y0 + h / 12)))
    awk -v c="$centre" -v t="$top" 'BEGIN{exit !(c > t + 20)}' || fail "the middle ($centre) is not brighter than the sky ($top)"
    note "city in every corner, middle $centre over sky $top"
}

# The private scratch folder of a user (by id).
scratch_of() { echo "${TMPDIR:-/tmp}/vtl3d-$1/qvtmptxt.\$\$\$"; }
