#!/usr/bin/env bash
# With a saver password in force, a refused password keeps the saver drawing; the
# right one ends it. The host's password library is a stand-in built for the tests,
# put where the program looks for it (the system folder of the test prefix).
source "$(dirname "$0")/lib.sh"
settings_reset
setting EnableSounds 0
trap undo_password_standin EXIT
use_password_standin
answer=$PASSWORD_ANSWER

saver_start
wait_drawn
xdotool key a
for _ in $(seq 100); do grep -q 'answer=0' "$answer.calls" 2>/dev/null && break; sleep 0.2; done
grep -q 'answer=0' "$answer.calls" 2>/dev/null || fail "the password library was not asked"
sleep 1
saver_alive || fail "a refused password ended the saver"
shot "$E2E_OUT/after1.xwd"
sleep 1
shot "$E2E_OUT/after2.xwd"
read -r w h < <(xwdtool size "$E2E_OUT/after1.xwd")
moved=$(xwdtool diff "$E2E_OUT/after1.xwd" "$E2E_OUT/after2.xwd" $((w / 2 - 150)) $((h / 2 - 150)) $((w / 2 + 150)) $((h / 2 + 150)))
awk -v d="$moved" 'BEGIN{exit !(d > 2)}' || fail "the saver stopped drawing after the refusal ($moved)"
echo 1 >"$answer"
xdotool key a
saver_end_expected "accepted password"
note "refused: saver kept drawing (diff $moved); accepted: ended with code 0"
