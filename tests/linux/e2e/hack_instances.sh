#!/usr/bin/env bash
# Several instances of one user at once, as XScreenSaver runs them (one per monitor,
# its preview beside a running saver): each draws, exactly one plays the city, ending
# either leaves the other's sound going (a silent one takes the sound over), a killed
# instance's files are cleared by the next start, and nothing is left once all ended.
# Each instance writes what it plays to a wave file of its own.
source "$(dirname "$0")/lib.sh"
start_x 800x300
user=$(scratch_of "$(id -u)")
rm -rf "$user"

# window X: a 320x240 test window at x, its id printed.
window() {
    local out=$L_OUT/window$1.out id
    "$VTL_BIN/x11window" 320 240 >"$out" 2>>"$L_OUT/window.log" &
    L_PIDS+=($!)
    for _ in $(seq 50); do [[ -s $out ]] && break; sleep 0.1; done
    id=$(head -n1 "$out")
    [[ $id == 0x* ]] || fail "a test window did not appear"
    xdotool windowmove "$id" "$1" 0
    echo "$id"
}
# start NAME WINDOW: an instance drawing into the window, heard in NAME.wav; sets PID.
start() {
    ALSOFT_CONF=$(alsoft_wave "$1") ALSOFT_DRIVERS=wave "$VTL_BIN/vtl3d" -window-id "$2" >"$L_OUT/$1.log" 2>&1 &
    PID=$!
    L_PIDS+=($PID)
}
size() { stat -c %s "$1" 2>/dev/null || echo 0; }
runs() { find "$user" -maxdepth 1 -name 'run.*' 2>/dev/null | wc -l; }

left=$(window 0)
right=$(window 400)
start a "$left"
a=$PID
sleep 2
start b "$right"
b=$PID
sleep 3
shot "$L_OUT/both.xwd"
keep_png "$L_OUT/both.xwd" two-instances
scene_check "$L_OUT/both.xwd" 0 0 320 240
scene_check "$L_OUT/both.xwd" 400 0 320 240
[[ -s $L_OUT/a.wav ]] || fail "the first instance plays nothing"
[[ ! -e $L_OUT/b.wav ]] || fail "the second instance plays the city too"
(($(runs) == 2)) || fail "not two instance folders in $user: $(ls -A "$user")"
note "two instances draw; one is heard; $(runs) instance folders"

# The silent one ends: the sounding one goes on.
end_hack "$b"
before=$(size "$L_OUT/a.wav")
sleep 1.5
(($(size "$L_OUT/a.wav") > before + 100000)) || fail "the city stopped when the silent instance ended"
[[ -e $user ]] || fail "the per-user folder went while an instance runs"
note "silent instance ended: the city plays on"

# The sounding one ends: a silent one takes over within a second or two.
start c "$right"
c=$PID
sleep 2
[[ ! -e $L_OUT/c.wav ]] || fail "a third instance plays beside the first"
end_hack "$a"
heard "$L_OUT/a.wav" || fail "the first instance's city was silent"
sleep 3
[[ -s $L_OUT/c.wav ]] || fail "no instance took the sound over: $(cat "$L_OUT/c.log")"
note "sounding instance ended: the other took the sound over"

# Killed: its folder stays until the next start, which clears it and takes the sound.
kill -KILL "$c"
wait "$c" 2>/dev/null || true
(($(runs) == 1)) || fail "a killed instance left $(runs) instance folders"
start d "$left"
d=$PID
sleep 3
(($(runs) == 1)) || fail "the killed instance's folder was not cleared at the next start"
[[ -s $L_OUT/d.wav ]] || fail "the sound of a killed instance was not taken over"
end_hack "$d"
heard "$L_OUT/d.wav" || fail "the city after a killed instance is silent"
heard "$L_OUT/c.wav" || fail "the city of the instance that took over was silent"
[[ ! -e $user ]] || fail "left after the last instance ended: $(find "$user")"
note "killed instance cleared by the next start; nothing left after the last one ended"
