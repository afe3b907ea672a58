#!/usr/bin/env bash
# Every C++ file of the tree follows .clang-format. Lists the files that do not and
# how to mend them. Usage: check_format.sh SOURCE_DIR
set -euo pipefail
cd "$1"
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' 2>/dev/null ||
                     find src tools tests \( -name '*.cpp' -o -name '*.h' \) -print)
bad=()
for f in "${files[@]}"; do
  [[ -f $f ]] || continue
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
echo "checked ${#files[@]} files"
if [[ ${#bad[@]} -gt 0 ]]; then
  printf 'not formatted: %s\n' "${bad[@]}" >&2
  echo "mend with: clang-format -i ${bad[*]}" >&2
  exit 1
fi
