# Shared helpers of the end-to-end scripts. A script sources this file first; if it
# is not yet inside the Wine test bed it re-runs itself there (private prefix, Xvfb,
# HOME), so each script can also be started by hand:  bash tests/e2e/<script>.sh
# Needs VTL_WIN_BIN (the Windows build's bin) and VTL_NATIVE_BIN (for xwdtool).
set -euo pipefail
E2E_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
: "${VTL_NATIVE_BIN:=$E2E_SOURCE_DIR/build/native/bin}"
: "${WINEBED:=$E2E_SOURCE_DIR/tests/winebed/winebed.sh}"
# By hand: the 32-bit product, or the 64-bit test-bed build where 32-bit Wine cannot
# start (scripts/wine-tree.sh).
if [[ -z ${VTL_WIN_BIN:-} ]]; then
    VTL_WIN_BIN=$E2E_SOURCE_DIR/build/windows/bin
    "$WINEBED" runs32 || VTL_WIN_BIN=$E2E_SOURCE_DIR/build/windows-x64-testbed/bin
fi
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

# A command that fails under `set -e` says which one, inside functions too, instead
# of ending the script without a word.
set -E
trap 'echo "FAIL: line $LINENO of $(basename "$0"): $BASH_COMMAND (exit $?)" >&2' ERR

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

# The Windows programs under test are 32-bit (the product) or, on a bed that cannot
# run 32-bit Wine, the 64-bit test-bed build; where they live and which registry
# view they read follows from that, as it does on Windows.
pe_machine() {  # PE machine field of a file, four hex digits (014c: i386, 8664: x86-64)
    local at
    at=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((at + 4)) -N2 "$1" | tr -d ' '
}
if [[ $(pe_machine "$VTL_WIN_BIN/vtl3d.scr") == 014c ]]; then WIN_PROGRAM_BITS=32; else WIN_PROGRAM_BITS=64; fi
# The system folder of such a program: SysWOW64 for a 32-bit one on 64-bit Windows.
if [[ $WIN_PROGRAM_BITS == 32 && ${WINEBED_ARCH:-win64} == win64 ]]; then
    PROGRAM_SYSDIR_WIN='C:\windows\syswow64'
    PROGRAM_FILES_WIN='C:\Program Files (x86)'
    PROGRAM_SYSDIR=$WINEPREFIX/drive_c/windows/syswow64
    PROGRAM_FILES="$WINEPREFIX/drive_c/Program Files (x86)"
else
    PROGRAM_SYSDIR_WIN='C:\windows\system32'
    PROGRAM_FILES_WIN='C:\Program Files'
    PROGRAM_SYSDIR=$WINEPREFIX/drive_c/windows/system32
    PROGRAM_FILES="$WINEPREFIX/drive_c/Program Files"
fi

# wreg ARGS...: the registry of the bed's prefix, through Wine's own reg.exe, in the
# view the programs under test read (the 32-bit one for the 32-bit product).
wreg() { timeout 60 wine reg "$@" "/reg:$WIN_PROGRAM_BITS" 2>/dev/null | tr -d '\r'; }

SETTINGS_KEY='HKCU\Software\Vantorel3D'
# settings_reset: an empty hive for the saver's settings.
settings_reset() { wreg delete "$SETTINGS_KEY" /f >/dev/null || true; }
# setting NAME VALUE: store one DWORD setting.
setting() { wreg add "$SETTINGS_KEY" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null; }
# scratch_folder: the saver's scratch folder as a Unix path, from the prefix's own
# %TEMP% (its place under drive_c differs between Wine versions).
scratch_folder() {
    local temp
    temp=$(timeout 60 wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
    echo "$(timeout 60 winepath -u "$temp" 2>/dev/null)/qvtmptxt.\$\$\$"
}

# saver_start [ARGS]: starts vtl3d.scr /s with the mouse parked at (500, 400) and
# waits until its window shows; the window id is in SAVER_WINDOW.
saver_start() {
    xdotool mousemove 500 400
    win_start saver "$VTL_WIN_BIN/vtl3d.scr" /s "$@"
    SAVER_PID=$WIN_PID
    SAVER_WINDOW=$(window_id '^Saver$' 40) || fail "the saver window did not show"
}
# saver_key KEY: a key sent to the saver's own window; without a window manager the
# X focus may be nobody's, and a key sent to "the focused window" then fails.
saver_key() { xdotool key --window "$SAVER_WINDOW" "$1"; }
# saver_alive: true while the saver process runs.
saver_alive() { kill -0 "$SAVER_PID" 2>/dev/null; }
# saver_end_expected WHAT: waits for the saver to end with code 0.
saver_end_expected() {
    win_wait "$SAVER_PID" 60 || fail "$1: the saver did not end"
    [[ $WIN_CODE == 0 ]] || fail "$1: exit code $WIN_CODE"
}
# wait_drawn: waits (up to 30 s) until the saver's picture has reached the screen, the
# bottom-left corner no longer the black of a fresh window; slow machines take longer
# than fast ones for the first frames.
wait_drawn() {
    local i r g b
    for ((i = 0; i < 60; i++)); do
        shot "$E2E_OUT/wait.xwd"
        read -r r g b < <(xwdtool mean "$E2E_OUT/wait.xwd" 0 0 40 40)
        awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN{exit !(r+g+b > 6)}' && { sleep 1; return 0; }
        sleep 0.5
    done
    fail "the saver's picture never reached the screen"
}

# use_password_standin: a saver password in force, decided by the host's password
# library as a stand-in built for the tests, put where the program looks for it (its
# system folder). Each call reads its answer from $PASSWORD_ANSWER ("1" accepts) and
# logs itself to "$PASSWORD_ANSWER.calls". Undone by undo_password_standin.
PASSWORD_DESKTOP_KEY='HKCU\Control Panel\Desktop'
use_password_standin() {
    cp "$VTL_WIN_BIN/standins/PASSWORD.CPL" "$PROGRAM_SYSDIR/PASSWORD.CPL"
    wreg add "$PASSWORD_DESKTOP_KEY" /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null
    PASSWORD_ANSWER=$WINEBED_DIR/password-answer.txt
    echo 0 >"$PASSWORD_ANSWER"
    export VTL_TEST_PASSWORD_FILE=$(winepath -w "$PASSWORD_ANSWER")
}
undo_password_standin() {
    rm -f "$PROGRAM_SYSDIR/PASSWORD.CPL"
    wreg delete "$PASSWORD_DESKTOP_KEY" /v ScreenSaveUsePassword /f >/dev/null || true
}

# virtual_desktop_size NAME: the size (WxH) of the Wine virtual desktop NAME's window.
virtual_desktop_size() {
    local id
    id=$(xdotool search --name "$1" 2>/dev/null | head -n1) || return 1
    [[ -n $id ]] || return 1
    xdotool getwindowgeometry "$id" | awk '/Geometry/{print $2}'
}
