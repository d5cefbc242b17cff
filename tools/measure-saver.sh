#!/usr/bin/env bash
# Measures the screen saver under Wine on the installed package: time to
# the first frame against an empty window, CPU share and tick rate.
#   tools/measure-saver.sh [BUILD_DIR]   (default build/win, built by tools/build.sh)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/win}
export QV_BUILD_WIN=$build
exec "$root/tools/wine-test.sh" "$build/bench/saver_measure.exe"
