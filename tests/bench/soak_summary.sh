#!/usr/bin/env bash
# The summary of a soak run (soak.sh) from its tables:
#   bash tests/bench/soak_summary.sh DIR [EVERY]
# For each program: its rows every EVERY seconds (default 300), then for each figure
# its value when the warm-up ends (5 minutes, or a fifth of a run shorter than 25
# minutes), its last value, the least-squares growth per hour after the warm-up
# (memory; also over the second half of what follows the warm-up, where a growth that
# levels off shows as less), the range after the warm-up (counts), and rates (frames,
# sounds).
set -euo pipefail
dir=${1:?usage: soak_summary.sh DIR [EVERY]}
every=${2:-300}
for who in saver floor hack; do
    table=$dir/$who.tsv
    [[ -f $table ]] || continue
    echo "== $who: every $every s"
    awk -F'\t' -v every="$every" 'NR == 1 || ($1 % every) == 0 { printf "%s", $1; for (i = 2; i <= NF; i++) printf " %7s", $i; print "" }' "$table" |
        column -t
    awk -F'\t' -v who="$who" '
        # Least-squares slope of column i over rows j0..j1, per hour.
        function fit(j0, j1, i,    j, x, y, sx, sy, sxx, sxy, m, d) {
            for (j = j0; j <= j1; j++) { x = v[j, 1] / 3600; y = v[j, i]; sx += x; sy += y; sxx += x * x; sxy += x * y; m++ }
            d = m * sxx - sx * sx
            return d > 0 ? (m * sxy - sx * sy) / d : 0
        }
        # The highest value of column i over the rows sampled from t0 to t1 seconds: the
        # upper of the two levels a heap that gives pages back and takes them again
        # swings between.
        function top(t0, t1, i,    j, m) {
            m = -1
            for (j = 1; j <= n; j++) if (v[j, 1] >= t0 && v[j, 1] <= t1 && v[j, i] + 0 > m) m = v[j, i] + 0
            return m
        }
        NR == 1 { for (i = 1; i <= NF; i++) name[i] = $i; cols = NF; next }
        { n++; for (i = 1; i <= cols; i++) v[n, i] = $i }
        END {
            if (n < 2) { print who ": fewer than two samples"; exit }
            last = v[n, 1]; warm = last >= 1500 ? 300 : last / 5
            for (k = 1; k <= n && v[k, 1] < warm; k++) {}
            if (k > n) k = n
            printf "%s: %d samples over %d s; after the warm-up (%d s on):\n", who, n, last, v[k, 1]
            for (i = 2; i <= cols; i++) {
                f = name[i]
                if (v[k, i] == "n/a" || v[n, i] == "n/a") continue
                if (f ~ /_mb$/) {
                    h = k + int((n - k) / 2)
                    printf "  %-8s %9.1f -> %9.1f MB   growth %+7.2f MB/hour (fit), %+7.2f MB in all; in the second half %+7.2f MB/hour;", f, v[k, i], v[n, i], fit(k, n, i), v[n, i] - v[k, i], fit(h, n, i)
                    printf " highest in the first and last 10 minutes %.1f, %.1f\n", top(k, v[k, 1] + 600, i), top(v[n, 1] - 600, v[n, 1], i)
                } else if (f == "frames" || f == "sounds" || f == "loops") {
                    span = v[n, 1] - v[k, 1]
                    printf "  %-8s %9d in all, %9.2f per second after the warm-up\n", f, v[n, i], (span > 0 ? (v[n, i] - v[k, i]) / span : 0)
                } else {
                    lo = hi = v[k, i]
                    for (j = k; j <= n; j++) { if (v[j, i] + 0 < lo + 0) lo = v[j, i]; if (v[j, i] + 0 > hi + 0) hi = v[j, i] }
                    printf "  %-8s %9d -> %9d        range %d..%d (first sample %d)\n", f, v[k, i], v[n, i], lo, hi, v[1, i]
                }
            }
        }' "$table"
done
