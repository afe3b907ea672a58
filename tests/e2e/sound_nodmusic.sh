#!/usr/bin/env bash
# A system without DirectMusic (its libraries disabled): the saver says it chose
# DirectSound, is heard through it, ends with 0 and leaves no sound file behind.
# Then with DirectMusic present (Wine's, which plays nothing): the saver knows the
# platform and chooses DirectSound for that reason.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
settings_reset
setting EnableSounds 1
scratch=$(scratch_folder)

run_once() {  # $1: label; the saver's debug strings go to its log
    local mark
    mark=$(capture_mark)
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
choice() { grep -o 'Vantorel 3D Screensaver: [^"]*' "$E2E_OUT/saver.log" | head -n1 | sed 's/\\n$//'; }

WINEDLLOVERRIDES="$WINEDLLOVERRIDES;dmusic,dmime,dmloader,dmsynth,dswave,dmstyle,dmband,dmcompos=d" \
    run_once "without DirectMusic"
said=$(choice)
[[ $said == *"sound through DirectSound (DirectMusic: Cannot create loader object)"* ]] ||
    fail "without DirectMusic the saver said: '$said'"
note "said: $said"

run_once "with Wine's DirectMusic"
said=$(choice)
[[ $said == *"sound through DirectSound (DirectMusic: this platform's DirectMusic plays no wave)"* ]] ||
    fail "with Wine's DirectMusic the saver said: '$said'"
note "said: $said"
