#!/usr/bin/env bash
# The hack as xscreensaver-settings lists it, from the programs line README.Debian
# (and README) tell a user to add: its list shows the line's quoted name. The
# settings program names the chosen hack in its window title with the same words as in
# its list, so that title is read; a line without the name, which the list shows as
# the program's own name, shows the check tells the two apart.
source "$(dirname "$0")/lib.sh"
command -v xscreensaver-settings >/dev/null || skip "xscreensaver-settings is not installed (Debian package xscreensaver)"
line=$(sed -n 's/^ *\(GL: .*vtl3d --root\) *\\n\\$/\1/p' "$L_SOURCE/packaging/debian/README.Debian")
[[ -n $line ]] || fail "README.Debian gives no programs line for vtl3d"
squeezed=$(tr -s ' ' <<<"$line")
grep -qF -- "\`$squeezed \\n\\\`" "$L_SOURCE/README.md" || fail "README does not give the programs line '$squeezed'"

start_x 1024x768
# listed_as LINE: the name xscreensaver-settings gives the hack of that programs line.
listed_as() {
    local home=$L_OUT/home-$RANDOM title="" pid id ids
    mkdir -p "$home"
    printf 'mode:\t\tone\nselected:\t0\nprograms:\t%s \\n\n' "$1" >"$home/.xscreensaver"
    HOME=$home timeout -k 5 60 xscreensaver-settings >"$L_OUT/settings.log" 2>&1 &
    pid=$!
    L_PIDS+=($pid)
    for _ in $(seq 100); do
        ids=$(xdotool search --onlyvisible --name '^XScreenSaver: .* Settings$' 2>/dev/null || true)
        for id in $ids; do
            title=$(xdotool getwindowname "$id")
        done
        [[ -n $title ]] && break
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [[ -n $title ]] || fail "xscreensaver-settings showed no hack"
    title=${title#XScreenSaver: }
    echo "${title% Settings}"
}
name=$(listed_as "$line")
[[ $name == "Vantorel 3D" ]] || fail "xscreensaver-settings lists '$line' as '$name', not 'Vantorel 3D'"
note "xscreensaver-settings lists '$line' as '$name'"
bare=$(listed_as "GL: vtl3d --root")
[[ $bare != "Vantorel 3D" ]] || fail "a programs line without the name is listed as 'Vantorel 3D' too: the check tells nothing"
note "(without the quoted name it lists '$bare')"
