#!/usr/bin/env bash
# While Windows says the monitor is off, the saver draws nothing and plays nothing and
# costs (almost) no processor time; when it comes back, frames and sounds resume at
# once. Wine sends no display-state notice of its own: powernotify.exe delivers the one
# Windows sends, to the saver's window.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
settings_reset
setting EnableSounds 1
saver_start
wait_drawn
notify() { timeout 30 wine "$VTL_WIN_BIN/powernotify.exe" Saver "$@" 2>/dev/null | tr -d '\r'; }
# The Windows process of the saver among the run's processes (wine's loader forks).
saver_process() {
    local pid=$SAVER_PID next
    for _ in 1 2 3 4 5 6; do
        grep -qa 'vtl3d\.scr' "/proc/$pid/cmdline" 2>/dev/null && [[ $(pgrep -P "$pid" | wc -l) -eq 0 ]] && break
        next=$(pgrep -P "$pid" | head -n1) || break
        pid=$next
    done
    echo "$pid"
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
same_picture() { cmp -s "$1" "$2"; }

proc=$(saver_process)
note "saver process $proc: $(tr '\0' ' ' <"/proc/$proc/cmdline")"

dark_spell() {  # $1: the setting the notice carries (console, monitor)
    local answer shot1 shot2 mark ticks1 ticks2 frames left right percent
    answer=$(notify "$1" off) || fail "$1 off: not delivered ($answer)"
    sleep 1
    shot1=$E2E_OUT/$1-off-1.xwd shot2=$E2E_OUT/$1-off-2.xwd
    mark=$(capture_mark)
    ticks1=$(cpu_ticks "$proc")
    shot "$shot1"
    sleep 4
    shot "$shot2"
    ticks2=$(cpu_ticks "$proc")
    read -r frames left right < <(capture_stats "$mark")
    saver_alive || fail "the saver ended while the monitor was off"
    same_picture "$shot1" "$shot2" || fail "$1 off: frames were drawn (the picture changed)"
    ((frames == 0)) || fail "$1 off: $frames sounding frames were played"
    percent=$(awk -v t=$((ticks2 - ticks1)) -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", 100 * t / hz / 4 }')
    note "$1 off: no frame, no sound, $percent % of a core over 4 s"
    awk -v p="$percent" 'BEGIN { exit !(p < 5) }' || fail "$1 off: the saver still costs $percent % of a core"

    answer=$(notify "$1" on) || fail "$1 on: not delivered ($answer)"
    mark=$(capture_mark)
    sleep 1.5
    shot "$E2E_OUT/$1-on.xwd"
    read -r frames left right < <(capture_stats "$mark")
    same_picture "$shot2" "$E2E_OUT/$1-on.xwd" && fail "$1 on: no frame after the monitor came back"
    ((frames > 24000)) || fail "$1 on: the sounds did not come back ($frames sounding frames)"
    note "$1 on: frames and sounds are back"
}
dark_spell console
# Windows 7 tells the monitor's power instead of the console's display state.
dark_spell monitor
# A dimmed monitor still shows the saver.
notify console dimmed >/dev/null
sleep 1
shot "$E2E_OUT/dim-1.xwd"
sleep 1
shot "$E2E_OUT/dim-2.xwd"
same_picture "$E2E_OUT/dim-1.xwd" "$E2E_OUT/dim-2.xwd" && fail "dimmed: the saver stopped drawing"
keep_png "$E2E_OUT/dim-2.xwd" dimmed
saver_key Escape
saver_end_expected "after the dark spells"
note "a key ended the saver with 0"
