#!/usr/bin/env bash
# Line coverage of the platform-neutral product code by the native unit
# tests (gcc's gcov, in build/coverage). Prints one line per folder and the
# total; with --files, one line per file too. Not part of the test command:
# run it before and after a change to the tests to see that coverage holds.
# Usage: tools/coverage.sh [--files]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/coverage
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$build" --target unit_tests -j"${QV_JOBS:-2}" >/dev/null
find "$build" -name '*.gcda' -delete
"$build/tests/unit/unit_tests" >/dev/null

find "$build" -name '*.gcda' -path '*_portable.dir/*' -print0 |
  (cd "$build" && xargs -0 gcov --json-format --stdout 2>/dev/null) |
  python3 "$root/tools/coverage_summary.py" "$root" "${1:-}"
