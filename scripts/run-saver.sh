#!/usr/bin/env bash
# Builds the saver and runs it under Wine.
#   scripts/run-saver.sh                 in a window on your display (a Wine virtual
#                                        desktop of 1024x768, so it cannot take over
#                                        your screen); any key or mouse move ends it
#   scripts/run-saver.sh --headless [FILE.png]
#                                        on a private display, writes a screenshot
#                                        (default build/screenshot.png) and ends it
#   scripts/run-saver.sh --linux [OPTION...]
#                                        the native Linux saver (the XScreenSaver hack)
#                                        in an 800x600 window; q or Escape closes it;
#                                        options as in `vtl3d -help`
# Without a display it runs headless.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
scripts/install-deps.sh
cmake --preset native >/dev/null && cmake --build --preset native
if [[ ${1:-} == --linux ]]; then
  shift
  [[ -n ${DISPLAY:-} ]] || { echo "run-saver: --linux needs a display" >&2; exit 1; }
  exec build/native/bin/vtl3d -window "$@"
fi
cmake --preset windows >/dev/null && cmake --build --preset windows
source scripts/wine-tree.sh
pick_wine_tree
bin=$WINE_TREE/bin

if [[ ${1:-} != --headless && -n ${DISPLAY:-} ]]; then
  exec tests/winebed/winebed.sh run --host-display --timeout 3600 --desktop 1024x768 -- "$bin/vtl3d.scr" /s
fi

out=${2:-$top/build/screenshot.png}
tests/winebed/winebed.sh with --timeout 120 -- bash -c '
  wine "$1/vtl3d.scr" /s >/dev/null 2>&1 &
  pid=$!
  sleep 6
  xwd -root -silent > "$WINEBED_DIR/shot.xwd"
  xdotool key space
  for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  "$2/xwdtool" png "$WINEBED_DIR/shot.xwd" "$3"
' _ "$bin" "$top/build/native/bin" "$out"
echo "Screenshot: $out"
