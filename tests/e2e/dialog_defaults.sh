#!/usr/bin/env bash
# First start on a clean machine: the dialog shows the defaults; Esc stores nothing;
# Enter stores all ten values as REG_DWORD, the on/off ones as exactly 0 or 1.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_common.sh"

clear_settings
start_dialog
shot "$E2E_OUT/dialog.xwd"
keep_png "$E2E_OUT/dialog.xwd" dialog
dialog_info shown
grep -q "^top class=#32770 title=$DIALOG_TITLE enabled=1 client=398x339" "$E2E_OUT/shown.txt" ||
    fail "dialog frame: $(head -n1 "$E2E_OUT/shown.txt")"
expect_control shown "Vantorel 3D Screensaver, version 2.5" class=Static
expect_control shown "Get More 3D Screensavers" class=Static
expect_control shown "Use current mode" state=1 enabled=1
expect_control shown "640x480x16bit" class=ComboBox enabled=0 state=0
expect_control shown "Show glasses" state=1
expect_control shown "Reflection on skull" state=1
expect_control shown "Reflection on glasses" state=1
expect_control shown "Show real fps rate" state=0
expect_control shown "Show activity time " state=0
expect_control shown "Enable sounds" state=1
expect_class shown msctls_trackbar32 state=6
expect_class shown Edit text=50
for caption in "Video mode" "Effects" "Rendering" "Rotation speed" "Slow" "Fast" "Timing (fps)" OK Cancel Help; do
    expect_control shown "$caption"
done

dialog_keys Escape
expect_closed
if wreg query "$SETTINGS_KEY" >/dev/null 2>&1; then fail "Esc stored settings"; fi
note "defaults shown; Esc closed without storing"

start_dialog
dialog_keys Return
expect_closed
expect_stored Speed 0x6
expect_stored TimingFPS 0x32
expect_stored ShowFPS 0x0
expect_stored ShowActivityTime 0x0
expect_stored EnableSounds 0x1
expect_stored ShowGlasses 0x1
expect_stored ReflectionOnSkull 0x1
expect_stored ReflectionOnGlasses 0x1
expect_stored UseCurrentMode 0x1
expect_stored VideoMode 0x0
count=$(wreg query "$SETTINGS_KEY" | grep -c REG_ || true)
[[ $count == 10 ]] || fail "expected 10 values, found $count"
note "Enter stored all ten values"
clear_settings

# At 144 dots per inch the form keeps its design proportions: 398 x 339 scaled by 1.5.
trap 'wreg delete "HKCU\\Control Panel\\Desktop" /v LogPixels /f >/dev/null 2>&1 || true' EXIT
wreg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
start_dialog
dialog_info scaled
shot "$E2E_OUT/scaled.xwd"
keep_png "$E2E_OUT/scaled.xwd" dialog-144dpi
grep -q "^top .* client=597x509\$" "$E2E_OUT/scaled.txt" || fail "at 144 dpi: $(head -n1 "$E2E_OUT/scaled.txt")"
dialog_keys Escape
expect_closed
note "scaled to 597x509 at 144 dpi"
