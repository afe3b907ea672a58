#!/usr/bin/env bash
# Sounds off: nothing is unpacked for sound, nothing reaches the sound device, and the
# saver still ends normally (its end asks the sound to stop, which does nothing).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
settings_reset
setting EnableSounds 0
scratch=$(scratch_folder)
mark=$(capture_mark)
saver_start
sleep 4
saver_alive || fail "the saver ended on its own"
[[ ! -e $scratch ]] || fail "a scratch folder exists although sounds are off"
xdotool key Escape
saver_end_expected "sounds off"
read -r frames left right < <(capture_stats "$mark")
((frames < 100)) || fail "sound reached the device although sounds are off: $frames frames"
note "silent ($frames sounding frames), no scratch folder"
