#!/usr/bin/env bash
# Takes the PNG screenshots of docs/screens/: every dialog and panel at
# 96 DPI (the large templates) and at a scaled DPI (the small ones), Home in
# both of its modes, and the screen saver on one and on two monitors. Each
# run is a fresh Wine prefix on a private X server; each picture is taken
# once its window is shown and has stopped moving (it is centred after it
# is created).
#   tools/screenshots.sh [scaled DPI, default 144]
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

# A helper inside Wine, which finds the program's windows and acts on them:
#   shown <title>       waits until the window is shown and still, prints
#                       its rectangle as an ImageMagick crop geometry
#   panel               the same for the dialog open over Home (any panel),
#                       and prints its title on a second line
#   album               waits for album 1's window
#   sys <title> <n>     posts WM_SYSCOMMAND n
#   click <title> <id>  presses the dialog's button id
#   close <title>       closes the window, saying yes to what it asks
#   map <ini> <m1> <m2> stores which monitor shows album 1 and album 2
work=$(mktemp -d "${TMPDIR:-/tmp}/qv-shots.XXXXXX")
cat >"$work/peek.c" <<'C'
#include <windows.h>
#include <stdio.h>

static const wchar_t* gHome = L"Home - Quorvel";

static BOOL IsMessageBox(HWND w) { return GetDlgItem(w, 0xFFFF) != NULL; }

static BOOL CALLBACK FindPanel(HWND w, LPARAM found) {
    wchar_t cls[64], title[256];
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, title, 256);
    if (IsWindowVisible(w) && lstrcmpW(cls, L"#32770") == 0 && lstrcmpW(title, gHome) != 0 &&
        wcsstr(title, L"Quorvel") != NULL && !IsMessageBox(w)) {
        *(HWND*)found = w;
        return FALSE;
    }
    return TRUE;
}

static BOOL CALLBACK AnswerBox(HWND w, LPARAM unused) {
    wchar_t cls[64];
    GetClassNameW(w, cls, 64);
    if (IsWindowVisible(w) && lstrcmpW(cls, L"#32770") == 0 && IsMessageBox(w)) {
        PostMessageW(w, WM_COMMAND, GetDlgItem(w, IDYES) ? IDYES : IDOK, 0);
    }
    return TRUE;
}

static HWND Find(const wchar_t* how, const wchar_t* what) {
    HWND w = NULL;
    if (lstrcmpW(how, L"panel") == 0)
        EnumWindows(FindPanel, (LPARAM)&w);
    else if (lstrcmpW(how, L"album") == 0)
        w = FindWindowW(L"Album1 Window", NULL);
    else
        w = FindWindowW(NULL, what);
    return w != NULL && IsWindowVisible(w) ? w : NULL;
}

// Up to 60 s for the window to show and stay where it is for 0.6 s.
static HWND WaitStill(const wchar_t* how, const wchar_t* what, RECT* r) {
    RECT last = {0};
    int still = 0;
    for (int i = 0; i < 300; ++i, Sleep(200)) {
        HWND w = Find(how, what);
        if (w == NULL) { still = 0; continue; }
        GetWindowRect(w, r);
        still = EqualRect(r, &last) ? still + 1 : 0;
        last = *r;
        if (still >= 3) return w;
    }
    return NULL;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const wchar_t* how = argv[1];
    // map <ini> <monitor of album 1> <monitor of album 2>
    if (lstrcmpW(how, L"map") == 0 && argc > 4)
        return WritePrivateProfileStringW(L"Header", L"Monitor1", argv[3], argv[2]) &&
                       WritePrivateProfileStringW(L"Header", L"Monitor2", argv[4], argv[2])
                   ? 0
                   : 1;
    const wchar_t* what = argc > 2 ? argv[2] : L"";
    if (lstrcmpW(how, L"sys") == 0 || lstrcmpW(how, L"click") == 0 || lstrcmpW(how, L"close") == 0) {
        HWND w = Find(L"title", what);
        if (w == NULL && lstrcmpW(what, L"album") == 0) w = Find(L"album", what);
        if (w == NULL) return 1;
        if (lstrcmpW(how, L"sys") == 0) return PostMessageW(w, WM_SYSCOMMAND, _wtoi(argv[3]), 0) ? 0 : 1;
        if (lstrcmpW(how, L"click") == 0) {
            const int id = _wtoi(argv[3]);
            return PostMessageW(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(w, id)) ? 0 : 1;
        }
        PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
        for (int i = 0; i < 50 && IsWindow(w); ++i, Sleep(200)) EnumWindows(AnswerBox, 0);
        return IsWindow(w) ? 1 : 0;
    }
    RECT r;
    HWND w = WaitStill(how, what, &r);
    if (w == NULL) return 1;
    printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    if (lstrcmpW(how, L"panel") == 0) {
        wchar_t title[256];
        GetWindowTextW(w, title, 256);
        printf("%ls\n", title);
    }
    return 0;
}
C
x86_64-w64-mingw32-gcc -municode -O1 -o "$work/peek.exe" "$work/peek.c" || exit 1
peek() { "$WINE" "$work/peek.exe" "$@" 2>/dev/null | tr -d '\r'; }

grab() {  # grab <geometry> <png>
  sleep 1  # a last paint
  import -window root -display "$DISPLAY" -crop "$1" +repage "$2" && echo "screenshots: $2"
}

shoot() {  # shoot <title> <png>
  local geometry
  geometry=$(peek shown "$1") && [ -n "$geometry" ] || { echo "screenshots: no window \"$1\"" >&2; return 1; }
  grab "$geometry" "$2"
}

# Shoots the panel the last click opened and closes it.
shoot_panel() {  # shoot_panel <png>
  local answer geometry title
  answer=$(peek panel) && [ -n "$answer" ] || { echo "screenshots: no panel for $1" >&2; return 1; }
  geometry=$(sed -n 1p <<<"$answer")
  title=$(sed -n 2p <<<"$answer")
  grab "$geometry" "$1"
  peek close "$title" >/dev/null
}

prefix=
begin() {  # begin <dpi> [monitors]: a fresh prefix at that DPI on its own X server
  prefix=$(qv_new_prefix screenshots "$QV_INSTALLED") || return 1
  export WINEPREFIX=$prefix
  if [ "${2:-1}" -gt 1 ]; then qv_start_monitors "$2" || return 1; else qv_start_xvfb || return 1; fi
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$WINESERVER" -w
}

end() {
  qv_stop_prefix "$prefix"
  qv_stop_xvfb
  qv_remove_prefix "$prefix"
}

start() { "$WINE" "$QV_PROGRAM_DIR_WIN\\$1" ${2:+"$2"} >/dev/null 2>&1 & }

# Home's panel buttons, as "id:name".
panels="1027:photos 1223:mattings 1023:phrases 1026:monitors"

# The screen saver's settings screen: Home without the album phrases, About,
# and every panel Home opens there.
configure_screen() {  # configure_screen <dpi> <suffix>
  local pair id name
  begin "$1" || return 1
  start Quorvel.scr
  shoot "Home - Quorvel" "$out/home-configure-$2.png"
  peek sys "Home - Quorvel" 1034 >/dev/null
  shoot "About - Quorvel" "$out/about-$2.png"
  peek close "About - Quorvel" >/dev/null
  for pair in $panels; do
    IFS=: read -r id name <<<"$pair"
    peek click "Home - Quorvel" "$id" >/dev/null
    shoot_panel "$out/$name-$2.png"
  done
  end
}

# The program: Home from album 1's window, and the Power panel, which only
# the program offers.
program() {  # program <dpi> <suffix>
  begin "$1" || return 1
  start Quorvel.exe
  peek album >/dev/null && peek sys album 1035 >/dev/null
  shoot "Home - Quorvel" "$out/home-$2.png"
  peek click "Home - Quorvel" 1025 >/dev/null
  shoot_panel "$out/power-$2.png"
  end
}

# The screen saver running, the whole screen: on one monitor, and on two
# (both albums), and the Monitor mapping panel as it shows on two.
saver() {  # saver <monitors> <png>
  begin 96 "$1" || return 1
  [ "$1" -gt 1 ] && peek map 'C:\ProgramData\Fenwold Quorvel\Quorvel.ini' 1 2
  start Quorvel.scr /s
  if peek album >/dev/null; then
    sleep 4  # a few seconds of the glide
    import -window root -display "$DISPLAY" "$2" && echo "screenshots: $2"
  fi
  end
}

monitors_on_two() {
  begin 96 2 || return 1
  start Quorvel.scr
  peek shown "Home - Quorvel" >/dev/null && peek click "Home - Quorvel" 1026 >/dev/null
  shoot_panel "$out/monitors-two-96dpi.png"
  end
}

configure_screen 96 96dpi
configure_screen "$scaled" "${scaled}dpi"
program 96 96dpi
program "$scaled" "${scaled}dpi"
saver 1 "$out/saver.png"
saver 2 "$out/saver-two-monitors.png"
monitors_on_two
rm -rf "$work"
