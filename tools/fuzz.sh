#!/usr/bin/env bash
# Builds the fuzzers (fuzz/, clang with libFuzzer, AddressSanitizer and
# UBSan, in build/fuzz) and runs each target in turn for the given seconds,
# niced, so that the machine stays usable. Each target grows its corpus in
# build/fuzz-corpus/<target>, starting from the checked-in seeds
# (fuzz/corpus/<target>); a crash leaves its input in build/fuzz-crashes and
# fails the run. The last status line of each run (executions, coverage,
# corpus) is printed and kept in build/fuzz-logs/<target>.log. Targets run
# QV_JOBS (default 2) at a time; each first runs every input of its corpus,
# so even a run of a few seconds (the test command's) checks all the seeds.
# Usage: tools/fuzz.sh [seconds per target, default 60] [target name ...]
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
shift || true
build=$root/build/fuzz
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
nice -n 19 cmake --build "$build" -j"${QV_JOBS:-2}" >/dev/null || { echo "fuzz: build failed" >&2; exit 1; }

targets=("$@")
if [ ${#targets[@]} = 0 ]; then
  for source in "$root"/fuzz/*Fuzz.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name%Fuzz}")
  done
fi

# AddressSanitizer keeps 256 MB of freed memory by default to catch a late
# use of it; these parsers free within one small input, so 64 MB is plenty,
# and it leaves the memory limit below room to see a parser that holds too much.
export ASAN_OPTIONS="quarantine_size_mb=64${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

mkdir -p "$root/build/fuzz-crashes" "$root/build/fuzz-logs"

fuzz_one() {  # fuzz_one <target>: runs it and prints one line of its result
  local target=$1 corpus=$root/build/fuzz-corpus/$1 log=$root/build/fuzz-logs/$1.log rc status
  mkdir -p "$corpus"
  # -timeout: one input taking seconds is a fault of its own (a loop that
  # does not end), reported like a crash. The memory limits likewise: no
  # input of these parsers (at most a 64 KB EXIF block) may make them hold
  # hundreds of megabytes, nor ask for one block of more than 64 MB.
  nice -n 19 "$build/${target}Fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=512 -malloc_limit_mb=64 \
    -print_final_stats=1 -artifact_prefix="$root/build/fuzz-crashes/$target-" \
    "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1
  rc=$?
  status=$(grep -a -E '^#[0-9]+' "$log" | tail -n1)
  if [ $rc = 0 ]; then
    echo "fuzz $target: ok   $status"
  else
    echo "fuzz $target: FAIL (see $log)"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -n5
  fi
  return $rc
}
export -f fuzz_one
export root build seconds

printf '%s\n' "${targets[@]}" | xargs -P "${QV_JOBS:-2}" -I{} bash -c 'fuzz_one "$1"' _ {}
