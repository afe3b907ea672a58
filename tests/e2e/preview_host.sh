#!/usr/bin/env bash
# `vtl3d.scr /p <handle>` puts a disabled "VTL3DPreview" child of the host's size into
# the host window and ends with code 0 when the host destroys it. A handle of 0 or one
# that is no window ends the program at once with code 0.
source "$(dirname "$0")/lib.sh"

win_start host "$VTL_WIN_BIN/previewhost.exe" watch 200 150
HOST_PID=$WIN_PID
for _ in $(seq 300); do grep -q '^host ' "$E2E_OUT/host.log" 2>/dev/null && break; sleep 0.1; done
handle=$(tr -d '\r' <"$E2E_OUT/host.log" | awk '$1 == "host" { print $2 }')
[[ -n $handle ]] || fail "the host window was not made"

win_start preview "$VTL_WIN_BIN/vtl3d.scr" /p "$handle"
PREVIEW_PID=$WIN_PID
win_wait "$HOST_PID" 60 || fail "the host saw no child window"
[[ $WIN_CODE == 0 ]] || fail "host ended with $WIN_CODE: $(cat "$E2E_OUT/host.log")"
child=$(tr -d '\r' <"$E2E_OUT/host.log" | grep '^child ')
for field in class=VTL3DPreview title=CSPreview disabled=1 size=200x150 visible=1; do
    [[ " $child " == *" $field "* ]] || fail "expected $field in: $child"
done
win_wait "$PREVIEW_PID" 20 || fail "the preview did not end when the host window went"
[[ $WIN_CODE == 0 ]] || fail "the preview ended with code $WIN_CODE"
note "child window: ${child#child }; ended with code 0 when the host went"

for handle in 0 12345 abc; do
    start=$(date +%s)
    win_start bad "$VTL_WIN_BIN/vtl3d.scr" /p "$handle"
    win_wait "$WIN_PID" 30 || fail "/p $handle did not end"
    [[ $WIN_CODE == 0 ]] || fail "/p $handle ended with code $WIN_CODE"
    note "/p $handle ended with code 0 after $(($(date +%s) - start))s (Wine start-up included)"
done
