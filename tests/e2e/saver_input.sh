#!/usr/bin/env bash
# How a person ends the saver: a key ends it; mouse moves of up to 10 pixels from
# where the cursor was at the start do not, 11 do; a click does not. After every end
# no scratch folder is left behind.
source "$(dirname "$0")/lib.sh"
settings_reset
setting EnableSounds 0
scratch=$(scratch_folder)
[[ $scratch == /*qvtmptxt.* ]] || fail "no scratch folder path: $scratch"

saver_start
sleep 2
[[ ! -e $scratch ]] || fail "the scene's unpacked files are still there while it runs"
xdotool key a
saver_end_expected "key"
note "a key ended the saver"
[[ ! -e $scratch ]] || fail "scratch folder left after the end: $scratch"

saver_start
sleep 2
for pos in "510 410" "490 390" "510 390" "490 410" "500 400"; do
    xdotool mousemove $pos
    sleep 0.3
    saver_alive || fail "a move to $pos (within 10 pixels) ended the saver"
done
xdotool click 1
sleep 0.5
xdotool click 3
sleep 0.5
saver_alive || fail "a mouse click ended the saver"
xdotool mousemove 511 400
saver_end_expected "mouse move of 11 pixels"
note "moves within 10 pixels and clicks kept it running; 11 pixels ended it"
[[ ! -e $scratch ]] || fail "scratch folder left after the end: $scratch"

saver_start
sleep 1
xdotool mousemove 500 389
saver_end_expected "mouse move of 11 pixels up"
