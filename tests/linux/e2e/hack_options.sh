#!/usr/bin/env bash
# The hack's command line as a person meets it: -help prints the options and ends
# with 0; a bad option, a bad number, a window that does not exist or a display that
# cannot be opened is refused with a clear message and exit code 1, before anything
# is drawn or unpacked.
source "$(dirname "$0")/lib.sh"
hack=$VTL_BIN/vtl3d
[[ -x $hack ]] || fail "no $hack"

"$hack" -help >"$L_OUT/help.log" 2>&1 || fail "-help ended with $?"
grep -q -- "-timing-fps N" "$L_OUT/help.log" || fail "-help does not name -timing-fps"

start_x 320x240
scratch=$(scratch_of "$(id -u)")
rm -rf "$scratch"
# args | exit code | what stderr must say
while IFS='|' read -r args code says; do
    got=0
    # shellcheck disable=SC2086
    timeout 20 "$hack" $args >"$L_OUT/run.log" 2>&1 || got=$?
    [[ $got == "$code" ]] || fail "'$args' ended with $got, not $code: $(head -c 300 "$L_OUT/run.log")"
    grep -qF -- "$says" "$L_OUT/run.log" || fail "'$args' did not say '$says': $(head -c 300 "$L_OUT/run.log")"
    note "'$args' -> $got: $(head -n1 "$L_OUT/run.log")"
done <<'CASES'
-bogus|1|vtl3d: unknown option "-bogus"
-speed fast|1|vtl3d: -speed: "fast" is not a whole number
-timing-fps|1|vtl3d: -timing-fps needs a whole number
-window-id 0xZZ|1|vtl3d: -window-id: "0xZZ" is not a window id
-window-id 0x7ffffff|1|vtl3d: no window 0x7ffffff on this display
-display :999 -window|1|vtl3d: cannot open display ":999"
CASES
grep -q "usage: vtl3d" "$L_OUT/run.log" && fail "a display error printed the usage text"
XSCREENSAVER_WINDOW=nonsense timeout 20 "$hack" >"$L_OUT/run.log" 2>&1 && fail "a bad XSCREENSAVER_WINDOW was taken"
grep -qF 'XSCREENSAVER_WINDOW "nonsense" is not a window id' "$L_OUT/run.log" || fail "bad XSCREENSAVER_WINDOW: $(cat "$L_OUT/run.log")"
[[ ! -e $scratch ]] || fail "a refused start left $scratch"
note "every bad command line refused with exit code 1; nothing unpacked"
