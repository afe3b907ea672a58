#!/usr/bin/env bash
# Builds everything (native, Windows, fuzz) and runs every test: the native unit
# tests, the Windows test programs and end-to-end scripts under Wine, and short fuzz
# runs. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
t0=$(date +%s)
stamp() { echo "== $(($(date +%s) - t0))s: $*"; }

scripts/install-deps.sh
stamp "dependencies ready"
# Native first: the Windows tree runs its asset generator and pack tool.
cmake --preset native >/dev/null
cmake --build --preset native
stamp "native build done"
cmake --preset windows >/dev/null
cmake --build --preset windows
stamp "windows build done"
source scripts/wine-tree.sh
pick_wine_tree
stamp "Wine runs $WINE_TREE"
# The native tree's Wine tests run that tree's programs.
cmake --preset native -DVTL_WINDOWS_DIR="$WINE_TREE" >/dev/null
cmake --build --preset native
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
stamp "fuzz build done"

status=0
ctest --preset native -j2 || status=1
stamp "native and Wine tests done"
ctest --preset fuzz -j2 || status=1
stamp "fuzz runs done"
exit $status
