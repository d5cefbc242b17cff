#!/usr/bin/env bash
# Takes PNG screenshots of the Home and About dialogs, and of the Phrases,
# Matting boards and Photos panels over the running program, into docs/screens/:
# once at 96 DPI (the large templates) and once at a scaled DPI (the small
# ones), each in a fresh Wine prefix on a private Xvfb; and of the Power
# panel, which only the program opens (one template, at 96 DPI).
# The Monitor mapping panel is taken over the program on a wall of two
# monitors, at 96 DPI.
#   tools/screenshots.sh [scaled DPI, default 144] [monitors: only that panel]
# Installs the package $QV_MSI (default build/win/Quorvel.msi); run
# tools/build.sh --win-only first.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
scaled=${1:-144}
out=$root/docs/screens
# shellcheck source=wine-env.sh
. "$root/tools/wine-env.sh"
qv_find_wine || exit 1
qv_ensure_installed_template || { echo "screenshots: Quorvel.msi could not be installed" >&2; exit 1; }
mkdir -p "$out"

# A helper inside Wine: prints a window's rectangle as an ImageMagick crop
# geometry, opens the About dialog from the Home dialog's system menu, opens
# Home from an album window's menu, presses Home's Power button, or sends a
# dialog a command.
work=$(mktemp -d "${TMPDIR:-/tmp}/qv-shots.XXXXXX")
cat >"$work/peek.c" <<'C'
#include <windows.h>
#include <stdio.h>
int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HWND w = lstrcmpW(argv[1], L"home") == 0 ? FindWindowW(L"Album1 Window", NULL) : FindWindowW(NULL, argv[2]);
    if (w == NULL) return 1;
    if (lstrcmpW(argv[1], L"about") == 0) return PostMessageW(w, WM_SYSCOMMAND, 1034, 0) ? 0 : 1;
    if (lstrcmpW(argv[1], L"home") == 0) return PostMessageW(w, WM_SYSCOMMAND, 1035, 0) ? 0 : 1;
    if (lstrcmpW(argv[1], L"power") == 0)
        return PostMessageW(w, WM_COMMAND, MAKEWPARAM(1025, BN_CLICKED), (LPARAM)GetDlgItem(w, 1025)) ? 0 : 1;
    if (lstrcmpW(argv[1], L"command") == 0 && argc > 3) return PostMessageW(w, WM_COMMAND, _wtoi(argv[3]), 0) ? 0 : 1;
    RECT r;
    GetWindowRect(w, &r);
    printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
}
C
x86_64-w64-mingw32-gcc -municode -O1 -o "$work/peek.exe" "$work/peek.c" || exit 1

rect() {
  local i g
  for ((i = 0; i < 100; i++)); do
    g=$("$WINE" "$work/peek.exe" rect "$1" 2>/dev/null | tr -d '\r')
    [ -n "$g" ] && { echo "$g"; return 0; }
    sleep 0.2
  done
  return 1
}

shoot() {  # shoot <title> <png>
  local geometry
  geometry=$(rect "$1") || { echo "screenshots: no window \"$1\"" >&2; return 1; }
  sleep 1  # let it paint
  import -window root -display "$DISPLAY" -crop "$geometry" +repage "$2" && echo "screenshots: $2"
}

start_at() {  # start_at <dpi> <program>: a fresh prefix at that DPI, the program started in it
  prefix=$(qv_new_prefix screenshots "$QV_INSTALLED") || return 1
  export WINEPREFIX=$prefix
  qv_start_xvfb || return 1
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$WINESERVER" -w
  "$WINE" "$QV_PROGRAM_DIR_WIN\\$2" >/dev/null 2>&1 &
}

run_at() {  # run_at <dpi> <suffix>
  local suffix=$2 prefix
  start_at "$1" Quorvel.scr || return 1
  shoot "Home - Quorvel" "$out/home-$suffix.png"
  "$WINE" "$work/peek.exe" about "Home - Quorvel"
  shoot "About - Quorvel" "$out/about-$suffix.png"
  qv_stop_prefix "$prefix"
  qv_stop_xvfb
  rm -rf "$prefix"
}

# Album 1's window is titled after its album: the helper finds it by class.
power_panel() {
  local prefix i
  prefix=$(qv_new_prefix screenshots "$QV_INSTALLED") || return 1
  export WINEPREFIX=$prefix
  qv_start_xvfb || return 1
  "$WINE" "$QV_PROGRAM_DIR_WIN\\Quorvel.exe" >/dev/null 2>&1 &
  for ((i = 0; i < 100; i++)); do
    "$WINE" "$work/peek.exe" home album1 2>/dev/null && break
    sleep 0.3
  done
  rect "Home - Quorvel" >/dev/null && "$WINE" "$work/peek.exe" power "Home - Quorvel"
  shoot "Power Panel - Quorvel " "$out/power-96dpi.png"
  qv_stop_prefix "$prefix"
  qv_stop_xvfb
  rm -rf "$prefix"
}

# The panels as the configuration screen opens them over Home: its panel
# buttons (1023 Phrases, 1223 Mattings, 1027 Photos) open them; Cancel (2)
# closes each.
# (The program itself would first switch the power plan, which Wine lacks.)
panels_at() {  # panels_at <dpi> <suffix>
  local suffix=$2 prefix
  start_at "$1" Quorvel.scr || return 1
  for pair in "1023:Phrases Panel - Quorvel:phrases" "1223:Matting Boards Photos - Quorvel:mattings" \
    "1027:Photos Panel - Quorvel:photos"; do
    IFS=: read -r button title name <<<"$pair"
    rect "Home - Quorvel" >/dev/null && "$WINE" "$work/peek.exe" command "Home - Quorvel" "$button"
    shoot "$title" "$out/$name-$suffix.png"
    "$WINE" "$work/peek.exe" command "$title" 2
    sleep 2
  done
  qv_stop_prefix "$prefix"
  qv_stop_xvfb
  rm -rf "$prefix"
}

# Home's Monitors Panel button (1026) over the program on two monitors.
monitors_panel() {
  local prefix i
  prefix=$(qv_new_prefix screenshots "$QV_INSTALLED") || return 1
  export WINEPREFIX=$prefix
  qv_start_monitors 2 || return 1
  "$WINE" "$QV_PROGRAM_DIR_WIN\\Quorvel.exe" >/dev/null 2>&1 &
  for ((i = 0; i < 100; i++)); do
    "$WINE" "$work/peek.exe" home album1 2>/dev/null && break
    sleep 0.3
  done
  rect "Home - Quorvel" >/dev/null && "$WINE" "$work/peek.exe" command "Home - Quorvel" 1026
  shoot "Monitor Mapping Panel - Quorvel" "$out/monitors-96dpi.png"
  qv_stop_prefix "$prefix"
  qv_stop_xvfb
  rm -rf "$prefix"
}

if [ "${2:-}" = monitors ]; then
  monitors_panel
  rm -rf "$work"
  exit 0
fi
run_at 96 96dpi
run_at "$scaled" "${scaled}dpi"
power_panel
monitors_panel
panels_at 96 96dpi
panels_at "$scaled" "${scaled}dpi"
rm -rf "$work"
