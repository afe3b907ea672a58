#!/usr/bin/env bash
# The hack with sounds through OpenAL's wave writer, unpaced (-timing-fps 1000), for
# 140 s: in the last minute it holds no more descriptors or threads than in the first,
# street and near sounds having started all along. Counts, not bytes: a count does not
# drift, so one more is something held and never given back.
source "$(dirname "$0")/lib.sh"
source "$L_SOURCE/tests/bench/soak_lib.sh"
trap 'soak_end_all; l_cleanup' EXIT
soak_hack 140 10 "$L_OUT" 1000 >"$L_OUT/soak.log" 2>&1 || fail "the run stopped: $(tail -n 3 "$L_OUT/soak.log")"
cp "$L_OUT/hack.tsv" "$L_KEEP/hack.tsv"
grep -q "^soak: hack ended with 0" "$L_OUT/soak.log" || fail "the hack did not end cleanly: $(cat "$L_OUT/soak.log")"
read -r sounds loops < <(awk -F'\t' 'END { print $14, $15 }' "$L_OUT/hack.tsv")
((loops == 2 && sounds >= 10)) || fail "the sounds did not play all along: $sounds samples and $loops loops started"
growth=$(soak_count_growth "$L_OUT/hack.tsv" fds threads) ||
    fail "held more in the last minute than in the first: $(tr '\n' ',' <<<"$growth")"
note "$sounds sounds started; first minute -> last minute: $(tr '\n' ',' <<<"$growth")"
