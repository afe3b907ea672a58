#!/usr/bin/env bash
# UseCurrentMode 0 with VideoMode 3 switches the display to 800x600 while the saver
# runs and restores the desktop mode afterwards. Wine changes modes only inside its
# virtual desktop, so the saver runs in one of 1024x768.
source "$(dirname "$0")/lib.sh"
settings_reset
setting EnableSounds 0
setting UseCurrentMode 0
setting VideoMode 3
desktop_size() { virtual_desktop_size vtlmode; }
# A program that keeps the desktop open after the saver is gone.
win_start keeper explorer /desktop=vtlmode,1024x768 notepad
sleep 3
[[ $(desktop_size) == 1024x768 ]] || fail "virtual desktop did not start at 1024x768"
xdotool mousemove 500 400
win_start mode explorer /desktop=vtlmode,1024x768 "$(winepath -w "$VTL_WIN_BIN/vtl3d.scr")" /s
SAVER_PID=$WIN_PID
sleep 5
during=$(desktop_size) || fail "no virtual desktop"
[[ $during == 800x600 ]] || fail "display during the saver: $during, expected 800x600"
xdotool key a
saver_end_expected "key in the virtual desktop"
# The desktop window follows the restored mode a moment later on a loaded machine.
for _ in $(seq 20); do
    after=$(desktop_size) || fail "virtual desktop gone"
    [[ $after == 1024x768 ]] && break
    sleep 0.5
done
note "desktop during the saver $during, after it $after"
[[ $after == 1024x768 ]] || fail "display not restored: $after"
