#!/usr/bin/env bash
# The installer, run silently, puts the saver and its loader into the system folder,
# the packs, help and web shortcut into the install folder, registers the uninstall
# key and makes it the current screen saver; the uninstaller, run silently, removes
# every file and key it made.
source "$(dirname "$0")/lib.sh"

SETUP=$VTL_WIN_BIN/vtl3d-setup.exe
[[ -f $SETUP ]] || fail "no $SETUP"
C=$WINEPREFIX/drive_c
SYS=$PROGRAM_SYSDIR
INST="$PROGRAM_FILES/Vantorel 3D Screensaver"
UNINST='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 3D Screensaver_is1'
DESKTOP='HKCU\Control Panel\Desktop'

# Files and keys as they are, without what Wine itself keeps changing.
snapshot() {
    find "$C" \( -ipath '*/temp' -o -ipath '*/temp/*' \) -prune -o -print | sort >"$E2E_OUT/$1.files"
    wreg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' >"$E2E_OUT/$1.uninstall"
    wreg query "$DESKTOP" /v SCRNSAVE.EXE >"$E2E_OUT/$1.desktop" || true
}
# Waits until the installer's (or uninstaller's copy's) processes are all gone.
settle() { timeout 120 wineserver -w || true; }

# A run that fails half-way must not leave the next run an installed copy to start from.
leave_clean() {
    [[ -f $INST/uninstall.exe ]] || return 0
    timeout 300 wine "$PROGRAM_FILES_WIN\\Vantorel 3D Screensaver\\uninstall.exe" /S >/dev/null 2>&1 || true
    settle
}
trap leave_clean EXIT
snapshot before
timeout 300 wine "$SETUP" /S >"$E2E_OUT/setup.log" 2>&1 || fail "setup ended with $?"
settle

for f in vtl3d.scr d3d8ex.dll; do
    cmp -s "$VTL_WIN_BIN/$f" "$SYS/$f" || fail "$f is not in the system folder"
done
for f in vtl3d.pak vtlsound.pak vtl3d.chm Site.url; do
    cmp -s "$VTL_WIN_BIN/$f" "$INST/$f" || fail "$f is not in the install folder"
done
[[ -f $INST/uninstall.exe ]] || fail "no uninstaller"
wreg query "$UNINST" >"$E2E_OUT/key.txt" || fail "no uninstall key"
expect_value() {
    grep -qF "    $1    REG_SZ    $2" "$E2E_OUT/key.txt" || fail "$1: expected '$2' in: $(cat "$E2E_OUT/key.txt")"
}
expect_value "Inno Setup: App Path" "$PROGRAM_FILES_WIN\\Vantorel 3D Screensaver"
expect_value DisplayName "Vantorel 3D Screensaver"
expect_value UninstallString "\"$PROGRAM_FILES_WIN\\Vantorel 3D Screensaver\\uninstall.exe\""
grep -qE '    DisplayVersion    REG_SZ    [0-9]' "$E2E_OUT/key.txt" || fail "no DisplayVersion"
SAVER_PATH="$PROGRAM_SYSDIR_WIN\\vtl3d.scr"
wreg query "$DESKTOP" /v SCRNSAVE.EXE | grep -qiF "$SAVER_PATH" ||
    fail "not made the current screen saver"
note "installed: $(grep -c . <(find "$INST" -type f)) files in the install folder, 2 in $PROGRAM_SYSDIR_WIN, uninstall key written"

# The installed saver, started as Windows starts it (from the path SCRNSAVE.EXE
# names), finds its packs through the uninstall key (none lie beside it there) and
# shows the scene.
settings_reset
setting EnableSounds 0
xdotool mousemove 500 400
win_start installed "$SAVER_PATH" /s
SAVER_PID=$WIN_PID
window_id '^Saver$' 40 >/dev/null || fail "the installed saver showed no window"
wait_drawn
shot "$E2E_OUT/installed.xwd"
xdotool key Escape
saver_end_expected "installed saver"
read -r r g b < <(xwdtool mean "$E2E_OUT/installed.xwd" 0 728 40 768)
awk -v r="$r" -v g="$g" -v b="$b" 'BEGIN{exit !(r+g+b > 6)}' || fail "the installed saver showed no scene"
note "the saver started from the system folder showed the scene from the installed packs"

timeout 300 wine "$PROGRAM_FILES_WIN\\Vantorel 3D Screensaver\\uninstall.exe" /S >"$E2E_OUT/uninstall.log" 2>&1 ||
    fail "uninstall ended with $?"
settle
snapshot after
diff "$E2E_OUT/before.files" "$E2E_OUT/after.files" >&2 || fail "files left or removed by the round trip"
diff "$E2E_OUT/before.uninstall" "$E2E_OUT/after.uninstall" >&2 || fail "uninstall keys differ after the round trip"
diff "$E2E_OUT/before.desktop" "$E2E_OUT/after.desktop" >&2 || fail "the screen-saver choice differs after the round trip"
note "uninstalled: no file or key of the installer left"
