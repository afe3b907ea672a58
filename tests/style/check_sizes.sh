#!/usr/bin/env bash
# No source file of the product or the tools grows past 500 lines: a file that long
# has more than one job. Usage: check_sizes.sh SOURCE_DIR
set -euo pipefail
cd "$1"
limit=500
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 2>/dev/null ||
                     find src tools \( -name '*.cpp' -o -name '*.h' \) -print)
status=0
for f in "${files[@]}"; do
  [[ -f $f ]] || continue
  lines=$(wc -l <"$f")
  if ((lines > limit)); then
    echo "$f: $lines lines (at most $limit): split it by job" >&2
    status=1
  fi
done
echo "checked ${#files[@]} files"
exit $status
