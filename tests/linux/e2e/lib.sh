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

# The per-user folder of a user (by id) that every instance unpacks under, each into
# a folder of its own; the last instance to end removes it. The session's runtime
# folder would come first: the scripts name their temporary folder themselves.
unset XDG_RUNTIME_DIR
scratch_of() { echo "${TMPDIR:-/tmp}/vtl3d-$1"; }

# alsoft_wave NAME: an OpenAL Soft configuration (printed) whose only output is the
# wave file $L_OUT/NAME.wav; an instance that never opens a device writes no file.
alsoft_wave() {
    printf '[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n[wave]\nfile = %s\n' \
        "$L_OUT/$1.wav" >"$L_OUT/$1.conf"
    echo "$L_OUT/$1.conf"
}

# wave_level FILE: "seconds left right" (RMS levels, 0..1) of a wave that OpenAL
# Soft's writer finished (16-bit stereo, as alsoft_wave configures it).
wave_level() {
    python3 - "$1" <<'PY'
import sys, struct, array, math
# OpenAL Soft writes WAVE_FORMAT_EXTENSIBLE, which Python's wave module refuses.
data = open(sys.argv[1], 'rb').read()
at, pcm, rate = 12, b'', 44100
while at + 8 <= len(data):
    tag, size = data[at:at + 4], struct.unpack('<I', data[at + 4:at + 8])[0]
    body = data[at + 8:at + 8 + size]
    if tag == b'fmt ': rate = struct.unpack('<I', body[4:8])[0]
    if tag == b'data': pcm = body
    at += 8 + size + (size & 1)
samples = array.array('h', pcm[: len(pcm) // 4 * 4])
left, right = samples[0::2], samples[1::2]
rms = lambda s: math.sqrt(sum(x * x for x in s) / max(len(s), 1)) / 32768
print(f"{len(left) / rate:.1f} {rms(left):.4f} {rms(right):.4f}")
PY
}

# heard FILE: true when both channels of the finished wave carry sound.
heard() {
    local seconds left right
    read -r seconds left right < <(wave_level "$1")
    awk -v l="$left" -v r="$right" 'BEGIN{exit !(l > 0.003 && r > 0.003)}'
}

# end_hack PID: SIGTERM, then fails unless it ends within 5 s with code 0.
end_hack() {
    local code=0
    kill -0 "$1" 2>/dev/null || fail "the hack $1 ended on its own"
    kill -TERM "$1"
    wait_gone "$1" 5 || fail "SIGTERM did not end the hack $1"
    wait "$1" || code=$?
    ((code == 0)) || fail "the hack $1 ended with $code"
}
