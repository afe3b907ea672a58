#!/usr/bin/env bash
# A sound pack cut short costs the sound, never the picture: the saver shows one box
# that names the pack and says why, then draws on, silent, and ends normally leaving
# no scratch folder. The packs are found through the installer's key.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
settings_reset
setting EnableSounds 1
uninstall='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 3D Screensaver_is1'
broken=$WINEBED_DIR/damaged-sound
mkdir -p "$broken"
cp "$VTL_WIN_BIN/vtl3d.pak" "$broken/"
size=$(stat -c %s "$VTL_WIN_BIN/vtlsound.pak")
head -c $((size / 2)) "$VTL_WIN_BIN/vtlsound.pak" >"$broken/vtlsound.pak"
trap 'wreg delete "$uninstall" /f >/dev/null || true' EXIT
wreg add "$uninstall" /v "Inno Setup: App Path" /t REG_SZ /d "$(winepath -w "$broken")" /f >/dev/null
scratch=$(scratch_folder)
mark=$(capture_mark)

# The sounds start before the window shows: the box comes first.
xdotool mousemove 500 400
win_start saver "$VTL_WIN_BIN/vtl3d.scr" /s
SAVER_PID=$WIN_PID
box=$(window_id '^Vantorel 3D Screensaver$' 40) || fail "no box told of the damaged sound pack"
text=$(timeout 30 wine "$VTL_WIN_BIN/wininfo.exe" "Vantorel 3D Screensaver" 2>/dev/null | tr -d '\r' | grep -m1 'Damaged pack' || true)
[[ $text == *'Damaged pack file '*'vtlsound.pak: it is cut short'* ]] || fail "the box does not name the pack: $text"
note "box: ${text#*text=}"
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key --window "$box" Return
SAVER_WINDOW=$(window_id '^Saver$' 40) || fail "the saver window did not show after the box"
wait_drawn
sleep 2
saver_alive || fail "the saver ended after the box"
xdotool search --onlyvisible --name '^Vantorel 3D Screensaver$' >/dev/null 2>&1 && fail "a second box came"
saver_key Escape
saver_end_expected "damaged sound pack"
sleep 1
[[ ! -e $scratch ]] || fail "the scratch folder stayed: $(ls "$scratch" | tr '\n' ' ')"
read -r frames left right < <(capture_stats "$mark")
((frames < 4800)) || fail "sound was heard from a damaged pack: $frames sounding frames"
note "drawn on silent ($frames sounding frames), ended with 0, no scratch folder left"
