#!/usr/bin/env bash
# Without Direct3D 8 the saver and the settings show "Unable to run" and end with
# code 0 when it is dismissed; the settings dialog never opens.
source "$(dirname "$0")/lib.sh"

for mode in /c /s; do
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;d3d8=" win_start "nod3d8${mode#/}" "$VTL_WIN_BIN/vtl3d.scr" "$mode"
    box=$(window_id '^Unable to run$' 30) || fail "$mode: no 'Unable to run' box"
    if xdotool search --onlyvisible --name 'Settings$' >/dev/null 2>&1; then fail "$mode: settings opened"; fi
    if xdotool search --onlyvisible --name '^Saver$' >/dev/null 2>&1; then fail "$mode: saver opened"; fi
    xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
    win_wait "$WIN_PID" 20 || fail "$mode: did not end after the box"
    [[ $WIN_CODE == 0 ]] || fail "$mode: exit code $WIN_CODE"
    note "$mode without d3d8: box shown, exit code 0"
done
