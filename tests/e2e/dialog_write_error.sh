#!/usr/bin/env bash
# A settings key the user may not write: OK shows "Failed to set data for 'Speed'" in
# a box captioned with the application title, and the dialog stays open.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_common.sh"

regacl() { timeout 30 wine "$VTL_WIN_BIN/regacl.exe" "$@" 2>/dev/null | tr -d '\r'; }
restore() { regacl open 'Software\Vantorel3D' >/dev/null || true; clear_settings; }
trap restore EXIT

clear_settings
[[ $(regacl readonly 'Software\Vantorel3D') == ok ]] || fail "could not make the key read-only"
if wreg add "$SETTINGS_KEY" /v Probe /t REG_DWORD /d 1 /f >/dev/null 2>&1; then
    fail "the key still takes writes"
fi

start_dialog
dialog_keys Return
box=$(window_id "^Vantorel 3D Screensaver\$" 20) || fail "no error box"
dialog_info box "Vantorel 3D Screensaver"
grep -q "text=Failed to set data for 'Speed' enabled" "$E2E_OUT/box.txt" || fail "box text: $(cat "$E2E_OUT/box.txt")"
shot "$E2E_OUT/error.xwd"
keep_png "$E2E_OUT/error.xwd" error
xdotool key --window "$box" Return 2>/dev/null
sleep 1
kill -0 "$DIALOG_PID" 2>/dev/null || fail "the dialog closed after the failed write"
dialog_info after
grep -q "^top class=#32770 title=$DIALOG_TITLE enabled=1" "$E2E_OUT/after.txt" || fail "dialog not usable after the box"
[[ -z $(stored Speed) ]] || fail "Speed was written"
dialog_keys Escape
expect_closed
note "refused write reported, dialog stayed open"
