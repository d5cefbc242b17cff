#!/usr/bin/env bash
# Configures and builds both sides:
#   build/native  Linux, Debug, AddressSanitizer + UBSan (unit tests, benchmarks)
#   build/win     MinGW-w64 cross build, Release; its tests run under Wine
# Usage: tools/build.sh [--native-only | --win-only] [--clean]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${QV_JOBS:-2}
# Paths under the tree are hashed relative to it, so ccache serves every
# clone and worktree of it.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
do_native=1 do_win=1 clean=0
for arg in "$@"; do
  case $arg in
    --native-only) do_win=0 ;;
    --win-only) do_native=0 ;;
    --clean) clean=1 ;;
    -h|--help) sed -n '2,6p' "$0"; exit 0 ;;
    *) echo "unknown option: $arg" >&2; exit 2 ;;
  esac
done

build_native() {
  local dir=$root/build/native
  [ $clean = 1 ] && rm -rf "$dir"
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON >/dev/null
  cmake --build "$dir" -j"$jobs"
}

build_win() {
  local dir=$root/build/win
  [ $clean = 1 ] && rm -rf "$dir"
  # The emulator makes every add_test of a Windows target run under Wine,
  # each in a fresh prefix.
  cmake -S "$root" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/wine-test.sh" >/dev/null
  cmake --build "$dir" -j"$jobs"
  # The package is named by its version. The tests and tools/run.sh install
  # Quorvel.msi, a link beside it to the newest one built.
  local version
  version=$("$root/tools/build-msi.sh" --version)
  "$root/tools/build-msi.sh" "$dir" "$dir/Quorvel-$version.msi"
  ln -sfn "Quorvel-$version.msi" "$dir/Quorvel.msi"
  package=$dir/Quorvel-$version.msi
  # The end-to-end tests upgrade the installed package with a newer one,
  # the same program one patch version higher, written beside their
  # program: it is not a package to hand to users.
  QV_VERSION="${version%.*}.$((${version##*.} + 1))" \
    "$root/tools/build-msi.sh" "$dir" "$dir/tests/e2e/Quorvel-upgrade.msi"
}

if [ $do_native = 1 ]; then
  echo "== native build (build/native)"
  build_native
fi
package=
if [ $do_win = 1 ]; then
  echo "== Windows build (build/win)"
  build_win
  echo "== the installer package for Windows users: $package"
fi
