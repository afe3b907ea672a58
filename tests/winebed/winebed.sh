#!/usr/bin/env bash
# The Wine test bed: a private Wine prefix, Xvfb display and HOME inside the build
# tree, so tests never touch the user's own Wine, display or sound settings.
#
#   winebed.sh boot                                   boot the prefix once (reused later)
#   winebed.sh run  [opts] -- prog.exe args...        run one Windows program, return its code
#   winebed.sh with [opts] -- command args...         run a shell command inside the bed
#   winebed.sh runs32                                 exit 0 if 32-bit Windows programs can run
# WINEBED_ARCH picks the prefix: win64 (default; a 32-bit program runs there under
# WoW64, as on the usual user's 64-bit Windows) or win32 (32-bit Windows). A bed that
# cannot give what was asked (win32 where 32-bit Wine cannot start) exits with 77,
# which CTest reports as skipped.
# opts: --timeout SECONDS (default 300)   --screen WxHxD (default 1024x768x24)
#       --desktop WxH   (run: inside a Wine virtual desktop, the only place where the
#                        display mode can change under Xvfb)
#       --no-sound      (no ALSA device at all, instead of the file capture)
#       --host-display  (your own display, HOME and sound instead of private ones)
#       --two-monitors  (X.Org's dummy driver instead of Xvfb: 1024x768 at 0,0 and
#                        800x600 at 1024,0, one root window over both, in X's grey
#                        weave so that a black window shows against it)
# WINEBED_DISPLAY=N starts the bed's Xvfb on display :N instead of the first free one.
# Inside `with`, these are exported: DISPLAY, WINEPREFIX, HOME, WINEDLLOVERRIDES,
# WINEDEBUG, WINEBED_CAPTURE (the raw ALSA capture: float32 stereo 48 kHz), WINEBED_DIR,
# WINEBED_ARCH, WINEBED_RUNS32 (1 where 32-bit Windows programs run), and a PATH whose
# `wine` starts the loader that can run here.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=${WINEBED_ROOT:-$here/../../build/winebed}
mkdir -p "$root"
root=$(cd "$root" && pwd)
export WINEBED_ARCH=${WINEBED_ARCH:-win64}
case $WINEBED_ARCH in
    win64) export WINEPREFIX=$root/prefix ;;
    win32) export WINEPREFIX=$root/prefix32 ;;
    *) echo "winebed: WINEBED_ARCH must be win64 or win32" >&2; exit 2 ;;
esac
# mscoree/mshtml: no Mono or Gecko installers; winedbg disabled: a crash ends the
# process at once with a non-zero code instead of waiting in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d${WINEBED_EXTRA_OVERRIDES:+;$WINEBED_EXTRA_OVERRIDES}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=$WINEBED_ARCH

die() { echo "winebed: $*" >&2; exit 2; }
skip() { echo "winebed: SKIPPED: $*" >&2; exit 77; }

# Debian's 32-bit Wine is a 32-bit Linux program: a kernel (or a virtual machine)
# without 32-bit support cannot start it, and Debian's `wine` then fails outright,
# 64-bit programs included.
loader32=/usr/lib/wine/wine
loader64=/usr/lib/wine/wine64
runs32() { [[ -x $loader32 ]] && "$loader32" --version >/dev/null 2>&1; }
if runs32; then WINEBED_RUNS32=1; else WINEBED_RUNS32=0; fi
export WINEBED_RUNS32

# `wine` (and the wineapploader tools, which call `wine-stable`) through the one
# loader that can start here.
use_loader() {
    local bin=$root/bin loader=$loader64 name
    [[ $WINEBED_RUNS32 == 1 ]] && loader=$loader32
    mkdir -p "$bin"
    for name in wine wine-stable; do
        printf '#!/bin/sh\n%sexec %s "$@"\n' \
            "$([[ $loader == "$loader64" ]] && echo "WINELOADER=$loader64 ")" "$loader" >"$bin/$name.new"
        chmod +x "$bin/$name.new"
        mv -f "$bin/$name.new" "$bin/$name"
    done
    case :$PATH: in *":$bin:"*) ;; *) export PATH=$bin:$PATH ;; esac
}
use_loader
if [[ $WINEBED_ARCH == win32 && $WINEBED_RUNS32 == 0 ]]; then
    why="a win32 prefix needs 32-bit Wine, which this machine cannot start (it runs no 32-bit Linux programs)"
    case ${1:-} in
        runs32) ;;
        boot) echo "winebed: nothing to boot: $why" >&2; exit 0 ;;
        *) skip "$why" ;;
    esac
fi

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
    # A prefix is reused only if it was booted with the Wine that runs now: one booted
    # before 32-bit Wine was installed fails with "could not load kernel32.dll".
    local want="runs32=$WINEBED_RUNS32"
    if [[ -f $WINEPREFIX/.booted && $(cat "$WINEPREFIX/.booted") == "$want" ]]; then
        if [[ $WINEBED_ARCH == win32 || $WINEBED_RUNS32 == 0 ||
              -f $WINEPREFIX/drive_c/windows/syswow64/kernel32.dll ]]; then
            return 0
        fi
    fi
    rm -rf "$WINEPREFIX"
    make_home "$root/home" ""
    HOME=$root/home WINEDLLOVERRIDES="mscoree,mshtml=" timeout 180 wineboot -i >"$root/boot.log" 2>&1 ||
        die "wineboot failed (see $root/boot.log)"
    HOME=$root/home timeout 60 wineserver -w || true
    echo "runs32=$WINEBED_RUNS32" >"$WINEPREFIX/.booted"
}

start_xvfb() {  # $1: screen; sets DISPLAY and xvfb_pid
    local fifo=$session/displayfd
    if [[ -n ${WINEBED_DISPLAY:-} ]]; then
        # A display number of the caller's own, where several people share a machine
        # and each keeps to the numbers given to them.
        Xvfb ":$WINEBED_DISPLAY" -screen 0 "$1" -nolisten tcp -noreset 2>"$session/xvfb.log" &
        xvfb_pid=$!
        for _ in $(seq 100); do
            [[ -S /tmp/.X11-unix/X$WINEBED_DISPLAY ]] && kill -0 "$xvfb_pid" 2>/dev/null && break
            sleep 0.05
        done
        kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb did not start on :$WINEBED_DISPLAY (see $session/xvfb.log)"
        echo "$WINEBED_DISPLAY" >"$fifo"
    else
        Xvfb -displayfd 7 -screen 0 "$1" -nolisten tcp -noreset 7>"$fifo" 2>"$session/xvfb.log" &
        xvfb_pid=$!
    fi
    for _ in $(seq 100); do
        [[ -s $fifo ]] && break
        sleep 0.05
    done
    [[ -s $fifo ]] || die "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$fifo")
}

# Two monitors side by side, the second smaller (1024x768 and 800x600 at 1024,0): X.Org's
# dummy driver with two screens joined by Xinerama. Xvfb cannot place a second screen
# beside the first (its Xinerama heads all start at 0,0), and Wine reads the monitors
# from Xinerama when RandR is off, as it is with Xinerama on.
start_two_monitors() {  # sets DISPLAY and xvfb_pid
    command -v Xorg >/dev/null && [[ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ]] ||
        skip "two monitors need X.Org's dummy driver (xserver-xorg-video-dummy)"
    local conf=$session/xorg.conf fifo=$session/displayfd screen
    mkdir -p "$session/xorg.conf.d"
    {
        printf 'Section "ServerFlags"\n  Option "Xinerama" "on"\n  Option "AutoAddDevices" "false"\n'
        printf '  Option "DontVTSwitch" "true"\nEndSection\n'
        printf 'Section "Monitor"\n  Identifier "mon"\n  HorizSync 5.0 - 1000.0\n  VertRefresh 5.0 - 200.0\n'
        printf '  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync\n'
        printf '  Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync\nEndSection\n'
        for screen in 0:1024x768 1:800x600; do
            local n=${screen%%:*} mode=${screen#*:}
            printf 'Section "Device"\n  Identifier "card%s"\n  Driver "dummy"\n  VideoRam 65536\nEndSection\n' "$n"
            printf 'Section "Screen"\n  Identifier "screen%s"\n  Device "card%s"\n  Monitor "mon"\n' "$n" "$n"
            printf '  DefaultDepth 24\n  SubSection "Display"\n    Depth 24\n    Modes "%s"\n' "$mode"
            printf '    Virtual %s %s\n  EndSubSection\nEndSection\n' "${mode%x*}" "${mode#*x}"
        done
        printf 'Section "ServerLayout"\n  Identifier "layout"\n  Screen 0 "screen0" 0 0\n'
        printf '  Screen 1 "screen1" RightOf "screen0"\nEndSection\n'
    } >"$conf"
    Xorg -displayfd 7 -config "$conf" -configdir "$session/xorg.conf.d" -noreset -nolisten tcp \
        -retro -logfile "$session/xorg.log" -novtswitch -sharevts 7>"$fifo" >"$session/xorg.out" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 200); do
        [[ -s $fifo ]] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.05
    done
    # A machine where X.Org cannot run (no root, no virtual terminal) has no two-monitor
    # bed: the tests that need one are skipped, saying why.
    [[ -s $fifo ]] || { tail -n 20 "$session/xorg.log" >&2; skip "X.Org with two monitors did not start here"; }
    export DISPLAY=:$(head -n1 "$fifo")
}

# Wine 8 crashes listing the modes of two Xinerama heads through X's VidMode extension
# and then reports one monitor; the two-monitor bed tells it not to use VidMode.
X11_KEY='HKCU\Software\Wine\X11 Driver'
set_xvidmode() {  # Y or N
    if [[ $1 == N ]]; then
        DISPLAY= timeout 60 wine reg add "$X11_KEY" /v UseXVidMode /d N /f >/dev/null 2>&1
    else
        DISPLAY= timeout 60 wine reg delete "$X11_KEY" /v UseXVidMode /f >/dev/null 2>&1
    fi
    timeout 20 wineserver -w >/dev/null 2>&1
}

cleanup() {
    set +e
    [[ ${two_monitors:-0} == 1 ]] && { timeout 20 wineserver -k >/dev/null 2>&1; set_xvidmode Y; }
    timeout 20 wineserver -k >/dev/null 2>&1
    timeout 20 wineserver -w >/dev/null 2>&1
    [[ -n ${xvfb_pid:-} ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$session"
}

enter() {  # parse options, boot, start the display; the rest of "$@" is left in cmd
    timeout_s=300 screen=1024x768x24 desktop="" sound=1 host_display=0 two_monitors=0
    while [[ $# -gt 0 ]]; do
        case $1 in
            --timeout) timeout_s=$2; shift 2 ;;
            --screen) screen=$2; shift 2 ;;
            --desktop) desktop=$2; shift 2 ;;
            --no-sound) sound=0; shift ;;
            --host-display) host_display=1; shift ;;
            --two-monitors) two_monitors=1; shift ;;
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
    if [[ $host_display == 1 ]]; then
        [[ -n ${DISPLAY:-} ]] || die "--host-display needs a DISPLAY"
        return 0
    fi
    [[ $sound == 1 ]] && WINEBED_CAPTURE=$session/capture.raw
    export HOME=$session/home
    make_home "$HOME" "$WINEBED_CAPTURE"
    if [[ $two_monitors == 1 ]]; then
        set_xvidmode N
        start_two_monitors
    else
        start_xvfb "$screen"
    fi
}

case ${1:-} in
    runs32) [[ $WINEBED_RUNS32 == 1 ]] ;;
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
    *) die "usage: winebed.sh boot | runs32 | run [opts] -- prog args | with [opts] -- command" ;;
esac
