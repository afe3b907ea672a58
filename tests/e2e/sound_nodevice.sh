#!/usr/bin/env bash
# No sound device at all: the audio back ends' every call runs without a crash, and a
# saver with sounds on says it plays no sound, runs and ends normally, silent, and
# leaves none of the sounds it unpacked.
E2E_BED_OPTIONS="--no-sound ${E2E_BED_OPTIONS:-}"
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/sound_lib.sh"
[[ -z ${WINEBED_CAPTURE:-} ]] || fail "the bed has a sound device"
timeout -k 5 300 wine "$VTL_WIN_BIN/vtl_win32_tests.exe" --gtest_brief=1 \
    --gtest_filter='DirectMusicBackEnd.*:DirectSoundBackEnd.*:Ambience.*:AudioChoiceOnWindows.*:BackEndRequests.*' >"$E2E_OUT/backends.log" 2>&1 ||
    fail "the audio back ends failed without a device"
note "back-end tests pass without a device"
settings_reset
setting EnableSounds 1
WINEDEBUG=-all,+debugstr saver_start
sleep 4
saver_alive || fail "the saver ended on its own"
xdotool key Escape
saver_end_expected "sounds on, no device"
scratch=$(scratch_folder)
[[ ! -e $scratch ]] || fail "files left behind: $(ls "$scratch" | tr '\n' ' ')"
said=$({ grep -o 'Vantorel 3D Screensaver: [^"]*' "$E2E_OUT/saver.log" || true; } | head -n1 | sed 's/\\n$//')
[[ $said == "Vantorel 3D Screensaver: no sound ("* ]] || fail "without a device the saver said: '$said'"
note "said: $said"
note "the saver ran, ended with code 0 and left no files"
