#!/usr/bin/env bash
# The hack with sounds on, heard through OpenAL Soft's wave writer: the city plays
# (both channels carry sound) while the scene runs, and after SIGTERM the unpacked
# sounds are gone. With no audio device it says so once, runs silent and ends the same
# way.
source "$(dirname "$0")/lib.sh"
start_x 640x480
scratch=$(scratch_of "$(id -u)")
conf=$L_OUT/alsoft.conf
printf '[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n[wave]\nfile = %s\n' \
    "$L_OUT/city.wav" >"$conf"

# run_hack LOG: the hack in a window for 6 s, then SIGTERM; fails unless it ends at
# once with code 0 and leaves the scratch folder empty.
run_hack() {
    "$VTL_BIN/vtl3d" -window -geometry 320x240 >"$L_OUT/$1.log" 2>&1 &
    local pid=$! code=0
    L_PIDS+=($pid)
    sleep 6
    kill -0 "$pid" 2>/dev/null || fail "the hack ended on its own"
    kill -TERM "$pid"
    wait_gone "$pid" 5 || fail "SIGTERM did not end the hack"
    wait "$pid" || code=$?
    ((code == 0)) || fail "the hack ended with $code"
    [[ ! -e $scratch ]] || [[ -z $(ls -A "$scratch") ]] || fail "sounds left in $scratch: $(ls "$scratch")"
}

ALSOFT_CONF=$conf ALSOFT_DRIVERS=wave run_hack sound
[[ -s $L_OUT/city.wav ]] || fail "OpenAL wrote no sound"
read -r seconds left right < <(wave_level "$L_OUT/city.wav")
awk -v l="$left" -v r="$right" 'BEGIN{exit !(l > 0.003 && r > 0.003)}' ||
    fail "the city is silent in $seconds s of sound (left $left, right $right)"
note "city heard: $seconds s, level left $left right $right; scratch folder empty after SIGTERM"

# No device: the wave writer with no file cannot open.
printf '[general]\ndrivers = wave\n[wave]\nfile =\n' >"$conf"
ALSOFT_CONF=$conf ALSOFT_DRIVERS=wave run_hack silent
grep -q "vtl3d: no sound" "$L_OUT/silent.log" || fail "without a device nothing was said: $(cat "$L_OUT/silent.log")"
note "no device: '$(grep -m1 'no sound' "$L_OUT/silent.log")', ran and ended cleanly"

# The X server goes away under a running hack: it says so, ends with 1, and the
# sounds it unpacked go with it.
printf '[general]\ndrivers = wave\n[wave]\nfile = %s\n' "$L_OUT/lost.wav" >"$conf"
start_x 640x480
xserver=${L_PIDS[-1]}
ALSOFT_CONF=$conf ALSOFT_DRIVERS=wave "$VTL_BIN/vtl3d" -window -geometry 320x240 >"$L_OUT/lost.log" 2>&1 &
pid=$!
L_PIDS+=($pid)
sleep 5
[[ -n $(find "$scratch" -name '*.wav' 2>/dev/null) ]] || fail "no sounds were unpacked to lose"
kill "$xserver"
wait_gone "$pid" 5 || fail "the hack outlived its X server"
code=0
wait "$pid" || code=$?
((code == 1)) || fail "after losing its display the hack ended with $code"
grep -q "the X display went away" "$L_OUT/lost.log" || fail "nothing said about the display: $(cat "$L_OUT/lost.log")"
[[ ! -e $scratch ]] || [[ -z $(ls -A "$scratch") ]] || fail "sounds left in $scratch: $(ls "$scratch")"
note "display lost: said so, exit 1, unpacked sounds removed"
