#!/usr/bin/env bash
# Times the smooth glide's frames under Wine: median interval, spread (95th
# percentile minus median), frame rate and glide speed.
#   tools/measure-glide.sh [BUILD_DIR]   (default build/win, built by tools/build.sh)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/win}
exec "$root/tools/wine-test.sh" "$build/bench/glide_measure.exe"
