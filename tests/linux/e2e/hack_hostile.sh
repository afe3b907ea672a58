#!/usr/bin/env bash
# A hostile local user cannot keep another user's saver from running: a folder or a
# link planted at the per-user folder's name is passed over (never used, followed or
# changed) and the saver runs with its sounds from a folder of its own, saying once on
# stderr why; a read-only $TMPDIR falls through the same way. Needs root, to make the
# two users (vtlmallory plants, vtlvictim runs the saver).
source "$(dirname "$0")/lib.sh"
(($(id -u) == 0)) || skip "needs root to run as two other users"
for name in vtlmallory vtlvictim; do
    id -u "$name" >/dev/null 2>&1 || useradd -m "$name" >/dev/null 2>&1 || skip "cannot create user $name"
done
victim=$(id -u vtlvictim)
as() { setpriv --reuid="$1" --regid="$(id -g "$1")" --clear-groups -- "${@:2}"; }
start_x 640x480
shared=$L_OUT/shared  # a second /tmp: anyone may write, the sticky bit on
mkdir -m 1777 "$shared"
out=$L_OUT/out
mkdir -m 0777 "$out"
plant=$shared/vtl3d-$victim
real_tmp=/tmp/vtl3d-$victim
cleanup_plants() { rm -rf "$plant" "$real_tmp" "$shared"/vtl3d-"$victim".*; }
cleanup_plants
trap 'cleanup_plants; l_cleanup' EXIT

# victim NAME TMPDIR ARGS...: the saver as the victim in a window for 3 s, then
# SIGTERM; fails unless it ran and ended with 0. Sound goes to $out/NAME.wav.
victim_run() {
    local name=$1 tmp=$2 conf=$out/$1.conf
    shift 2
    printf '[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n[wave]\nfile = %s\n' "$out/$name.wav" >"$conf"
    chmod 0644 "$conf"
    env -u XDG_RUNTIME_DIR HOME="$(getent passwd vtlvictim | cut -d: -f6)" TMPDIR="$tmp" DISPLAY="$DISPLAY" \
        ALSOFT_CONF="$conf" ALSOFT_DRIVERS=wave setpriv --reuid=vtlvictim --regid="$(id -g vtlvictim)" \
        --clear-groups -- "$VTL_BIN/vtl3d" -window -geometry 320x240 "$@" >"$L_OUT/$name.log" 2>&1 &
    local pid=$!
    L_PIDS+=($pid)
    sleep 3
    kill -0 "$pid" 2>/dev/null || fail "$name: the saver did not keep running: $(cat "$L_OUT/$name.log")"
    shot "$L_OUT/$name.xwd"
    end_hack "$pid"
    (($(grep -c '^vtl3d: .* instead$' "$L_OUT/$name.log") == 1)) || fail "$name: not said once why: $(cat "$L_OUT/$name.log")"
}
# Nothing of the victim's is left in either temporary folder.
nothing_left() {
    local left
    left=$(find "$shared" "/tmp" -maxdepth 1 -user vtlvictim -name "vtl3d-$victim*" 2>/dev/null)
    [[ -z $left ]] || fail "$1: left behind: $left"
}

# A folder planted by another user, with bait inside.
as vtlmallory mkdir -m 0777 "$plant"
as vtlmallory touch "$plant/bait"
victim_run folder "$shared"
scene_check "$L_OUT/folder.xwd" 0 0 320 240
heard "$out/folder.wav" || fail "no city heard beside a planted folder"
grep -q "$plant belongs to another user" "$L_OUT/folder.log" || fail "the reason was not said: $(cat "$L_OUT/folder.log")"
[[ $(stat -c %U "$plant") == vtlmallory && $(ls -A "$plant") == bait ]] || fail "the planted folder was touched"
nothing_left "planted folder"
note "planted folder: $(grep -m1 instead "$L_OUT/folder.log")"
rm -rf "$plant"

# A link planted by another user, to a folder of theirs.
as vtlmallory mkdir -m 0777 "$shared/mallory"
as vtlmallory ln -s "$shared/mallory" "$plant"
victim_run link "$shared" -no-sounds
[[ -L $plant && $(readlink "$plant") == "$shared/mallory" ]] || fail "the planted link was changed"
[[ -z $(ls -A "$shared/mallory") ]] || fail "files were written through the link: $(ls "$shared/mallory")"
nothing_left "planted link"
note "planted link: never followed, left as it was; saver ran"

# Every named folder planted (the link above, a folder in /tmp): a fresh folder.
as vtlmallory mkdir -m 0755 "$real_tmp"
victim_run fresh "$shared"
heard "$out/fresh.wav" || fail "no city heard from a fresh folder"
grep -q "unpacking into $shared/vtl3d-$victim\.[^ ]* instead" "$L_OUT/fresh.log" || fail "no fresh folder: $(cat "$L_OUT/fresh.log")"
[[ $(stat -c %U "$real_tmp") == vtlmallory ]] || fail "the planted /tmp folder was touched"
nothing_left "fresh folder"
note "both names planted: a fresh private folder, removed at the end"
rm -rf "$plant" "$real_tmp"

# A read-only temporary folder: the next candidate, /tmp.
mkdir -m 0555 "$L_OUT/readonly"
victim_run readonly "$L_OUT/readonly" -no-sounds
grep -q "cannot be made (Permission denied)" "$L_OUT/readonly.log" || fail "not said: $(cat "$L_OUT/readonly.log")"
nothing_left "read-only TMPDIR"
note "read-only TMPDIR: $(grep -m1 instead "$L_OUT/readonly.log")"
