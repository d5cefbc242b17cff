#!/usr/bin/env bash
# Builds Quorvel for Windows, installs it into your own Wine prefix and runs
# it. Usage:
#   tools/run.sh [--scr] [--wait SECONDS] [program arguments...]
#     --scr      run Quorvel.scr (the screen saver roles: /s, /c, /p <hwnd>)
#     --wait N   without a display: seconds before the screenshot (default 5)
# With $DISPLAY set the program runs on that display until it ends. Without
# one it runs on a private Xvfb; a screenshot is saved under
# build/screenshots/ and its path printed, then the program is ended.
# QUORVEL_USER_PREFIX chooses the prefix (default
# ~/.local/share/quorvel/wineprefix).
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=Quorvel.exe
wait_s=${QV_SCREENSHOT_DELAY:-5}
while [ $# -gt 0 ]; do
  case $1 in
    --scr) program=Quorvel.scr ;;
    --wait) wait_s=$2; shift ;;
    --help|-h) sed -n '2,12p' "$0"; exit 0 ;;
    *) break ;;
  esac
  shift
done

"$root/tools/setup-deps.sh" >/dev/null || exit 1
"$root/tools/build.sh" --win-only >/dev/null || { echo "run: the Windows build failed" >&2; exit 1; }

# shellcheck source=wine-env.sh
. "$root/tools/wine-env.sh"
qv_find_wine || exit 1

export WINEPREFIX=${QUORVEL_USER_PREFIX:-$HOME/.local/share/quorvel/wineprefix}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: creating the Wine prefix $WINEPREFIX (takes a while, once)"
  saved_display=${DISPLAY:-}
  qv_start_xvfb || exit 1
  qv_boot_prefix "$WINEPREFIX"; ok=$?
  qv_stop_xvfb
  if [ -n "$saved_display" ]; then DISPLAY=$saved_display; else unset DISPLAY; fi
  [ $ok = 0 ] || exit 1
fi
# Installed as a user would install it: the package built by tools/build.sh.
# The package installed last is kept in the prefix, so that it can be
# removed before a newer build goes in.
if [ ! -f "$QV_MSI" ]; then
  echo "run: no installer package at $QV_MSI (tools/build.sh makes it)" >&2
  exit 1
fi
last=$WINEPREFIX/quorvel-installed.msi
if [ -f "$last" ] && ! cmp -s "$last" "$QV_MSI"; then
  qv_wine msiexec /x "$(qv_winpath "$last")" /qn >/dev/null 2>&1
fi
if ! cmp -s "$last" "$QV_MSI" 2>/dev/null; then
  qv_wine msiexec /i "$(qv_winpath "$QV_MSI")" /qn >/dev/null 2>&1 ||
    { echo "run: installing $QV_MSI failed" >&2; exit 1; }
  cp "$QV_MSI" "$last"
fi
# msiexec ran without a display; Wine's desktop process it started must
# not outlive it, or the program would find no display driver.
qv_stop_prefix "$WINEPREFIX"
exe="$QV_PROGRAM_DIR_WIN\\$program"

if [ -n "${DISPLAY:-}" ]; then
  echo "run: $exe $* on $DISPLAY"
  "$WINE" "$exe" "$@"
  exit $?
fi

qv_start_xvfb || exit 1
echo "run: $exe $* on private display $DISPLAY"
"$WINE" "$exe" "$@" &
pid=$!
sleep "$wait_s"
shots=$root/build/screenshots
mkdir -p "$shots"
shot=$shots/quorvel-$(date +%Y%m%d-%H%M%S).png
if import -window root -display "$DISPLAY" "$shot"; then
  echo "run: screenshot $shot"
else
  echo "run: screenshot failed" >&2
fi
if kill -0 "$pid" 2>/dev/null; then
  qv_stop_prefix "$WINEPREFIX"
  wait "$pid" 2>/dev/null
  rc=0
else
  wait "$pid"; rc=$?
  echo "run: the program had already ended with exit code $rc"
  qv_stop_prefix "$WINEPREFIX"
fi
qv_stop_xvfb
exit $rc
