#!/usr/bin/env bash
# Figures of the saver under Wine (printed, never asserted): time from process start
# to the first presented frame beside a minimal Direct3D 8 program, frames per second
# reached at TimingFPS 50 and 1000, CPU time per second and peak memory.
#   bash tests/bench/saver_figures.sh        (after both builds)
E2E_BED_OPTIONS="--timeout 600"
source "$(dirname "$0")/../e2e/lib.sh"
settings_reset
setting EnableSounds 0
echo "== minimal Direct3D 8 program (3 runs)"
for _ in 1 2 3; do timeout 120 wine "$VTL_WIN_BIN/mind3d8.exe" 2>/dev/null | tr -d '\r'; done
for fps in 50 1000; do
    echo "== scene at TimingFPS $fps (10 s)"
    timeout 120 wine "$VTL_WIN_BIN/scenefigures.exe" "$fps" 10 2>/dev/null | tr -d '\r'
done
echo "== load average during the run: $(cut -d' ' -f1-3 /proc/loadavg)"
