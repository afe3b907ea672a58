#!/usr/bin/env bash
# F1 and the Help button open the start page of vtl3d.chm: beside the program when no
# installer registered a folder, else from the installer's folder.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_common.sh"

HELP_TITLE="Vantorel 3D Screensaver Help"
OTHER_TITLE="Installed copy of the help"
INSTALLED=$WINEPREFIX/drive_c/VtlHelpTest
restore() { wreg delete "$UNINSTALL_KEY" /f >/dev/null 2>&1 || true; rm -rf "$INSTALLED"; }
trap restore EXIT
restore

# Nothing installed: the help file beside the program. Its window title comes from
# the help file itself.
start_dialog
dialog_info controls
dialog_keys F1
help=$(window_id "^$HELP_TITLE\$" 20) || fail "F1 opened no help window"
# The help window has the keyboard now; closing it gives it back to the dialog.
xdotool key --window "$help" alt+F4 2>/dev/null
sleep 0.5
dialog_keys Escape
expect_closed
note "F1 opened '$HELP_TITLE' from the program's folder"

# Installed elsewhere: a help file of its own title in the registered folder.
mkdir -p "$INSTALLED/src"
cp "$E2E_SOURCE_DIR"/docs/help/* "$INSTALLED/src/"
sed -i "s/Vantorel 3D Screensaver Help/$OTHER_TITLE/g" "$INSTALLED/src/vtl3d.hhp"
(cd "$INSTALLED/src" && chmcmd vtl3d.hhp >/dev/null 2>&1) || fail "chmcmd could not build the test help file"
mv "$INSTALLED/src/vtl3d.chm" "$INSTALLED/"
wreg add "$UNINSTALL_KEY" /v "Inno Setup: App Path" /t REG_SZ /d 'C:\VtlHelpTest' /f >/dev/null
start_dialog
dialog_info buttons
click_control buttons Help
help=$(window_id "^$OTHER_TITLE\$" 20) || fail "Help did not open the installed help file"
if xdotool search --onlyvisible --name "^$HELP_TITLE\$" >/dev/null 2>&1; then fail "the program's own help opened"; fi
xdotool key --window "$help" alt+F4 2>/dev/null
sleep 0.5
dialog_keys Escape
expect_closed
note "the Help button opened the help file of the registered install folder"
