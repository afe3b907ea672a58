#!/usr/bin/env bash
# On a scaled display (144 dpi) the saver still covers every physical pixel: its
# window is the whole 1024x768 screen and the scene reaches the corners.
source "$(dirname "$0")/lib.sh"
settings_reset
setting EnableSounds 0
trap 'wreg delete "HKCU\\Control Panel\\Desktop" /v LogPixels /f >/dev/null 2>&1 || true' EXIT
wreg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null

saver_start
wait_drawn
geometry=$(xdotool getwindowgeometry "$SAVER_WINDOW" | awk '/Geometry/{print $2}')
shot "$E2E_OUT/scaled.xwd"
keep_png "$E2E_OUT/scaled.xwd" saver-144dpi
xdotool key Escape
saver_end_expected "144 dpi"
[[ $geometry == 1024x768 ]] || fail "saver window is $geometry at 144 dpi, expected 1024x768"
read -r r g b < <(xwdtool mean "$E2E_OUT/scaled.xwd" 984 728 1024 768)
awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN{exit !(r+g+b > 6)}' || fail "bottom-right corner not drawn at 144 dpi"
note "at 144 dpi the saver window is $geometry and the scene reaches the corner"
