#!/usr/bin/env bash
# Two monitors side by side (1024x768 at 0,0 and 800x600 at 1024,0): the scene on the
# first, black on the second while the saver runs, and the second's own picture back
# when it ends. Input on the second monitor counts as on the first: moves within 10
# pixels of the start and clicks do not end the saver, 11 pixels do.
E2E_BED_OPTIONS=--two-monitors
source "$(dirname "$0")/lib.sh"
settings_reset
setting EnableSounds 0

monitors=$(timeout 60 wine "$VTL_WIN_BIN/wininfo.exe" --monitors 2>/dev/null | tr -d '\r')
[[ $monitors == *"count=2"* && $monitors == *"rect=1024,0,1824,600 primary=0"* ]] ||
    fail "the bed does not show Wine two monitors: $monitors"
note "Wine sees: $(echo "$monitors" | tr '\n' ';')"

brightness() {  # SHOT X0 Y0 X1 Y1: the sum of the mean red, green and blue
    local r g b
    read -r r g b < <(xwdtool mean "$@")
    awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN{printf "%.1f", r + g + b}'
}
above() { awk -v a="$1" -v b="$2" 'BEGIN{exit !(a > b)}'; }

shot "$E2E_OUT/before.xwd"
before=$(brightness "$E2E_OUT/before.xwd" 1024 0 1824 600)
above "$before" 6 || fail "the second monitor's desktop is black before the saver ($before); nothing to tell a cover by"

saver_start
wait_drawn
shot "$E2E_OUT/running.xwd"
keep_png "$E2E_OUT/running.xwd" two-monitors-running
scene_corner=$(brightness "$E2E_OUT/running.xwd" 0 0 40 40)
centre=$(brightness "$E2E_OUT/running.xwd" 462 334 562 434)
second=$(brightness "$E2E_OUT/running.xwd" 1024 0 1824 600)
note "running: first monitor corner $scene_corner, centre $centre; second monitor $second (before: $before)"
above "$scene_corner" 6 || fail "the scene does not reach the first monitor's corner"
above "$centre" "$scene_corner" || fail "no bright skull in the middle of the first monitor"
above 1 "$second" || fail "the second monitor is not covered in black while the saver runs ($second)"
saver_key Escape
saver_end_expected "key with two monitors"
sleep 1
shot "$E2E_OUT/after.xwd"
after=$(brightness "$E2E_OUT/after.xwd" 1024 0 1824 600)
above "$after" 6 || fail "the second monitor stays black after the end ($after)"
[[ -z $(xdotool search --onlyvisible --name '^Cover$' 2>/dev/null) ]] || fail "a cover window is left after the end"
note "after the end the second monitor shows its desktop again ($after)"

# Started with the cursor on the second monitor.
xdotool mousemove 1400 300
win_start saver "$VTL_WIN_BIN/vtl3d.scr" /s
SAVER_PID=$WIN_PID
SAVER_WINDOW=$(window_id '^Saver$' 40) || fail "the saver window did not show"
sleep 3
for pos in "1410 310" "1390 290" "1400 300"; do
    xdotool mousemove $pos
    sleep 0.3
    saver_alive || fail "a move on the second monitor to $pos (within 10 pixels) ended the saver"
done
xdotool click 1
sleep 0.5
saver_alive || fail "a click on the second monitor ended the saver"
shot "$E2E_OUT/clicked.xwd"
clicked=$(brightness "$E2E_OUT/clicked.xwd" 1024 0 1824 600)
above 1 "$clicked" || fail "after a click the second monitor is no longer black ($clicked)"
xdotool mousemove 1411 300
saver_end_expected "a move of 11 pixels on the second monitor"
note "on the second monitor moves within 10 pixels and a click kept it running; 11 pixels ended it"

# The scene on every monitor: the second shows the same frames, scaled to its size.
setting SceneOnEveryMonitor 1
saver_start
wait_drawn
sleep 2
shot "$E2E_OUT/mirrored.xwd"
keep_png "$E2E_OUT/mirrored.xwd" two-monitors-scene-on-both
second_corner=$(brightness "$E2E_OUT/mirrored.xwd" 1024 0 1064 40)
second_centre=$(brightness "$E2E_OUT/mirrored.xwd" 1374 250 1474 350)
note "scene on every monitor: second monitor corner $second_corner, centre $second_centre"
above "$second_corner" 6 || fail "the second monitor does not show the scene's corner ($second_corner)"
above "$second_centre" "$second_corner" || fail "no bright skull in the middle of the second monitor"
saver_key Escape
saver_end_expected "key with the scene on both monitors"
