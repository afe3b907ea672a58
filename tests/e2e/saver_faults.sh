#!/usr/bin/env bash
# Each platform call that can fail, failed on purpose in the real program (VTL_FAULTS),
# with a saver password in force that the stand-in library refuses until told
# otherwise. After each fault: the saver ran on and ended only through an accepted
# password, or it ended at start with its documented box (in front of everything) or,
# for a refused device, silently as documented; the screen-saver-running flag is off
# and no scratch folder is left. Prints the table of faults and outcomes.
source "$(dirname "$0")/lib.sh"
settings_reset
setting EnableSounds 1
scratch=$(scratch_folder)
desktop='HKCU\Control Panel\Desktop'
cleanup_faults() {
    rm -f "$PROGRAM_SYSDIR/PASSWORD.CPL"
    wreg delete "$desktop" /v ScreenSaveUsePassword /f >/dev/null || true
}
trap cleanup_faults EXIT
cp "$VTL_WIN_BIN/standins/PASSWORD.CPL" "$PROGRAM_SYSDIR/PASSWORD.CPL"
wreg add "$desktop" /v ScreenSaveUsePassword /t REG_DWORD /d 1 /f >/dev/null
answer=$WINEBED_DIR/password-answer.txt
export VTL_TEST_PASSWORD_FILE=$(winepath -w "$answer")

flag() { timeout 30 wine "$VTL_WIN_BIN/wininfo.exe" --screensaver-running 2>/dev/null | tr -d '\r' | cut -d= -f2; }
# box_on_top TITLE: 1 when the box stands in front of every other visible window.
# (Wine leaves an ownerless task-modal box without the top-most style that Windows
# gives MB_TOPMOST; in front is what a person sees.)
box_on_top() {
    local order
    order=$(timeout 30 wine "$VTL_WIN_BIN/wininfo.exe" "$1" 2>/dev/null | tr -d '\r' | grep '^order ' || true)
    [[ $order == *"z=0 "* ]] && echo 1 || echo 0
}

table=()
failures=0
# run_fault FAULT EXPECTED: EXPECTED is runs, box (Application Error, code 1),
# unable ("Unable to run", code 0) or closes (no box, code 0).
run_fault() {
    local fault=$1 expected=$2 outcome="" code="" on_top="-" password="-" moving="-" left flag_after
    echo 0 >"$answer"
    rm -f "$answer.calls"
    xdotool mousemove 500 400
    VTL_FAULTS=$fault win_start "saver-$fault" "$VTL_WIN_BIN/vtl3d.scr" /s
    local pid=$WIN_PID box window
    case $expected in
        runs)
            if window=$(window_id '^Saver$' 40); then
                SAVER_WINDOW=$window
                sleep 3
                # Frames still come: the middle of the picture changes within a second.
                shot "$E2E_OUT/a.xwd"
                sleep 1
                shot "$E2E_OUT/b.xwd"
                moving=$(xwdtool diff "$E2E_OUT/a.xwd" "$E2E_OUT/b.xwd" 362 234 662 534)
                awk -v d="$moving" 'BEGIN{exit !(d > 2)}' && moving=yes || moving="NO($moving)"
                xdotool key --window "$window" a
                for _ in $(seq 50); do grep -q 'answer=0' "$answer.calls" 2>/dev/null && break; sleep 0.2; done
                sleep 1
                if kill -0 "$pid" 2>/dev/null && grep -q 'answer=0' "$answer.calls" 2>/dev/null; then
                    password=refused-kept
                    echo 1 >"$answer"
                    sleep 0.5
                    xdotool key --window "$window" a
                else
                    password=ENDED-WITHOUT
                fi
                outcome=ran
            else
                outcome=NO-WINDOW
            fi ;;
        box | unable)
            local title='^Application Error$'
            [[ $expected == unable ]] && title='^Unable to run$'
            if box=$(window_id "$title" 40); then
                outcome=box
                on_top=$(box_on_top "${title:1:-1}")
                xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
            else
                outcome=NO-BOX
            fi ;;
        closes) outcome=closed ;;
    esac
    if win_wait "$pid" 40; then code=$WIN_CODE; else code=FROZEN; kill "$pid" 2>/dev/null || true; fi
    flag_after=$(flag)
    if [[ -e $scratch ]]; then left=LEFT; rm -rf "$scratch"; else left=none; fi
    local want_code=0
    [[ $expected == box ]] && want_code=1
    local verdict=ok
    [[ $code == "$want_code" && $flag_after == 0 && $left == none ]] || verdict=FAIL
    [[ $outcome == NO-* || $password == ENDED-WITHOUT || $moving == NO* ]] && verdict=FAIL
    [[ $expected == box || $expected == unable ]] && [[ $expected == unable || $on_top == 1 ]] || { [[ $expected == box ]] && verdict=FAIL; }
    [[ $verdict == ok ]] || failures=$((failures + 1))
    table+=("$(printf '%-14s %-8s %-7s %-7s %-5s %-6s %-5s %-7s %-13s %s' "$fault" "$expected" "$outcome" "$moving" \
        "$code" "$on_top" "$flag_after" "$left" "$password" "$verdict")")
}

run_fault window box
run_fault frame-timer runs
run_fault unblock-timer runs
run_fault cursor runs
run_fault device closes
run_fault present runs
run_fault file-create box
run_fault library unable
run_fault com runs

echo "fault          expected outcome frames  exit  ontop  flag  scratch password      verdict"
printf '%s\n' "${table[@]}"
[[ $failures == 0 ]] || fail "$failures of ${#table[@]} faults ended badly (table above)"
note "every fault ran on or ended as documented; flag off and no scratch folder after each"
