#!/usr/bin/env bash
# The Wine test bed: a private Wine prefix, Xvfb display and HOME inside the build
# tree, so tests never touch the user's own Wine, display or sound settings.
#
#   winebed.sh boot                                   boot the prefix once (reused later)
#   winebed.sh run  [opts] -- prog.exe args...        run one Windows program, return its code
#   winebed.sh with [opts] -- command args...         run a shell command inside the bed
# opts: --timeout SECONDS (default 300)   --screen WxHxD (default 1024x768x24)
#       --desktop WxH   (run: inside a Wine virtual desktop, the only place where the
#                        display mode can change under Xvfb)
#       --no-sound      (no ALSA device at all, instead of the file capture)
# Inside `with`, these are exported: DISPLAY, WINEPREFIX, HOME, WINEDLLOVERRIDES,
# WINEDEBUG, WINEBED_CAPTURE (the raw ALSA capture: float32 stereo 48 kHz), WINEBED_DIR.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=${WINEBED_ROOT:-$here/../../build/winebed}
mkdir -p "$root"
root=$(cd "$root" && pwd)
export WINEPREFIX=$root/prefix
# mscoree/mshtml: no Mono or Gecko installers; winedbg disabled: a crash ends the
# process at once with a non-zero code instead of waiting in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d${WINEBED_EXTRA_OVERRIDES:+;$WINEBED_EXTRA_OVERRIDES}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64

die() { echo "winebed: $*" >&2; exit 2; }

make_home() {  # $1: home folder, $2: capture file or "" for no device
    mkdir -p "$1"
    if [[ -n $2 ]]; then
        cat >"$1/.asoundrc" <<ASOUND
pcm.!default { type file slave.pcm "null" file "$2" format "raw" }
pcm.null { type null }
ctl.!default { type hw card 0 }
ASOUND
    else
        # A device that cannot be opened: what a machine without sound looks like.
        printf 'pcm.!default { type hw card 99 }\n' >"$1/.asoundrc"
    fi
}

boot() {
    local lock=$root/boot.lock
    exec 9>"$lock"
    flock 9
    if [[ -f $WINEPREFIX/.booted ]]; then return 0; fi
    rm -rf "$WINEPREFIX"
    make_home "$root/home" ""
    HOME=$root/home WINEDLLOVERRIDES="mscoree,mshtml=" timeout 180 wineboot -i >"$root/boot.log" 2>&1 ||
        die "wineboot failed (see $root/boot.log)"
    HOME=$root/home timeout 60 wineserver -w || true
    touch "$WINEPREFIX/.booted"
}

start_xvfb() {  # $1: screen; sets DISPLAY and xvfb_pid
    local fifo=$session/displayfd
    Xvfb -displayfd 7 -screen 0 "$1" -nolisten tcp -noreset 7>"$fifo" 2>"$session/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s $fifo ]] && break
        sleep 0.05
    done
    [[ -s $fifo ]] || die "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$fifo")
}

cleanup() {
    set +e
    timeout 20 wineserver -k >/dev/null 2>&1
    timeout 20 wineserver -w >/dev/null 2>&1
    [[ -n ${xvfb_pid:-} ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$session"
}

enter() {  # parse options, boot, start the display; the rest of "$@" is left in cmd
    timeout_s=300 screen=1024x768x24 desktop="" sound=1
    while [[ $# -gt 0 ]]; do
        case $1 in
            --timeout) timeout_s=$2; shift 2 ;;
            --screen) screen=$2; shift 2 ;;
            --desktop) desktop=$2; shift 2 ;;
            --no-sound) sound=0; shift ;;
            --) shift; break ;;
            *) die "unknown option $1" ;;
        esac
    done
    [[ $# -gt 0 ]] || die "nothing to run"
    cmd=("$@")
    boot
    session=$(mktemp -d "$root/session.XXXXXX")
    trap cleanup EXIT
    export WINEBED_DIR=$session
    export WINEBED_CAPTURE=""
    [[ $sound == 1 ]] && WINEBED_CAPTURE=$session/capture.raw
    export HOME=$session/home
    make_home "$HOME" "$WINEBED_CAPTURE"
    start_xvfb "$screen"
}

case ${1:-} in
    boot) boot ;;
    run)
        shift
        enter "$@"
        if [[ -n $desktop ]]; then
            set -- wine explorer "/desktop=winebed,$desktop" "${cmd[@]}"
        else
            set -- wine "${cmd[@]}"
        fi
        set +e
        timeout -k 5 "$timeout_s" "$@"
        code=$?
        set -e
        exit $code ;;
    with)
        shift
        enter "$@"
        set +e
        timeout -k 5 "$timeout_s" "${cmd[@]}"
        code=$?
        set -e
        exit $code ;;
    *) die "usage: winebed.sh boot | run [opts] -- prog args | with [opts] -- command" ;;
esac
