#!/usr/bin/env bash
# An error no run mode catches ends the program with the "Application Error" box and
# exit code 1: here a scene pack cut short, found through the installer's key.
source "$(dirname "$0")/lib.sh"
settings_reset
setting EnableSounds 0
uninstall='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 3D Screensaver_is1'
broken=$WINEBED_DIR/broken-install
mkdir -p "$broken"
head -c 300 "$VTL_WIN_BIN/vtl3d.pak" >"$broken/vtl3d.pak"
trap 'wreg delete "$uninstall" /f >/dev/null || true' EXIT
wreg add "$uninstall" /v "Inno Setup: App Path" /t REG_SZ /d "$(winepath -w "$broken")" /f >/dev/null

xdotool mousemove 500 400
win_start broken "$VTL_WIN_BIN/vtl3d.scr" /s
box=$(window_id '^Application Error$' 40) || fail "no 'Application Error' box"
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
win_wait "$WIN_PID" 20 || fail "did not end after the box"
[[ $WIN_CODE == 1 ]] || fail "exit code $WIN_CODE, expected 1"
note "a pack cut short ended the saver through the error box with code 1"
