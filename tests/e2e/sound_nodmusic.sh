#!/usr/bin/env bash
# A system without DirectMusic (its libraries disabled): the saver says it chose
# DirectSound, is heard through it, ends with 0 and leaves no sound file behind.
# Then with DirectMusic present (Wine's, which plays nothing): the saver knows the
# platform, leaves DirectMusic alone and chooses DirectSound for that reason.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
settings_reset
setting EnableSounds 1
scratch=$(scratch_folder)

run_once() {  # $1: label; the saver's debug strings go to its log
    # Each saver opens the capture anew and writes it from its start.
    local mark=0
    rm -f "$WINEBED_CAPTURE"
    WINEDEBUG=-all,+debugstr saver_start
    sleep 6
    saver_alive || fail "$1: the saver ended on its own"
    xdotool key Escape
    saver_end_expected "$1"
    sleep 1
    [[ ! -e $scratch ]] || fail "$1: files left behind: $(ls "$scratch" | tr '\n' ' ')"
    read -r frames left right < <(capture_stats "$mark")
    ((frames > 96000)) || fail "$1: the saver was (nearly) silent: $frames sounding frames"
    note "$1: sounding frames $frames, level left $left right $right; nothing left behind"
}
choice() { { grep -o 'Vantorel 3D Screensaver: [^"]*' "$E2E_OUT/saver.log" || true; } | head -n1 | sed 's/\\n$//'; cp "$E2E_OUT/saver.log" "$E2E_KEEP/" || true; }

WINEDLLOVERRIDES="$WINEDLLOVERRIDES;dmusic,dmime,dmloader,dmsynth,dswave,dmstyle,dmband,dmcompos=d" \
    run_once "without DirectMusic"
said=$(choice)
# Wine is recognised before DirectMusic is tried; on Windows without DirectMusic the
# reason would be "Cannot create loader object" (covered by the unit tests).
[[ $said == *"sound through DirectSound (DirectMusic: "* ]] ||
    fail "without DirectMusic the saver said: '$said'"
note "said: $said"

run_once "with Wine's DirectMusic"
said=$(choice)
[[ $said == *"sound through DirectSound (DirectMusic: this platform's DirectMusic plays no wave)"* ]] ||
    fail "with Wine's DirectMusic the saver said: '$said'"
note "said: $said"
