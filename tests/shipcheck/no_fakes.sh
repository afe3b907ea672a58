#!/usr/bin/env bash
# No shipped program carries a fake: every class that src/platform/fake declares is
# looked for among the symbols of the shipped binaries. Usage: no_fakes.sh SOURCE BINARY...
# (a PE binary is read with the mingw-w64 nm, anything else with the system's).
set -euo pipefail
source_dir=$1
shift
mapfile -t names < <(sed -n 's/^\(class\|struct\) \([A-Za-z_][A-Za-z0-9_]*\).*/\2/p' "$source_dir"/src/platform/fake/*.h | sort -u)
if [[ ${#names[@]} -eq 0 ]]; then
  echo "no fake classes found under $source_dir/src/platform/fake" >&2
  exit 1
fi
pattern="vtl::($(IFS='|'; echo "${names[*]}"))\\b"
status=0
checked=0
for binary in "$@"; do
  if [[ ! -f $binary ]]; then
    echo "missing: $binary" >&2
    status=1
    continue
  fi
  nm_tool=nm
  if [[ $(head -c 2 "$binary") == MZ ]]; then nm_tool=i686-w64-mingw32-nm; fi
  symbols=$("$nm_tool" -C "$binary" 2>/dev/null || true)
  if [[ -z $symbols ]]; then
    echo "no symbols in $binary: cannot tell whether it links a fake" >&2
    status=1
    continue
  fi
  if found=$(grep -m 5 -E "$pattern" <<<"$symbols"); then
    echo "$binary carries fakes:" >&2
    echo "$found" >&2
    status=1
  fi
  checked=$((checked + 1))
done
echo "checked $checked binaries for ${#names[@]} fake classes"
exit $status
