#!/usr/bin/env bash
# The one test command: installs what is missing, builds both sides and runs
# every test layer, after the folder-order check (tools/check-layers.py) and
# the layout check (tools/check-format.sh, clang-format over every C++ file):
#   native ctest   unit tests with AddressSanitizer and UBSan
#   fuzz           each parser's fuzzer for a short run (tools/fuzz.sh)
#   Windows ctest  unit tests, Win32 integration tests and e2e tests, each
#                  under Wine in a fresh prefix (tools/wine-test.sh)
# Options: --native-only, --win-only; extra ctest arguments after "--",
# e.g. tools/test.sh --win-only -- -R CommandLine
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
do_native=1 do_win=1 ctest_args=()
while [ $# -gt 0 ]; do
  case $1 in
    --native-only) do_win=0 ;;
    --win-only) do_native=0 ;;
    --) shift; ctest_args=("$@"); break ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

t0=$(date +%s)
summary=()
failed=0 passed_tests=0 failed_tests=0

step() {  # step <name> <command...>: runs and records one stage
  local name=$1 start rc
  shift
  start=$(date +%s)
  echo "=== $name"
  "$@"
  rc=$?
  summary+=("$(printf '%-16s %-4s %4ss' "$name" "$([ $rc = 0 ] && echo ok || echo FAIL)" $(($(date +%s) - start)))")
  [ $rc = 0 ] || failed=1
  return $rc
}

run_ctest() {  # run_ctest <build dir> <jobs>: ctest, counting its results
  local dir=$1 jobs=$2 log rc line total bad
  log=$(mktemp)
  (cd "$dir" && ctest --output-on-failure -j"$jobs" "${ctest_args[@]}") 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  if [ -n "$line" ]; then
    bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    passed_tests=$((passed_tests + total - bad))
    failed_tests=$((failed_tests + bad))
  elif [ "$rc" = 0 ]; then
    echo "no tests ran in $dir" >&2
    rc=1
  fi
  rm -f "$log"
  return "$rc"
}

# Prefixes kept by failed tests of earlier runs are large (about 700 MB
# each); those younger than half an hour may belong to a run in progress.
# A run that was killed may have left its overlay (and the mounts of a
# fault test inside it) mounted: those go first.
if [ -d "$root/build/wine-prefixes" ]; then
  find "$root/build/wine-prefixes" -mindepth 1 -maxdepth 1 -mmin +30 -print0 |
    while IFS= read -r -d '' old; do
      mountpoint -q "$old" && umount -R -l "$old"
      rm -rf "$old"
    done
fi

step setup-deps tools/setup-deps.sh || { echo "cannot install dependencies" >&2; exit 1; }
step layers tools/check-layers.py
step format tools/check-format.sh

if [ $do_native = 1 ]; then
  if step native-build tools/build.sh --native-only; then
    step native-tests run_ctest build/native "$(nproc)"
  fi
  # Short enough for every submission; the long runs are in docs/reliability.md.
  step fuzz tools/fuzz.sh "${QV_FUZZ_SECONDS:-3}"
fi
if [ $do_win = 1 ]; then
  if step windows-build tools/build.sh --win-only; then
    # A Windows test spends most of its time waiting for Wine and for
    # windows to show, so twice as many run as there are cores
    # (QV_TEST_JOBS to change it).
    step windows-tests run_ctest build/win "${QV_TEST_JOBS:-$(($(nproc) * 2))}"
  fi
fi

echo
echo "=== summary ($(($(date +%s) - t0)) s)"
printf '  %s\n' "${summary[@]}"
echo "tests: $passed_tests passed, $failed_tests failed"
exit $failed
