# What the soak figures (soak.sh) and the short leak tests share: starting each
# program so that it reports its frames and sounds, and one table row per sample.
# Table columns (tab-separated, "n/a" where a program or a system gives no figure):
#   t        seconds since sampling began
#   rss_mb   resident memory of the Unix process (/proc VmRSS)
#   anon_mb  its anonymous resident memory (/proc RssAnon): the heap, not the files
#   ws_mb    working set, as the Windows process is told (procstat)
#   priv_mb  private bytes, as the Windows process is told (procstat)
#   handles  the Windows handle count; listed: its rows in the system handle list
#   gdi user GDI and USER objects; windows: its top-level windows
#   fds threads   descriptors and threads of the Unix process (/proc)
#   frames   frames drawn so far, from the renderer's rate reports
#   sounds   street and near samples started so far; loops: loops started so far
SOAK_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
SOAK_COLUMNS="t rss_mb anon_mb ws_mb priv_mb handles listed gdi user windows fds threads frames sounds loops"
# The processes started here that run on after a function returns or fails; the
# caller ends them (soak_end_all) in its own EXIT trap.
SOAK_PIDS=()
soak_end_all() {
    local pid
    for pid in "${SOAK_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${SOAK_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    SOAK_PIDS=()
}

soak_header() { tr ' ' '\t' <<<"$SOAK_COLUMNS"; }

# soak_stamp: each line of stdin with the wall time (seconds) it arrived at in front.
soak_stamp() {
    local line
    while IFS= read -r line; do printf '%s %s\n' "${EPOCHREALTIME/,/.}" "$line"; done
}

# soak_wine_frames LOG: frames so far from a stamped log of Wine's fps channel, whose
# Direct3D lines say "@ approx Rfps" for the time since the line before (OpenGL's, the
# same frames again, are left out); counted from the first
# line on (the frames before it, a second or two, are left out).
soak_wine_frames() {
    [[ -f $1 ]] || { echo 0; return; }
    awk '/wined3d.*@ approx/ {
            for (i = 1; i <= NF; i++) if ($i == "approx") { r = $(i + 1); sub(/fps.*/, "", r) }
            if (seen) n += r * ($1 - t0)
            seen = 1; t0 = $1
        } END { printf "%d\n", n }' "$1"
}

# soak_hud_frames DIR PERIOD: frames so far from Mesa's HUD dump (one rate a period).
soak_hud_frames() {
    [[ -f $1/fps ]] || { echo 0; return; }
    awk -v p="$2" '{ n += $1 * p } END { printf "%d\n", n }' "$1/fps"
}

# soak_plays FILE: "sounds loops" from a file of recorded audio requests.
soak_plays() {
    [[ -f $1 ]] || { echo "0 0"; return; }
    awk '{ sub(/\r$/, "") } $2 == "play" { if ($NF == "loop") l++; else s++ } END { printf "%d %d\n", s, l }' "$1"
}

# soak_unix PID: "rss_mb anon_mb fds threads" of a running Unix process.
soak_unix() {
    local fds
    fds=$(find "/proc/$1/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
    awk -v fds="$fds" '/^VmRSS:/ { r = $2 } /^RssAnon:/ { a = $2 } /^Threads:/ { t = $2 }
        END { printf "%.1f %.1f %d %d\n", r / 1024, a / 1024, fds, t }' "/proc/$1/status" 2>/dev/null ||
        echo "n/a n/a n/a n/a"
}

# soak_procstat_fields LINE: "ws_mb priv_mb handles listed gdi user windows" from one
# line of procstat.exe.
soak_procstat_fields() {
    awk '{ for (i = 2; i < NF; i += 2) v[$i] = $(i + 1)
           w = v["working-set-kb"]; p = v["private-kb"]
           printf "%s %s %s %s %s %s %s\n", (w == "n/a" || w == "") ? "n/a" : sprintf("%.1f", w / 1024),
               (p == "n/a" || p == "") ? "n/a" : sprintf("%.1f", p / 1024),
               v["handles"] == "" ? "n/a" : v["handles"], v["listed-handles"] == "" ? "n/a" : v["listed-handles"],
               v["gdi"] == "" ? "n/a" : v["gdi"], v["user"] == "" ? "n/a" : v["user"],
               v["windows"] == "" ? "n/a" : v["windows"] }' <<<"$1"
}

# soak_row T UNIX WINDOWS FRAMES PLAYS: one tab-separated row from the parts above.
soak_row() {
    local rss anon fds threads ws priv handles listed gdi user windows sounds loops
    read -r rss anon fds threads <<<"$2"
    read -r ws priv handles listed gdi user windows <<<"$3"
    read -r sounds loops <<<"$5"
    printf '%s\t' "$1" "$rss" "$anon" "$ws" "$priv" "$handles" "$listed" "$gdi" "$user" "$windows" "$fds" "$threads" "$4" "$sounds"
    printf '%s\n' "$loops"
}

# soak_wait_until START OFFSET: sleeps until OFFSET seconds after START (epoch seconds).
soak_wait_until() {
    local now
    now=${EPOCHREALTIME/,/.}
    awk -v s="$1" -v o="$2" -v n="$now" 'BEGIN { d = s + o - n; exit !(d > 0) }' || return 0
    sleep "$(awk -v s="$1" -v o="$2" -v n="$now" 'BEGIN { printf "%.3f", s + o - n }')"
}

# soak_hack SECONDS INTERVAL OUT FPS [DISPLAY]: the hack on the root window of a
# private 1024x768 Xvfb (on :DISPLAY, or the first free display) with sounds through
# OpenAL's wave writer, sampled into OUT/hack.tsv. Its own HOME and TMPDIR under OUT.
soak_hack() {
    local seconds=$1 interval=$2 out=$3 fps=$4 display=${5:-}
    local bin=${VTL_BIN:-$SOAK_TOP/build/native/bin} work=$3/hack-work
    rm -rf "$work"
    mkdir -p "$work/home" "$work/tmp" "$work/hud"
    if [[ -n $display ]]; then
        Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    else
        : >"$work/displayfd"
        Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp -noreset 7>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
    fi
    local xvfb=$!
    SOAK_PIDS+=($xvfb)
    for _ in $(seq 100); do
        [[ -z $display && -s $work/displayfd ]] && display=$(head -n1 "$work/displayfd")
        [[ -n $display && -S /tmp/.X11-unix/X$display ]] && break
        sleep 0.05
    done
    kill -0 "$xvfb" 2>/dev/null && [[ -n $display ]] || { echo "soak: Xvfb did not start" >&2; return 1; }
    printf '[general]\ndrivers = wave\nchannels = stereo\nfrequency = 44100\n[wave]\nfile = /dev/null\n' \
        >"$work/alsoft.conf"
    local period=1
    DISPLAY=:$display HOME=$work/home TMPDIR=$work/tmp ALSOFT_CONF=$work/alsoft.conf ALSOFT_DRIVERS=wave \
        VTL_AUDIO_REQUESTS=$work/requests.txt GALLIUM_HUD=fps GALLIUM_HUD_PERIOD=$period \
        GALLIUM_HUD_DUMP_DIR=$work/hud "$bin/vtl3d" -root -timing-fps "$fps" >"$work/hack.log" 2>&1 &
    local pid=$!
    SOAK_PIDS+=($pid)
    sleep 5  # start-up (unpacking, the first frames) is not what is sampled
    soak_header >"$out/hack.tsv"
    local start=${EPOCHREALTIME/,/.} t sampled=0
    for ((t = 0; t <= seconds; t += interval)); do
        soak_wait_until "$start" "$t"
        kill -0 "$pid" 2>/dev/null || { echo "soak: the hack ended at $t s: $(tail -n 3 "$work/hack.log")"; break; }
        sampled=$t
        soak_row "$t" "$(soak_unix "$pid")" "n/a n/a n/a n/a n/a n/a n/a" "$(soak_hud_frames "$work/hud" "$period")" \
            "$(soak_plays "$work/requests.txt")" >>"$out/hack.tsv"
    done
    kill -TERM "$pid" 2>/dev/null || true
    local code=0
    wait "$pid" || code=$?
    echo "soak: hack ended with $code after $sampled s of samples"
    soak_end_all
}

# soak_wine SECONDS INTERVAL OUT FPS [FLOOR]: inside the bed (tests/e2e/lib.sh sourced),
# the floor program (unless FLOOR is "no") and then the saver with sounds, both at
# TimingFPS FPS, sampled into OUT/saver.tsv and OUT/floor.tsv.
soak_wine() {
    local seconds=$1 interval=$2 out=$3 fps=$4 with_floor=${5:-yes} work=$3/wine-work floor=""
    rm -rf "$work"
    mkdir -p "$work"
    # Nobody listens: the ALSA file device writes to /dev/null instead of the capture.
    printf 'pcm.!default { type file slave.pcm "null" file "/dev/null" format "raw" }\npcm.null { type null }\nctl.!default { type hw card 0 }\n' \
        >"$HOME/.asoundrc"
    settings_reset
    setting EnableSounds 1
    setting TimingFPS "$fps"
    local requests=$work/requests.txt
    : >"$requests"
    local procstat=$VTL_WIN_BIN/procstat.exe
    xdotool mousemove 500 400
    if [[ $with_floor != no ]]; then
        local assets=$work/floor-assets
        "$VTL_NATIVE_BIN/vtlpack" extract "$VTL_WIN_BIN/vtl3d.pak" "$assets" >/dev/null
        WINEDEBUG=-all,trace+fps wine "$VTL_WIN_BIN/floord3d8.exe" "$(winepath -w "$assets" 2>/dev/null | tr -d '\r')" \
            "$fps" $((seconds + 40)) full >"$work/floor.out" 2> >(soak_stamp >"$work/floor-fps.log") &
        floor=$!
        SOAK_PIDS+=($floor)
        sleep 5
    fi
    VTL_AUDIO_REQUESTS=$(winepath -w "$requests" 2>/dev/null | tr -d '\r') WINEDEBUG=-all,trace+fps \
        wine "$VTL_WIN_BIN/vtl3d.scr" /s >"$work/saver.out" 2> >(soak_stamp >"$work/saver-fps.log") &
    SAVER_PID=$!
    SOAK_PIDS+=($SAVER_PID)
    SAVER_WINDOW=$(window_id '^Saver$' 60) || { echo "soak: the saver window did not show"; soak_end_all; return 1; }
    soak_header >"$out/saver.tsv"
    [[ -z $floor ]] || soak_header >"$out/floor.tsv"
    sleep 5  # start-up (unpacking, the first frames) is not what is sampled
    local start=${EPOCHREALTIME/,/.} t stats sampled=0
    for ((t = 0; t <= seconds; t += interval)); do
        soak_wait_until "$start" "$t"
        saver_alive || { echo "soak: the saver ended at $t s: $(tail -n 3 "$work/saver.out")"; break; }
        sampled=$t
        stats=$(timeout 60 wine "$procstat" vtl3d.scr floord3d8.exe 2>/dev/null | tr -d '\r')
        soak_row "$t" "$(soak_unix "$SAVER_PID")" "$(soak_procstat_fields "$(grep '^vtl3d.scr pid' <<<"$stats")")" \
            "$(soak_wine_frames "$work/saver-fps.log")" "$(soak_plays "$requests")" >>"$out/saver.tsv"
        if [[ -n $floor ]] && kill -0 "$floor" 2>/dev/null; then
            soak_row "$t" "$(soak_unix "$floor")" "$(soak_procstat_fields "$(grep '^floord3d8.exe pid' <<<"$stats")")" \
                "$(soak_wine_frames "$work/floor-fps.log")" "n/a n/a" >>"$out/floor.tsv"
        fi
    done
    echo "soak: procstat's last answer: $(tr '\n' '|' <<<"$stats")"
    xdotool key --window "$SAVER_WINDOW" Escape
    win_wait "$SAVER_PID" 60 || { echo "soak: the saver did not end"; kill "$SAVER_PID" 2>/dev/null || true; }
    echo "soak: saver ended with ${WIN_CODE:-?} after $sampled s of samples"
    if [[ -n $floor ]]; then
        win_wait "$floor" 90 || kill "$floor" 2>/dev/null || true
        echo "soak: floor ended with ${WIN_CODE:-?}: $(tr -d '\r' <"$work/floor.out" | tr '\n' ' ')"
    fi
    SOAK_PIDS=()
}

# soak_count_growth TABLE COLUMN...: for each count, the largest value sampled in the
# first minute and in the last; fails (1) if any is larger in the last minute, or if
# the table does not span two minutes. Counts, not bytes: they do not drift, so one
# more in the last minute is something held and never given back.
soak_count_growth() {
    local table=$1
    shift
    awk -F'\t' -v cols="$*" '
        NR == 1 { for (i = 1; i <= NF; i++) at[$i] = i; next }
        { n++; t[n] = $1; for (i = 1; i <= NF; i++) v[n, i] = $i }
        END {
            if (n < 2 || t[n] < 120) { printf "only %d samples over %d s: no first and last minute\n", n, t[n]; exit 1 }
            grew = 0; m = split(cols, c, " ")
            for (j = 1; j <= m; j++) {
                i = at[c[j]]; first = last = -1
                for (k = 1; k <= n; k++) {
                    if (t[k] <= 60 && v[k, i] + 0 > first) first = v[k, i] + 0
                    if (t[k] >= t[n] - 60 && v[k, i] + 0 > last) last = v[k, i] + 0
                }
                printf "%s %d -> %d%s\n", c[j], first, last, (last > first ? " GREW" : "")
                if (last > first) grew = 1
            }
            exit grew
        }' "$table"
}
