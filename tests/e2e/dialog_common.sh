# Helpers of the settings-dialog scripts (sourced after lib.sh).
DIALOG_TITLE="Vantorel 3D Screensaver Settings"
SETTINGS_KEY='HKCU\Software\Vantorel3D'

# The dialog's controls as wininfo sees them, into $E2E_OUT/$1.txt.
dialog_info() { timeout 30 wine "$VTL_WIN_BIN/wininfo.exe" "${2:-$DIALOG_TITLE}" 2>/dev/null | tr -d '\r' >"$E2E_OUT/$1.txt"; }

# expect_control FILE TEXT FIELD=VALUE...: the control captioned TEXT has these fields.
expect_control() {
    local file=$E2E_OUT/$1.txt text=$2 line field
    shift 2
    line=$(grep -F " text=$text enabled=" "$file" | head -n1) || fail "no control '$text' in $file"
    for field in "$@"; do
        [[ " $line " == *" $field "* ]] || fail "'$text': expected $field in: $line"
    done
}

# expect_class FILE CLASS FIELD=VALUE...: the first control of CLASS has these fields.
expect_class() {
    local file=$E2E_OUT/$1.txt cls=$2 line field
    shift 2
    line=$(grep -F " class=$cls " "$file" | head -n1) || fail "no $cls in $file"
    for field in "$@"; do
        [[ " $line " == *" $field "* ]] || fail "$cls: expected $field in: $line"
    done
}

clear_settings() { wreg delete "$SETTINGS_KEY" /f >/dev/null 2>&1 || true; }

# start_dialog: runs `vtl3d.scr /c` and waits for its window (id in DIALOG).
start_dialog() {
    win_start dialog "$VTL_WIN_BIN/vtl3d.scr" /c
    DIALOG_PID=$WIN_PID
    DIALOG=$(window_id "^$DIALOG_TITLE\$" 30) || fail "the settings dialog did not open"
    sleep 0.5
}

# dialog_keys KEY...: keystrokes to the dialog, as a person would type them.
dialog_keys() { xdotool key --window "$DIALOG" --delay 80 "$@" 2>/dev/null; sleep 0.3; }

# expect_closed: the dialog process ended with code 0.
expect_closed() {
    win_wait "$DIALOG_PID" 20 || fail "the dialog did not close"
    [[ $WIN_CODE == 0 ]] || fail "the dialog ended with code $WIN_CODE"
}

# stored NAME: the value as reg shows it ("REG_DWORD 0x6"), empty when missing.
stored() { wreg query "$SETTINGS_KEY" /v "$1" | awk -v n="$1" '$1 == n { print $2, $3 }'; }

expect_stored() {
    local got
    got=$(stored "$1")
    [[ $got == "REG_DWORD $2" ]] || fail "$1: expected REG_DWORD $2, stored '${got:-nothing}'"
}

# click_control NAME TEXT: a mouse click in the middle of the control captioned TEXT,
# as wininfo listed it in $E2E_OUT/NAME.txt.
click_control() {
    local line rect x y w h
    line=$(grep -F " text=$2 enabled=" "$E2E_OUT/$1.txt" | head -n1) || fail "no control '$2'"
    rect=${line##* rect=}
    IFS=, read -r x y w h <<<"$rect"
    xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1 2>/dev/null
    sleep 0.3
}

UNINSTALL_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 3D Screensaver_is1'
