#!/usr/bin/env bash
# Keyboard changes reach the right values, and stored values the controls cannot show
# are stored back as shown.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/dialog_common.sh"

# The focus starts on "Use current mode": Space clears it, which enables the list at
# once; Tab moves to the list, three steps down is "800x600x32bit"; Enter is OK.
clear_settings
start_dialog
dialog_keys space
dialog_info cleared
expect_control cleared "Use current mode" state=0
expect_class cleared ComboBox enabled=1
dialog_keys Tab Down Down Down
dialog_info picked
expect_control picked "800x600x32bit" class=ComboBox state=3
dialog_keys Return
expect_closed
expect_stored UseCurrentMode 0x0
expect_stored VideoMode 0x3
note "cleared 'Use current mode' and picked 800x600x32bit"

# Checking the box again disables the list; the selected mode is stored all the same.
start_dialog
dialog_info reloaded
expect_class reloaded ComboBox enabled=1 state=3
dialog_keys space
dialog_info rechecked
expect_class rechecked ComboBox enabled=0 state=3
dialog_keys Return
expect_closed
expect_stored UseCurrentMode 0x1
expect_stored VideoMode 0x3

# Out-of-range stored values: no list selection and the track bar at its end.
wreg add "$SETTINGS_KEY" /v VideoMode /t REG_DWORD /d 9 /f >/dev/null
wreg add "$SETTINGS_KEY" /v Speed /t REG_DWORD /d 20 /f >/dev/null
start_dialog
dialog_info clamped
expect_class clamped ComboBox state=-1
expect_class clamped msctls_trackbar32 state=11
dialog_keys Return
expect_closed
expect_stored VideoMode 0xffffffff
expect_stored Speed 0xb
note "stored VideoMode 9 came back as -1, Speed 20 as 11"

# The timing field: a value typed past the top is stored as 1000, even when Enter
# reaches OK while the field still has the focus. With "Use current mode" on, the
# list is skipped: five Tabs from the first box reach the field.
start_dialog
dialog_keys Tab Tab Tab Tab Tab End BackSpace BackSpace BackSpace BackSpace
xdotool type --window "$DIALOG" --delay 80 5000 2>/dev/null
sleep 0.3
dialog_info typed
expect_class typed Edit text=5000
dialog_keys Return
expect_closed
expect_stored TimingFPS 0x3e8
# Below the bottom, after the field lost the focus: pulled up to 10 on the spot.
start_dialog
dialog_keys Tab Tab Tab Tab Tab End BackSpace BackSpace BackSpace BackSpace 3 Tab
dialog_info left
expect_class left Edit text=10
dialog_keys Escape
expect_closed
expect_stored TimingFPS 0x3e8
note "timing typed as 5000 stored as 1000; 3 shown as 10 when the field lost the focus"

# The arrow keys step the field by one and never past the top; Alt+F4 stores nothing.
start_dialog
dialog_keys Tab Tab Tab Tab Tab Up Up Down Down
dialog_info stepped
expect_class stepped Edit text=998
dialog_keys alt+F4
expect_closed
expect_stored TimingFPS 0x3e8
note "Up at 1000 stays 1000, Down steps to 999 and 998; Alt+F4 stored nothing"
clear_settings
