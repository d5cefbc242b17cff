#!/usr/bin/env bash
# The soak: the installed saver on both albums (a display of two monitors)
# for N minutes under Wine, sampled once a minute by
# tests/e2e/soak_sampler.cpp: each album's frame rate, the saver's kernel
# handles, GDI and USER objects (0 under Wine) and memory. Not part of CI;
# the figures of the last long run are in docs/reliability.md.
#   tools/soak.sh [minutes, default 30]   (after tools/build.sh)
# The table is also written to build/soak.log.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
minutes=${1:-30}
export QV_MONITORS=2
nice -n 19 "$root/tools/wine-test.sh" "$root/build/win/tests/e2e/soak_sampler.exe" "$minutes" | tee "$root/build/soak.log"
