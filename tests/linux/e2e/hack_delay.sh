#!/usr/bin/env bash
# -delay, the frame period every XScreenSaver hack takes in microseconds: the frames
# the hack draws into a window, counted from outside over a few seconds, follow it,
# and a later -timing-fps wins over it.
source "$(dirname "$0")/lib.sh"
start_x 1024x768
"$VTL_BIN/x11window" 320 240 >"$L_OUT/window.out" 2>"$L_OUT/window.log" &
L_PIDS+=($!)
for _ in $(seq 50); do [[ -s $L_OUT/window.out ]] && break; sleep 0.1; done
id=$(head -n1 "$L_OUT/window.out")
[[ $id == 0x* ]] || fail "the test window did not appear"

seconds=4
# frames_per_second ARGS...: the rate the hack draws at with those options.
frames_per_second() {
    local hack frames
    "$VTL_BIN/vtl3d" -window-id "$id" -no-sounds "$@" >"$L_OUT/hack.log" 2>&1 &
    hack=$!
    L_PIDS+=($hack)
    sleep 2  # past the start-up
    kill -0 "$hack" 2>/dev/null || fail "the hack ended on its own with $*"
    frames=$("$VTL_BIN/framecount" "$id" "$seconds")
    kill "$hack"
    wait "$hack" 2>/dev/null || true
    awk -v f="$frames" -v s="$seconds" 'BEGIN{printf "%.1f\n", f / s}'
}
# options | frames per second aimed at
while IFS='|' read -r args aimed; do
    # shellcheck disable=SC2086
    got=$(frames_per_second $args)
    awk -v g="$got" -v a="$aimed" 'BEGIN{exit !(g > a * 0.7 && g < a * 1.2)}' ||
        fail "'$args' drew $got frames per second, not about $aimed"
    note "'$args': $got frames per second (aimed at $aimed)"
done <<'CASES'
-delay 100000|10
-delay 40000|25
-delay 100000 -timing-fps 40|40
CASES
