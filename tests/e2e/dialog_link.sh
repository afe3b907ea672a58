#!/usr/bin/env bash
# The "Get More 3D Screensavers" link asks the shell to open Site.url: the one in the
# installer's folder, else the one beside the program. A recorder stands in for the
# browser the shell would start.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_common.sh"

OPEN_KEY='HKCR\InternetShortcut\shell\open\command'
WORK=$WINEPREFIX/drive_c/VtlLinkTest
old=$(wreg query "$OPEN_KEY" /ve | awk -F'    ' '/REG_SZ/ { print $4 }')
[[ -n $old ]] || fail "no open command for web shortcuts in this prefix"
restore() {
    wreg add "$OPEN_KEY" /ve /t REG_SZ /d "$old" /f >/dev/null || true
    wreg delete "$UNINSTALL_KEY" /f >/dev/null 2>&1 || true
    rm -rf "$WORK"
}
trap restore EXIT
wreg delete "$UNINSTALL_KEY" /f >/dev/null 2>&1 || true
mkdir -p "$WORK/installed" "$WORK/empty"
cp "$VTL_WIN_BIN/argrecord.exe" "$WORK/"
cp "$VTL_WIN_BIN/Site.url" "$WORK/installed/"
wreg add "$OPEN_KEY" /ve /t REG_SZ /d 'C:\VtlLinkTest\argrecord.exe "%1"' /f >/dev/null
program_folder=$(timeout 30 winepath -w "$VTL_WIN_BIN" 2>/dev/null | tr -d '\r')

# click_link EXPECTED: clicks the link and checks which shortcut the shell opened.
click_link() {
    rm -f "$WORK/argrecord.log"
    start_dialog
    dialog_info link
    click_control link "Get More 3D Screensavers"
    for _ in $(seq 100); do [[ -s $WORK/argrecord.log ]] && break; sleep 0.1; done
    [[ -s $WORK/argrecord.log ]] || fail "the shell started nothing for the link"
    local opened
    opened=$(tr -d '\r' <"$WORK/argrecord.log")
    [[ ${opened,,} == *"\"${1,,}\""* ]] || fail "expected $1 to be opened, the shell was asked for: $opened"
    dialog_keys Escape
    expect_closed
    note "the link opened $1"
}

click_link "$program_folder\\Site.url"
wreg add "$UNINSTALL_KEY" /v "Inno Setup: App Path" /t REG_SZ /d 'C:\VtlLinkTest\installed' /f >/dev/null
click_link 'C:\VtlLinkTest\installed\Site.url'
wreg add "$UNINSTALL_KEY" /v "Inno Setup: App Path" /t REG_SZ /d 'C:\VtlLinkTest\empty' /f >/dev/null
click_link "$program_folder\\Site.url"
