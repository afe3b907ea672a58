# Shared helpers of the end-to-end scripts. A script sources this file first; if it
# is not yet inside the Wine test bed it re-runs itself there (private prefix, Xvfb,
# HOME), so each script can also be started by hand:  bash tests/e2e/<script>.sh
# Needs VTL_WIN_BIN (the Windows build's bin) and VTL_NATIVE_BIN (for xwdtool).
set -euo pipefail
E2E_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
: "${VTL_WIN_BIN:=$E2E_SOURCE_DIR/build/windows/bin}"
: "${VTL_NATIVE_BIN:=$E2E_SOURCE_DIR/build/native/bin}"
: "${WINEBED:=$E2E_SOURCE_DIR/tests/winebed/winebed.sh}"
export VTL_WIN_BIN VTL_NATIVE_BIN WINEBED

if [[ -z ${WINEBED_DIR:-} ]]; then
    exec "$WINEBED" with ${E2E_BED_OPTIONS:-} -- bash "$0" "$@"
fi

E2E_NAME=$(basename "$0" .sh)
E2E_OUT=$WINEBED_DIR/out
mkdir -p "$E2E_OUT"
# Screenshots and logs worth keeping after the bed is gone.
E2E_KEEP=${E2E_KEEP:-$(dirname "$WINEBED_DIR")/e2e-artifacts/$E2E_NAME}
mkdir -p "$E2E_KEEP"

fail() {
    echo "FAIL: $*" >&2
    for f in "$E2E_OUT"/*.log; do [[ -f $f ]] && { echo "--- $f"; tail -n 20 "$f"; } >&2; done
    exit 1
}
note() { echo "e2e[$E2E_NAME]: $*"; }

# win_start LOGNAME program args...: starts a Windows program in the background; its
# process id is in WIN_PID.
win_start() {
    local log=$E2E_OUT/$1.log
    shift
    timeout -k 5 120 wine "$@" >"$log" 2>&1 &
    WIN_PID=$!
}

# win_wait PID [SECONDS]: waits for a background program; its exit code is in WIN_CODE.
win_wait() {
    local pid=$1 limit=${2:-30} i
    for ((i = 0; i < limit * 10; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        WIN_CODE=timeout
        return 1
    fi
    set +e
    wait "$pid"
    WIN_CODE=$?
    set -e
}

# window_id NAME [SECONDS]: the first visible window whose title matches NAME.
window_id() {
    local name=$1 limit=${2:-20} i id
    for ((i = 0; i < limit * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

shot() { xwd -root -silent >"$1"; }
xwdtool() { "$VTL_NATIVE_BIN/xwdtool" "$@"; }
keep_png() { xwdtool png "$1" "$E2E_KEEP/$2.png" || true; }

# wreg ARGS...: the registry of the bed's prefix, through Wine's own reg.exe.
wreg() { timeout 60 wine reg "$@" 2>/dev/null | tr -d '\r'; }
