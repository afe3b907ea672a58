#!/usr/bin/env bash
# The saver with sounds, unpaced (TimingFPS 1000), for 140 s: in the last minute it
# holds no more handles, windows, GDI or USER objects, descriptors or threads than in
# the first, street and near sounds having started all along. Counts, not bytes: a
# count does not drift, so one more is something held and never given back. The
# table is kept beside the other e2e artefacts (saver.tsv).
# Needs the Windows build's vtl3d.scr, vtlsound.pak and procstat.exe in VTL_WIN_BIN.
source "$(dirname "$0")/lib.sh"
source "$E2E_SOURCE_DIR/tests/bench/soak_lib.sh"
trap soak_end_all EXIT
out=$E2E_KEEP
rm -f "$out/saver.tsv"
soak_wine 140 10 "$out" 1000 no >"$E2E_OUT/soak.log" 2>&1 || fail "the run stopped: $(tail -n 3 "$E2E_OUT/soak.log")"
grep -q "^soak: saver ended with 0" "$E2E_OUT/soak.log" || fail "the saver did not end cleanly: $(cat "$E2E_OUT/soak.log")"
read -r sounds loops < <(awk -F'\t' 'END { print $14, $15 }' "$out/saver.tsv")
((loops == 2 && sounds >= 10)) || fail "the sounds did not play all along: $sounds samples and $loops loops started"
growth=$(soak_count_growth "$out/saver.tsv" handles listed gdi user windows fds threads) ||
    fail "held more in the last minute than in the first: $(tr '\n' ',' <<<"$growth")"
note "$sounds sounds started; first minute -> last minute: $(tr '\n' ',' <<<"$growth")"
