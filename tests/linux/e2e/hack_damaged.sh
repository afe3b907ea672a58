#!/usr/bin/env bash
# Damaged packs beside a copy of the program: a sound pack cut short, empty or of
# random bytes costs the sound, never the picture (the scene is drawn, nothing is
# heard, one line names the file and says why); a damaged scene pack ends the run with
# a message that names its file. Nothing is left behind either way.
source "$(dirname "$0")/lib.sh"
start_x 640x480
bin=$L_OUT/bin
mkdir "$bin"
cp "$VTL_BIN/vtl3d" "$VTL_BIN/vtl3d.pak" "$bin/"
user=$(scratch_of "$(id -u)")
rm -rf "$user"

# run NAME: the copy with sounds on for 3 s, then SIGTERM; the scene must be drawn.
run() {
    ALSOFT_CONF=$(alsoft_wave "$1") ALSOFT_DRIVERS=wave "$bin/vtl3d" -window -geometry 320x240 >"$L_OUT/$1.log" 2>&1 &
    local pid=$!
    L_PIDS+=($pid)
    sleep 3
    shot "$L_OUT/$1.xwd"
    end_hack "$pid"
    scene_check "$L_OUT/$1.xwd" 0 0 320 240
    [[ ! -e $L_OUT/$1.wav ]] || fail "$1: a sound device was opened for a damaged pack"
    (($(grep -c '^vtl3d: no sound: ' "$L_OUT/$1.log") == 1)) || fail "$1: not said once: $(cat "$L_OUT/$1.log")"
    [[ ! -e $user ]] || fail "$1: left behind: $(find "$user")"
}

size=$(stat -c %s "$VTL_BIN/vtlsound.pak")
head -c $((size / 2)) "$VTL_BIN/vtlsound.pak" >"$bin/vtlsound.pak"
run truncated
grep -qF "vtl3d: no sound: Damaged pack file $bin/vtlsound.pak: it is cut short: $((size / 2)) of $size bytes" \
    "$L_OUT/truncated.log" || fail "truncated: $(cat "$L_OUT/truncated.log")"
note "truncated: scene drawn, silent, '$(grep -m1 'no sound' "$L_OUT/truncated.log")'"

: >"$bin/vtlsound.pak"
run empty
grep -qF "Damaged pack file $bin/vtlsound.pak: it is not a pack file" "$L_OUT/empty.log" || fail "empty: $(cat "$L_OUT/empty.log")"
head -c 4096 /dev/urandom >"$bin/vtlsound.pak"
run random
grep -qF "Damaged pack file $bin/vtlsound.pak: it is not a pack file" "$L_OUT/random.log" || fail "random: $(cat "$L_OUT/random.log")"
note "empty and random sound packs: scene drawn, silent, the file named"

# The scene pack cut short: the run ends at once and says which file.
cp "$VTL_BIN/vtlsound.pak" "$bin/"
size=$(stat -c %s "$VTL_BIN/vtl3d.pak")
head -c $((size - 1000)) "$VTL_BIN/vtl3d.pak" >"$bin/vtl3d.pak"
code=0
timeout 20 "$bin/vtl3d" -window -geometry 320x240 >"$L_OUT/scene.log" 2>&1 || code=$?
((code == 1)) || fail "a damaged scene pack ended with $code"
grep -qF "vtl3d: Damaged pack file $bin/vtl3d.pak: it is cut short" "$L_OUT/scene.log" || fail "scene: $(cat "$L_OUT/scene.log")"
[[ ! -e $user ]] || fail "scene: left behind: $(find "$user")"
note "damaged scene pack: exit 1, '$(head -n1 "$L_OUT/scene.log")'"
