#!/usr/bin/env bash
# As a user meets it: the .deb installed, Debian's XScreenSaver daemon on a private
# X server with the hack selected, `xscreensaver-command -activate` shows the scene
# (skull bright in the middle, city at the corners) and `-deactivate` ends it, with
# no hack process and no unpacked file left behind. Installed, it is also in
# mate-screensaver's list.
#
# Installing needs root (or password-less sudo); without it the test is skipped. The
# package is removed again afterwards unless it was installed before. XScreenSaver
# runs no hacks for root, so as root the daemon runs as the user "nobody".
source "$(dirname "$0")/lib.sh"
deb=$(ls "$VTL_BIN"/vtl3d_*.deb 2>/dev/null | head -n1)
[[ -f $deb ]] || fail "no .deb in $VTL_BIN (the native build makes it)"
command -v xscreensaver >/dev/null || fail "Debian's xscreensaver is not installed (scripts/install-deps.sh)"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo -n true 2>/dev/null || skip "installing the .deb needs root or password-less sudo"
    sudo="sudo -n"
fi

was_installed=0
dpkg-query -W -f='${Status}' vtl3d 2>/dev/null | grep -q 'install ok installed' && was_installed=1
remove_package() { ((was_installed)) || $sudo dpkg -r vtl3d >/dev/null 2>&1 || true; }
trap 'remove_package; l_cleanup' EXIT
$sudo dpkg -i "$deb" >"$L_OUT/dpkg.log" 2>&1 || fail "dpkg -i $deb failed"
hack=/usr/libexec/xscreensaver/vtl3d
[[ -x $hack && -f /usr/share/xscreensaver/config/vtl3d.xml && -f /usr/share/vtl3d/vtl3d.pak ]] ||
    fail "the package did not install the hack, its option file and its packs"
if command -v xmllint >/dev/null; then
    xmllint --noout /usr/share/xscreensaver/config/vtl3d.xml || fail "the option file is not well-formed XML"
fi
man -w vtl3d >/dev/null 2>&1 || [[ -f /usr/share/man/man6/vtl3d.6.gz ]] || fail "no man page"
note "installed $(basename "$deb"): hack, option file, packs, man page"
# The other screen savers that run XScreenSaver's hacks list them from their menu
# entries; mate-screensaver's list is read here as its preferences read it.
/usr/bin/python3 -c 'import gi; gi.require_version("MateMenu", "2.0")' 2>/dev/null ||
    fail "no MATE menu library (mate-screensaver-common, gir1.2-matemenu-2.0, python3-gi: scripts/install-deps.sh)"
/usr/bin/python3 "$(dirname "$0")/screensaver_menu.py" >"$L_OUT/mate.list" 2>"$L_OUT/mate.log" ||
    fail "mate-screensaver's list could not be read"
grep -qx "Vantorel 3D" "$L_OUT/mate.list" || fail "mate-screensaver does not list Vantorel 3D"
note "mate-screensaver lists Vantorel 3D among $(wc -l <"$L_OUT/mate.list") screen savers"

start_x 1024x768
as=()
user_id=$(id -u)
home=$L_OUT/home
mkdir -p "$home"
if [[ $(id -u) -eq 0 ]]; then
    user_id=$(id -u nobody)
    chown nobody "$home"
    as=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
fi
cat >"$home/.xscreensaver" <<'CONF'
mode:		one
selected:	0
lock:		False
splash:		False
fade:		False
unfade:		False
timeout:	0:30:00
cycle:		0:30:00
programs:	GL: vtl3d --root --no-sounds \n
CONF
chmod 0644 "$home/.xscreensaver"
run_as() { env HOME="$home" DISPLAY="$DISPLAY" TMPDIR=/tmp "${as[@]}" "$@"; }
scratch=$(scratch_of "$user_id")

run_as timeout -k 5 240 xscreensaver -no-splash -verbose >"$L_OUT/xscreensaver.log" 2>&1 &
daemon=$!
L_PIDS+=($daemon)
for _ in $(seq 100); do
    run_as xscreensaver-command -version >/dev/null 2>&1 && break
    sleep 0.1
done
run_as xscreensaver-command -activate >"$L_OUT/command.log" 2>&1 || fail "xscreensaver-command -activate failed"
hack_pid=""
for _ in $(seq 100); do
    hack_pid=$(pgrep -u "$user_id" -x vtl3d | head -n1 || true)
    [[ -n $hack_pid ]] && break
    sleep 0.1
done
[[ -n $hack_pid ]] || fail "XScreenSaver did not start the hack"
note "the daemon started vtl3d (pid $hack_pid): $(tr '\0' ' ' </proc/"$hack_pid"/cmdline)"
sleep 5
kill -0 "$hack_pid" 2>/dev/null || fail "the hack ended on its own"
shot "$L_OUT/active.xwd"
keep_png "$L_OUT/active.xwd" daemon-active
scene_check "$L_OUT/active.xwd" 0 0 1024 768

run_as xscreensaver-command -deactivate >>"$L_OUT/command.log" 2>&1 || fail "xscreensaver-command -deactivate failed"
wait_gone "$hack_pid" 10 || fail "the hack still runs 10 s after -deactivate"
left=$(pgrep -u "$user_id" -x vtl3d || true)
[[ -z $left ]] || fail "hack processes left: $left"
[[ ! -e $scratch ]] || [[ -z $(ls -A "$scratch") ]] || fail "files left in $scratch: $(ls "$scratch")"
note "-deactivate ended the hack; no process and no unpacked file left"
