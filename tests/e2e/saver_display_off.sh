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
# heard FROM: capture_stats over at most 3 s of sound after byte FROM (the capture can
# run far ahead of the clock on a loaded machine, and reading all of it takes minutes).
heard() {
    dd if="$WINEBED_CAPTURE" iflag=skip_bytes,count_bytes skip="$1" count=$((3 * 48000 * 8)) bs=64K 2>/dev/null |
        od -An -v -f -w8 |
        awk '{ l = $1; r = $2; a = (l < 0 ? -l : l) + (r < 0 ? -r : r); if (a > 0.001) n++ } END { print n + 0 }'
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# The whole screen alike, pixel for pixel (the files' headers differ between shots).
same_picture() { [[ $(xwdtool diff "$1" "$2" 0 0 1024 768) == 0.00 ]]; }

proc=$(saver_process)
note "saver process $proc: $(tr '\0' ' ' <"/proc/$proc/cmdline")"

dark_spell() {  # $1: the setting the notice carries (console, monitor)
    local answer shot1 shot2 mark ticks1 ticks2 frames percent
    answer=$(notify "$1" off) || fail "$1 off: not delivered ($answer)"
    sleep 1
    shot1=$E2E_OUT/$1-off-1.xwd shot2=$E2E_OUT/$1-off-2.xwd
    mark=$(capture_mark)
    ticks1=$(cpu_ticks "$proc")
    shot "$shot1"
    sleep 4
    shot "$shot2"
    ticks2=$(cpu_ticks "$proc")
    frames=$(heard "$mark")
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
    frames=$(heard "$mark")
    same_picture "$shot2" "$E2E_OUT/$1-on.xwd" && fail "$1 on: no frame after the monitor came back"
    ((frames > 24000)) || fail "$1 on: the sounds did not come back ($frames sounding frames)"
    note "$1 on: frames and sounds are back"
}
dark_spell console
# Windows 7 tells the monitor's power instead of the console's display state.
notify monitor off >/dev/null || fail "monitor off: not delivered"
sleep 1
shot "$E2E_OUT/monitor-off-1.xwd"
sleep 2
shot "$E2E_OUT/monitor-off-2.xwd"
same_picture "$E2E_OUT/monitor-off-1.xwd" "$E2E_OUT/monitor-off-2.xwd" || fail "monitor off: frames were drawn"
notify monitor on >/dev/null || fail "monitor on: not delivered"
note "monitor off (Windows 7's notice): no frame"
# A dimmed monitor still shows the saver.
notify console dimmed >/dev/null
sleep 1
shot "$E2E_OUT/dim-1.xwd"
sleep 1
shot "$E2E_OUT/dim-2.xwd"
same_picture "$E2E_OUT/dim-1.xwd" "$E2E_OUT/dim-2.xwd" && fail "dimmed: the saver stopped drawing"
keep_png "$E2E_OUT/dim-2.xwd" dimmed
note "dimmed: still drawing"
saver_key Escape
saver_end_expected "after the dark spells"
note "a key ended the saver with 0"
