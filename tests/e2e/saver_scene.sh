#!/usr/bin/env bash
# The scene as a person sees it: the background fills the screen, something bright
# stands at the centre and turns while the corners stay; the glasses change the centre;
# the overlay lines appear in their corners when enabled.
source "$(dirname "$0")/lib.sh"
settings_reset
setting EnableSounds 0
out=$E2E_OUT

# 1. Defaults: background, bright centre, turning.
saver_start
wait_drawn
shot "$out/a.xwd"
sleep 1
shot "$out/b.xwd"
keep_png "$out/a.xwd" scene
saver_key Escape
saver_end_expected "defaults"
read -r w h < <(xwdtool size "$out/a.xwd")
cx=$((w / 2)) cy=$((h / 2))
for corner in "0 0" "$((w - 40)) 0" "0 $((h - 40))" "$((w - 40)) $((h - 40))"; do
    read -r x y <<<"$corner"
    read -r r g b < <(xwdtool mean "$out/a.xwd" "$x" "$y" $((x + 40)) $((y + 40)))
    awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN{exit !(r+g+b > 6)}' || fail "corner $corner is black: no background"
done
read -r r g b < <(xwdtool mean "$out/a.xwd" $((cx - 60)) $((cy - 60)) $((cx + 60)) $((cy + 60)))
centre=$(awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN{print (r+g+b)/3}')
read -r r g b < <(xwdtool mean "$out/a.xwd" 0 0 "$w" 60)
top=$(awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN{print (r+g+b)/3}')
awk -v c="$centre" -v t="$top" 'BEGIN{exit !(c > t + 20)}' || fail "centre ($centre) not brighter than the sky ($top)"
turn=$(xwdtool diff "$out/a.xwd" "$out/b.xwd" $((cx - 150)) $((cy - 150)) $((cx + 150)) $((cy + 150)))
still=$(xwdtool diff "$out/a.xwd" "$out/b.xwd" 0 $((h - 100)) 100 "$h")
awk -v t="$turn" 'BEGIN{exit !(t > 2)}' || fail "the centre did not change between shots ($turn)"
awk -v s="$still" 'BEGIN{exit !(s < 1)}' || fail "a corner changed between shots ($still)"
note "background in every corner, centre $centre over sky $top, turn diff $turn, corner diff $still"

# 2. Glasses on and off, with the skull standing still (Speed 0).
setting Speed 0
for glasses in 1 0; do
    setting ShowGlasses $glasses
    saver_start
    wait_drawn
    shot "$out/glasses$glasses.xwd"
    saver_key Escape
    saver_end_expected "glasses $glasses"
done
keep_png "$out/glasses1.xwd" glasses-on
keep_png "$out/glasses0.xwd" glasses-off
gdiff=$(xwdtool diff "$out/glasses1.xwd" "$out/glasses0.xwd" $((cx - 150)) $((cy - 150)) $((cx + 150)) $((cy + 150)))
awk -v d="$gdiff" 'BEGIN{exit !(d > 2)}' || fail "glasses on and off look the same ($gdiff)"
note "glasses on/off centre difference $gdiff"

# 3. Overlay lines: top-left frame rate, bottom-left activity time.
setting Speed 6
setting ShowGlasses 1
setting ShowFPS 1
setting ShowActivityTime 1
saver_start
wait_drawn
sleep 1  # the lines appear with the first update, after a second
shot "$out/overlay.xwd"
keep_png "$out/overlay.xwd" overlay
saver_key Escape
saver_end_expected "overlay"
tl=$(xwdtool diff "$out/overlay.xwd" "$out/a.xwd" 0 0 300 90)
bl=$(xwdtool diff "$out/overlay.xwd" "$out/a.xwd" 0 $((h - 90)) 300 "$h")
awk -v d="$tl" 'BEGIN{exit !(d > 1)}' || fail "no frame-rate line top left ($tl)"
awk -v d="$bl" 'BEGIN{exit !(d > 1)}' || fail "no activity line bottom left ($bl)"
note "overlay lines: top-left diff $tl, bottom-left diff $bl"
