#!/usr/bin/env bash
# Sounds on: while the saver runs, the sound pack is unpacked into the scratch folder and
# the ambience reaches the sound device; after the end the folder is gone.
# Needs the Windows build's vtl3d.scr and vtlsound.pak in VTL_WIN_BIN.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
settings_reset
setting EnableSounds 1
scratch=$(scratch_folder)
mark=$(capture_mark)
saver_start
sleep 6
saver_alive || fail "the saver ended on its own"
[[ -d $scratch ]] || fail "no scratch folder while the sounds play"
for f in $SOUND_FILES; do
    [[ -f $scratch/$f ]] || fail "$f is not in the scratch folder"
done
xdotool key Escape
saver_end_expected "sounds on"
sleep 1
[[ ! -e $scratch ]] || fail "the scratch folder stayed after the end: $(ls "$scratch" | tr '\n' ' ')"
read -r frames left right < <(capture_stats "$mark")
# The background loop alone sounds through the whole run: several seconds at 48 kHz.
((frames > 96000)) || fail "the saver was (nearly) silent: $frames sounding frames"
note "sounding frames $frames, level left $left right $right; scratch folder removed"
