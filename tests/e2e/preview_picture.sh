#!/usr/bin/env bash
# The preview code copies the "PREVIEW" picture at its natural size to the top-left
# corner of the host's area. Run in the host's own process (a child window in another
# process's window is never drawn under Wine), the screen is read back and compared
# with the picture's own pixels.
source "$(dirname "$0")/lib.sh"

X=40 Y=40
win_start inproc "$VTL_WIN_BIN/previewhost.exe" inproc $X $Y 200 150 8
PID=$WIN_PID
for _ in $(seq 300); do grep -q '^picture ' "$E2E_OUT/inproc.log" 2>/dev/null && break; sleep 0.1; done
tr -d '\r' <"$E2E_OUT/inproc.log" >"$E2E_OUT/samples.txt"
grep -q 'no picture' "$E2E_OUT/samples.txt" && fail "previewhost.exe carries no PREVIEW bitmap"
grep -q '^picture size 152x112 bpp 8' "$E2E_OUT/samples.txt" ||
    fail "picture: $(grep 'picture size' "$E2E_OUT/samples.txt")"
sleep 3
shot "$E2E_OUT/preview.xwd"
keep_png "$E2E_OUT/preview.xwd" preview

checked=0 wrong=0
while read -r _ at r g b; do
    [[ $at == size ]] && continue
    px=$(xwdtool pixel "$E2E_OUT/preview.xwd" $((X + ${at%,*})) $((Y + ${at#*,})))
    read -r sr sg sb <<<"$px"
    if ((sr - r > 8 || r - sr > 8 || sg - g > 8 || g - sg > 8 || sb - b > 8 || b - sb > 8)); then
        ((wrong += 1))
        ((wrong <= 5)) && echo "at $at: screen $px, picture $r $g $b" >&2
    fi
    ((checked += 1))
done < <(grep '^picture [0-9]' "$E2E_OUT/samples.txt")
((checked > 100)) || fail "only $checked sample points"
((wrong == 0)) || fail "$wrong of $checked sample points differ from the picture"

# Outside the picture the program paints nothing: the host's own colour shows.
outside=$(xwdtool mean "$E2E_OUT/preview.xwd" $((X + 160)) $((Y + 10)) $((X + 195)) $((Y + 140)))
[[ $outside == "255.0 0.0 255.0" ]] || fail "outside the picture: mean colour $outside, not the host's"

win_wait "$PID" 30 || fail "the preview code did not return after the host went"
[[ $WIN_CODE == 0 ]] || fail "the host program ended with $WIN_CODE"
grep -q '^returned' <(tr -d '\r' <"$E2E_OUT/inproc.log") || fail "the preview code did not return"
note "$checked sample points match the picture; the preview returned when its host went"
