#!/usr/bin/env bash
# The saver's unpacked sounds vanish while it runs (a temp cleaner): the error of the
# next sound event is shown in a box a person can see, above the saver, and once it
# is dismissed the saver goes on silent (its remaining files removed) with no second
# box, and a mouse move ends it as usual, leaving no files.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
settings_reset
setting EnableSounds 1
# Frames as fast as they come: the window always waits to be painted, and the sound
# events (timer messages) must come all the same.
setting TimingFPS 1000
scratch=$(scratch_folder)
saver_start
wait_drawn
rm -f "$scratch"/Near*.wav "$scratch"/Street*.wav

# A near sound comes every 2 to 7 s, a street sound every 7 to 15 s.
box=$(window_id '^Vantorel 3D Screensaver$' 45) || fail "no box a person could see within 45 s"
# Above the saver as Windows orders its windows: owned by it and top-most, so it
# stands in front of it. (Wine without a window manager may stack the X windows
# otherwise; what a person sees on Windows is this order.)
shot "$E2E_OUT/box.xwd"
keep_png "$E2E_OUT/box.xwd" box
info() { timeout 30 wine "$VTL_WIN_BIN/wininfo.exe" "$1" 2>/dev/null | tr -d '\r' | grep '^order '; }
box_order=$(info "Vantorel 3D Screensaver") || fail "wininfo does not see the box"
saver_order=$(info "Saver") || fail "wininfo does not see the saver"
note "box: $box_order; saver: $saver_order"
[[ $box_order == *" topmost=1 owner=Saver" ]] || fail "the box is not top-most and owned by the saver: $box_order"
box_z=$(sed 's/.* z=\([0-9-]*\).*/\1/' <<<"$box_order")
saver_z=$(sed 's/.* z=\([0-9-]*\).*/\1/' <<<"$saver_order")
((box_z >= 0 && box_z < saver_z)) || fail "the box (z $box_z) is not in front of the saver (z $saver_z)"
note "the error box stands above the saver window"

xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key --window "$box" Return
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Vantorel 3D Screensaver$' >/dev/null 2>&1 || break
    sleep 0.1
done
xdotool search --onlyvisible --name '^Vantorel 3D Screensaver$' >/dev/null 2>&1 && fail "the box did not go"
note "the box was dismissed"
# The sounds that failed would fail at every later event: none may bring a new box.
for ((i = 0; i < 30; i++)); do
    sleep 0.5
    xdotool search --onlyvisible --name '^Vantorel 3D Screensaver$' >/dev/null 2>&1 &&
        fail "a second box $((i / 2)) s after the first was dismissed"
    saver_alive || fail "the saver ended with the box"
done
[[ ! -e $scratch ]] || fail "the silent saver kept its files: $(ls "$scratch" | tr '\n' ' ')"
note "no second box within 15 s; the saver runs on silent, its files gone"
# A mouse move ends it, as it would have before any error.
xdotool mousemove 520 400
saver_end_expected "mouse move after the box"
[[ ! -e $scratch ]] || fail "files left behind: $(ls "$scratch" | tr '\n' ' ')"
note "a mouse move ended the saver with 0 and no files were left"
