#!/usr/bin/env bash
# Runs one Windows test program under Wine in a throw-away world:
#   wine-test.sh <program.exe> [args...]
# CMake uses it as CMAKE_CROSSCOMPILING_EMULATOR, so every ctest test of a
# Windows target gets a fresh prefix (copied from a template with the
# installer package installed), its own Xvfb, and nothing leaks between
# tests running in parallel. Exits with the program's exit code.
#
# Environment:
#   QUORVEL_KEEP_PREFIX=1  keep the prefix afterwards (always kept on failure)
#   WINEDEBUG              Wine debug channels (default -all)
#   QV_XVFB_LOG            file for Xvfb's output (default discarded)
#   QV_TIMING=1            print the time spent outside the program
set -u

if [ $# -lt 1 ]; then
  echo "usage: $0 <program.exe> [args...]" >&2
  exit 2
fi

# shellcheck source=wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

program=$1; shift
qv_find_wine || exit 125

started=$(qv_now_ms)
name=$(basename "$program" .exe)
# Tests run against the installed package, and only against it.
qv_ensure_installed_template || { echo "wine-test: Quorvel.msi could not be installed" >&2; exit 125; }
prefix=$(qv_new_prefix "$name" "$QV_INSTALLED")
[ -n "$prefix" ] || { echo "wine-test: could not make a prefix" >&2; exit 125; }
export WINEPREFIX=$prefix QUORVEL_PREFIX=$prefix
export LC_ALL=C.UTF-8

rc=125
child=
mounts=()
cleanup() {
  trap - EXIT INT TERM HUP
  [ -n "$child" ] && kill "$child" 2>/dev/null
  qv_stop_prefix "$prefix"
  qv_stop_xvfb
  # Before the prefix goes: removing it must never reach through a mount.
  local m
  for m in "${mounts[@]}"; do umount "$m" || { echo "wine-test: cannot unmount $m" >&2; rc=125; }; done
  if [ "${QUORVEL_KEEP_PREFIX:-0}" = 1 ] || [ "$rc" != 0 ]; then
    qv_remove_prefix "$prefix" keep
    echo "wine-test: prefix kept at $prefix (exit code $rc)" >&2
  else
    qv_remove_prefix "$prefix"
  fi
}
trap cleanup EXIT
trap 'rc=130; exit 130' INT
trap 'rc=143; exit 143' TERM HUP

# QV_MONITORS=N (set by ctest for the tests that need it) gives the test a
# display of N monitors side by side.
if [ "${QV_MONITORS:-1}" -gt 1 ]; then
  qv_start_monitors "$QV_MONITORS" || exit 125
else
  qv_start_xvfb || exit 125
fi
# QV_FAULT_MOUNTS (set by ctest for the fault-injection tests that need it)
# gives the test folders it cannot write. Tests run as root, which ignores
# permission bits, so a read-only bind mount stands for a read-only folder,
# and a small tmpfs mapped as drive Q: for a full volume:
#   volumes  C:\ReadOnly (holding Albums\Mine\Photo.png) read-only, and Q:
#            of 4 MB
#   user     the per-user folder (Fenwold Quorvel in the roaming AppData)
#            read-only and empty
# Where mounting is not allowed, the variable QV_MOUNTED stays unset and the
# tests skip with that reason.
mount_readonly() {  # mount_readonly <folder>
  mount --bind "$1" "$1" && mounts=("$1" "${mounts[@]}") && mount -o remount,ro,bind "$1"
}
case ${QV_FAULT_MOUNTS:-} in
  volumes)
    readonly_folder=$prefix/drive_c/ReadOnly
    mkdir -p "$readonly_folder/Albums/Mine" "$prefix/full-volume"
    cp "$prefix/$QV_PROGRAM_DIR_REL/res/0V_0H_ZoomIn_2_256.png" "$readonly_folder/Albums/Mine/Photo.png"
    if mount_readonly "$readonly_folder" && mount -t tmpfs -o size=4m quorvel-full "$prefix/full-volume"; then
      mounts=("$prefix/full-volume" "${mounts[@]}")
      ln -sfn ../full-volume "$prefix/dosdevices/q:"
      export QV_MOUNTED=1
    fi
    ;;
  user)
    user_folder="$prefix/drive_c/users/$(id -un)/AppData/Roaming/Fenwold Quorvel"
    mkdir -p "$user_folder"
    mount_readonly "$user_folder" && export QV_MOUNTED=1
    ;;
esac

# A copied prefix starts its Wine server and services with its first
# program, which takes seconds, far more on a loaded machine. Started here,
# that time is not counted against the test's own waits.
# The server stays up until the cleanup stops it.
"$WINESERVER" -p
qv_wine wineboot >/dev/null 2>&1
setup_ms=$(($(qv_now_ms) - started))

# In the background so that a signal from ctest (timeout) reaches the trap
# at once instead of after the program ends.
"$WINE" "$program" "$@" </dev/null &
child=$!
wait "$child"
rc=$?
child=

if [ "${QV_TIMING:-0}" = 1 ]; then
  echo "wine-test: setup ${setup_ms} ms, total $(($(qv_now_ms) - started)) ms" >&2
fi
exit "$rc"
