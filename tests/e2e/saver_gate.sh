#!/usr/bin/env bash
# One full-screen saver at a time: while another process holds the saver's mutex,
# `vtl3d.scr /s` ends at once with code 0 and never opens its window.
source "$(dirname "$0")/lib.sh"

win_start holder "$VTL_WIN_BIN/holdmutex.exe" 30
for _ in $(seq 200); do grep -q held "$E2E_OUT/holder.log" 2>/dev/null && break; sleep 0.1; done
grep -q held "$E2E_OUT/holder.log" || fail "helper could not take the mutex"

start=$(date +%s.%N)
win_start saver "$VTL_WIN_BIN/vtl3d.scr" /s
win_wait "$WIN_PID" 30 || fail "second saver did not end"
elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" "BEGIN{printf \"%.2f\", b-a}")
[[ $WIN_CODE == 0 ]] || fail "second saver exit code $WIN_CODE"
if xdotool search --name '^Saver$' >/dev/null 2>&1; then fail "second saver opened a window"; fi
note "second saver ended with code 0 after ${elapsed}s (Wine start-up included)"

# The helper dies holding the mutex; the next saver takes the abandoned mutex and
# runs. Then a real saver holds it: a second one ends, the first runs on.
pkill -f holdmutex.exe || true
sleep 1
settings_reset
setting EnableSounds 0
saver_start
first=$SAVER_PID
win_start second "$VTL_WIN_BIN/vtl3d.scr" /s
win_wait "$WIN_PID" 30 || fail "second saver beside a running one did not end"
[[ $WIN_CODE == 0 ]] || fail "second saver beside a running one: exit code $WIN_CODE"
[[ $(xdotool search --onlyvisible --name '^Saver$' | wc -l) == 1 ]] || fail "more than one saver window"
SAVER_PID=$first
saver_alive || fail "the first saver ended"
xdotool key Escape
saver_end_expected "first saver"
note "a second /s beside a running saver ended with code 0; the first ran on"
