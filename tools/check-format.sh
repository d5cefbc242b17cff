#!/usr/bin/env bash
# Fails when a C++ file of the tree is not laid out as .clang-format says,
# naming each such file; fix with clang-format -i on the files named.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
drift=()
while IFS= read -r -d '' file; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || drift+=("$file")
done < <(git ls-files -z '*.cpp' '*.h')
if [ ${#drift[@]} -gt 0 ]; then
  echo "check-format: ${#drift[@]} file(s) differ from .clang-format:" >&2
  printf '  %s\n' "${drift[@]}" >&2
  exit 1
fi
echo "check-format: every C++ file follows .clang-format"
