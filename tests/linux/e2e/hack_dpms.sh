#!/usr/bin/env bash
# While the X server has the monitor powered down (XScreenSaver's power saving, here
# `dpms off`, here the dpms tool that does the same), the hack draws nothing, plays nothing and costs (almost) no
# processor time; once the monitor is on again, frames and sounds come back. It asks
# X.Org on the dummy driver first; where that server offers no power management (the
# dummy driver of Debian 12 does not) the hack runs on Xvfb with dpms_standin.so
# preloaded, which answers its two power questions from a file this script writes.
source "$(dirname "$0")/lib.sh"
dpms() { "$VTL_BIN/dpms" "$@"; }
preload=()

# start_dummy_x: X.Org on the dummy driver, 800x600; sets DISPLAY.
start_dummy_x() {
    local conf=$L_OUT/xorg.conf fifo=$L_OUT/displayfd
    mkdir -p "$L_OUT/xorg.conf.d"
    {
        printf 'Section "ServerFlags"\n  Option "AutoAddDevices" "false"\n  Option "DontVTSwitch" "true"\nEndSection\n'
        printf 'Section "Monitor"\n  Identifier "mon"\n  HorizSync 5.0 - 1000.0\n  VertRefresh 5.0 - 200.0\n'
        printf '  Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync\n'
        printf '  Option "DPMS" "true"\nEndSection\n'
        printf 'Section "Device"\n  Identifier "card0"\n  Driver "dummy"\n  VideoRam 32768\nEndSection\n'
        printf 'Section "Screen"\n  Identifier "screen0"\n  Device "card0"\n  Monitor "mon"\n  DefaultDepth 24\n'
        printf '  SubSection "Display"\n    Depth 24\n    Modes "800x600"\n    Virtual 800 600\n  EndSubSection\nEndSection\n'
    } >"$conf"
    : >"$fifo"
    Xorg -displayfd 7 -config "$conf" -configdir "$L_OUT/xorg.conf.d" -noreset -nolisten tcp -ac \
        -logfile "$L_OUT/xorg.log.txt" -novtswitch -sharevts 7>"$fifo" >"$L_OUT/xorg.out.txt" 2>&1 &
    L_PIDS+=($!)
    for _ in $(seq 200); do
        [[ -s $fifo ]] && break
        sleep 0.05
    done
    [[ -s $fifo ]] || return 1
    export DISPLAY=:$(head -n1 "$fifo")
}
# use_standin: Xvfb, and the power answers from a file.
use_standin() {
    start_x 800x600
    export VTL_DPMS_STANDIN=$L_OUT/dpms-level
    echo on >"$VTL_DPMS_STANDIN"
    dpms() {
        case $1 in
        enable) ;;
        on | off) echo "$1" >"$VTL_DPMS_STANDIN" ;;
        state) echo "enabled=1 level=$(cat "$VTL_DPMS_STANDIN")" ;;
        esac
    }
    preload=(env "LD_PRELOAD=$VTL_BIN/dpms_standin.so")
    note "no X server with power management here: its answers stand in (dpms_standin.so)"
}
if command -v Xorg >/dev/null && [[ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ]] &&
    start_dummy_x && dpms enable; then
    note "X.Org's dummy driver with power management"
else
    use_standin
fi
[[ $(dpms state) == "enabled=1 level=on"* ]] || fail "power management not ready: $(dpms state)"

conf=$(alsoft_wave city)
ALSOFT_CONF=$conf ALSOFT_DRIVERS=wave "${preload[@]}" "$VTL_BIN/vtl3d" -window -geometry 320x240 >"$L_OUT/hack.log" 2>&1 &
pid=$!
L_PIDS+=($pid)
sleep 4
kill -0 "$pid" 2>/dev/null || fail "the hack ended on its own"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
wave_size() { stat -c %s "$L_OUT/city.wav"; }
# loudness FROM TO: the root mean square of the 16-bit samples the wave writer wrote
# between two sizes of its file.
loudness() {
    python3 - "$L_OUT/city.wav" "$1" "$2" <<'PY'
import sys, array, math
start, end = int(sys.argv[2]) & ~3, int(sys.argv[3]) & ~3
with open(sys.argv[1], 'rb') as f:
    f.seek(start)
    samples = array.array('h', f.read(max(end - start, 0)))
print(f"{math.sqrt(sum(x * x for x in samples) / max(len(samples), 1)) / 32768:.5f}")
PY
}
same_picture() { [[ $(xwdtool diff "$1" "$2" 0 0 800 600) == 0.00 ]]; }

shot "$L_OUT/on-1.xwd"
sleep 0.5
shot "$L_OUT/on-2.xwd"
same_picture "$L_OUT/on-1.xwd" "$L_OUT/on-2.xwd" && fail "the hack does not draw with the monitor on"

dpms off
sleep 2  # the hack asks once a second
shot "$L_OUT/off-1.xwd"
ticks=$(cpu_ticks)
size=$(wave_size)
sleep 4
shot "$L_OUT/off-2.xwd"
ticks=$(($(cpu_ticks) - ticks))
off_level=$(loudness "$size" "$(wave_size)")
[[ $(dpms state) == "enabled=1 level=off"* ]] || fail "the monitor did not stay off: $(dpms state)"
kill -0 "$pid" 2>/dev/null || fail "the hack ended while the monitor was off"
same_picture "$L_OUT/off-1.xwd" "$L_OUT/off-2.xwd" || fail "frames were drawn while the monitor was off"
awk -v l="$off_level" 'BEGIN { exit !(l < 0.0005) }' || fail "sound was played while the monitor was off (level $off_level)"
percent=$(awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", 100 * t / hz / 4 }')
note "monitor off: no frame, silence (level $off_level), $percent % of a core over 4 s"
awk -v p="$percent" 'BEGIN { exit !(p < 3) }' || fail "the dark hack still costs $percent % of a core"

dpms on
sleep 2
size=$(wave_size)
shot "$L_OUT/back-1.xwd"
sleep 2
shot "$L_OUT/back-2.xwd"
on_level=$(loudness "$size" "$(wave_size)")
keep_png "$L_OUT/back-2.xwd" back
same_picture "$L_OUT/back-1.xwd" "$L_OUT/back-2.xwd" && fail "no frames after the monitor came back"
awk -v l="$on_level" 'BEGIN { exit !(l > 0.003) }' || fail "the sounds did not come back (level $on_level)"
note "monitor on: frames and sounds are back (level $on_level)"

kill -TERM "$pid"
wait_gone "$pid" 5 || fail "SIGTERM did not end the hack"
code=0
wait "$pid" || code=$?
((code == 0)) || fail "the hack ended with $code"
note "ended with 0"
