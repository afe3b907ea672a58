#!/usr/bin/env bash
# -delay, the frame period every XScreenSaver hack takes in microseconds: the frames
# the hack draws into a window, counted from outside over a few seconds, follow it,
# and whichever of -delay and -timing-fps comes last wins.
source "$(dirname "$0")/lib.sh"
start_x 1024x768
"$VTL_BIN/x11window" 160 120 >"$L_OUT/window.out" 2>"$L_OUT/window.log" &
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
# A slow rate is kept to closely; a fast one may be held back by a busy machine's
# software renderer, so it need only be clearly faster than the slow one.
slow=$(frames_per_second -delay 100000)
awk -v g="$slow" 'BEGIN{exit !(g > 6 && g < 12)}' || fail "-delay 100000 drew $slow frames per second, not about 10"
note "-delay 100000: $slow frames per second (aimed at 10)"
# options | frames per second aimed at
while IFS='|' read -r args aimed; do
    # shellcheck disable=SC2086
    got=$(frames_per_second $args)
    if ((aimed == 10)); then
        awk -v g="$got" 'BEGIN{exit !(g > 6 && g < 12)}' || fail "'$args' drew $got frames per second, not about 10"
    else
        awk -v g="$got" -v s="$slow" -v a="$aimed" 'BEGIN{exit !(g > s * 1.3 && g < a * 1.2)}' ||
            fail "'$args' drew $got frames per second: not clearly faster than $slow, or over $aimed"
    fi
    note "'$args': $got frames per second (aimed at $aimed)"
done <<'CASES'
-delay 40000|25
-delay 100000 -timing-fps 25|25
-timing-fps 25 -delay 100000|10
CASES
