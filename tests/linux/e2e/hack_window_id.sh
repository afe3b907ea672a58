#!/usr/bin/env bash
# -window-id on a window another program made: the scene fills that window (city in
# its corners, the skull bright in its middle) and only that window, the frames keep
# coming, a resize is followed, and SIGTERM ends the hack at once with code 0 and its
# scratch folder gone.
source "$(dirname "$0")/lib.sh"
start_x 1024x768
"$VTL_BIN/x11window" 640 480 >"$L_OUT/window.out" 2>"$L_OUT/window.log" &
L_PIDS+=($!)
for _ in $(seq 50); do [[ -s $L_OUT/window.out ]] && break; sleep 0.1; done
id=$(head -n1 "$L_OUT/window.out")
[[ $id == 0x* ]] || fail "the test window did not appear"
"$VTL_BIN/vtl3d" -window-id "$id" -no-sounds >"$L_OUT/hack.log" 2>&1 &
hack=$!
L_PIDS+=($hack)
sleep 4
kill -0 "$hack" 2>/dev/null || fail "the hack ended on its own"
shot "$L_OUT/a.xwd"
keep_png "$L_OUT/a.xwd" window-id
scene_check "$L_OUT/a.xwd" 0 0 640 480
beside=$(brightness "$L_OUT/a.xwd" 700 100 1000 700)
[[ $beside == 0.0 ]] || fail "the hack drew outside its window (brightness $beside beside it)"
sleep 1
shot "$L_OUT/b.xwd"
turn=$(xwdtool diff "$L_OUT/a.xwd" "$L_OUT/b.xwd" 270 190 370 290)
awk -v t="$turn" 'BEGIN{exit !(t > 0.5)}' || fail "the skull did not turn in a second (diff $turn)"
note "frames keep coming (middle diff $turn)"

xdotool windowsize "$id" 800 600
sleep 2
shot "$L_OUT/c.xwd"
keep_png "$L_OUT/c.xwd" resized
scene_check "$L_OUT/c.xwd" 0 0 800 600

scratch=$(scratch_of "$(id -u)")
kill -TERM "$hack"
wait_gone "$hack" 5 || fail "SIGTERM did not end the hack within 5 s"
code=0
wait "$hack" || code=$?
((code == 0)) || fail "after SIGTERM the hack ended with $code"
[[ ! -e $scratch ]] || [[ -z $(ls -A "$scratch") ]] || fail "files left in $scratch"
note "SIGTERM: exit 0 at once, nothing left in the scratch folder"
