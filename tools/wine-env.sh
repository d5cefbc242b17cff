# shellcheck shell=bash
# Shared helpers for running Windows programs under Wine; source this file.
#
# Tests must never share Wine state, so each run copies a prepared template
# prefix (seconds) instead of booting a new one (tens of seconds), and gets
# its own Xvfb so that parallel runs do not see each other's windows.

QV_ROOT=${QV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
QV_BUILD_WIN=${QV_BUILD_WIN:-$QV_ROOT/build/win}
# The booted template depends only on Wine and on how qv_boot_prefix sets it
# up (QV_TEMPLATE_CONFIG, raised whenever that changes), not on the tree, so
# every clone and worktree of the user shares one, as they share ccache.
QV_TEMPLATE_CONFIG=config-5
QV_TEMPLATE=${QV_TEMPLATE:-${XDG_CACHE_HOME:-${HOME:-$QV_ROOT/build}/.cache}/quorvel/wine-template-$QV_TEMPLATE_CONFIG}
QV_PREFIXES=${QV_PREFIXES:-$QV_ROOT/build/wine-prefixes}
# The installer package the end-to-end tests install (tools/build.sh makes it).
QV_MSI=${QV_MSI:-$QV_BUILD_WIN/Quorvel.msi}
export QV_MSI
# The template with the package installed, rebuilt when the package changes.
QV_INSTALLED=${QV_INSTALLED:-$QV_BUILD_WIN/wine-installed}

# Where the program lives inside a prefix; the Driver's InstalledProgram()
# mirrors these names.
QV_PROGRAM_DIR_WIN='C:\Program Files (x86)\Fenwold Quorvel'
QV_PROGRAM_DIR_REL='drive_c/Program Files (x86)/Fenwold Quorvel'

qv_log() { echo "[wine-env] $*" >&2; }
qv_now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Debian's wine64 package has no /usr/bin/wine; the "wine" package adds one.
qv_find_wine() {
  if [ -z "${WINE:-}" ]; then
    if command -v wine >/dev/null 2>&1; then WINE=$(command -v wine)
    elif [ -x /usr/lib/wine/wine64 ]; then WINE=/usr/lib/wine/wine64
    else qv_log "wine not found (run tools/setup-deps.sh)"; return 1; fi
  fi
  if [ -z "${WINESERVER:-}" ]; then
    if command -v wineserver >/dev/null 2>&1; then WINESERVER=$(command -v wineserver)
    elif [ -x /usr/lib/wine/wineserver ]; then WINESERVER=/usr/lib/wine/wineserver
    else qv_log "wineserver not found"; return 1; fi
  fi
  export WINE WINESERVER
  # Keep Wine quiet unless the caller asked for channels, and keep it from
  # touching the host desktop (menu entries, file associations).
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
  export WINEARCH=win64
}

# --- Xvfb ---------------------------------------------------------------

# Starts a private X server on a free display; sets DISPLAY and QV_XVFB_PID.
# -displayfd lets Xvfb pick the display itself, which avoids races between
# parallel runs that would otherwise guess the same number.
qv_start_xvfb() {
  local fdfile log i
  fdfile=$(mktemp "${TMPDIR:-/tmp}/qv-xvfb.XXXXXX")
  log=${QV_XVFB_LOG:-/dev/null}
  Xvfb -displayfd 3 -screen 0 "${QV_SCREEN:-1920x1080x24}" -nolisten tcp \
    3>"$fdfile" </dev/null >"$log" 2>&1 &
  QV_XVFB_PID=$!
  for ((i = 0; i < 200; i++)); do
    if [ -s "$fdfile" ] && grep -q '^[0-9]' "$fdfile"; then break; fi
    if ! kill -0 "$QV_XVFB_PID" 2>/dev/null; then break; fi
    sleep 0.05
  done
  if ! grep -q '^[0-9]' "$fdfile"; then
    qv_log "Xvfb did not start"
    rm -f "$fdfile"; qv_stop_xvfb; return 1
  fi
  DISPLAY=":$(head -n1 "$fdfile" | tr -dc 0-9)"
  export DISPLAY
  rm -f "$fdfile"
}

# A display of several side-by-side 1920 x 1080 monitors, for the tests of
# what the program does on a wall of screens: Xvfb has one monitor only, so
# this runs Xorg with the dummy video driver and turns on its extra outputs
# with xrandr. Wine then reports one monitor per output. Sets DISPLAY and
# QV_XVFB_PID like qv_start_xvfb, so qv_stop_xvfb ends it too.
# QV_MONITOR_SIZES ("1920x1080 2560x1440") gives the outputs after the first
# other sizes, in order; the first stays 1920 x 1080.
qv_start_monitors() {
  local count=${1:-2} dir fdfile i output previous=DUMMY0 mode width=0 height=1080 size
  local -a sizes
  read -r -a sizes <<<"${QV_MONITOR_SIZES:-}"
  sizes[0]=1920x1080
  for ((i = 1; i < count; i++)); do sizes[i]=${sizes[i]:-1920x1080}; done
  for ((i = 0; i < count; i++)); do
    size=${sizes[i]}
    width=$((width + ${size%x*}))
    [ "${size#*x}" -gt "$height" ] && height=${size#*x}
  done
  dir=$(mktemp -d "${TMPDIR:-/tmp}/qv-xorg.XXXXXX")
  cat >"$dir/xorg.conf" <<EOF2
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 512000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1920x1080"
    Virtual $width $height
  EndSubSection
EndSection
EOF2
  fdfile=$dir/display
  Xorg -config "$dir/xorg.conf" -displayfd 3 -noreset -nolisten tcp -logfile "$dir/xorg.log" \
    3>"$fdfile" </dev/null >/dev/null 2>&1 &
  QV_XVFB_PID=$!
  for ((i = 0; i < 200; i++)); do
    if grep -q '^[0-9]' "$fdfile" 2>/dev/null; then break; fi
    if ! kill -0 "$QV_XVFB_PID" 2>/dev/null; then break; fi
    sleep 0.05
  done
  if ! grep -q '^[0-9]' "$fdfile" 2>/dev/null; then
    qv_log "Xorg with the dummy driver did not start (see $dir/xorg.log)"
    qv_stop_xvfb; return 1
  fi
  DISPLAY=":$(head -n1 "$fdfile" | tr -dc 0-9)"
  export DISPLAY
  xrandr --newmode qv1080 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync 2>/dev/null
  for ((i = 1; i < count; i++)); do
    output=DUMMY$i
    mode=qv1080
    if [ "${sizes[i]}" != 1920x1080 ]; then
      mode=qv${sizes[i]}
      # shellcheck disable=SC2046  # the modeline's numbers, one argument each
      xrandr --newmode "$mode" $(gtf "${sizes[i]%x*}" "${sizes[i]#*x}" 60 | sed -n 's/^ *Modeline "[^"]*" *//p') \
        2>/dev/null
    fi
    xrandr --addmode "$output" "$mode" && xrandr --output "$output" --mode "$mode" --right-of "$previous" ||
      { qv_log "xrandr could not add monitor $output"; qv_stop_xvfb; return 1; }
    previous=$output
  done
  # The new outputs reach clients a moment later; Wine reads them once.
  for ((i = 0; i < 100; i++)); do
    [ "$(xrandr --listactivemonitors 2>/dev/null | head -n1)" = "Monitors: $count" ] && break
    sleep 0.05
  done
  sleep 1
  rm -rf "$dir"
}

qv_stop_xvfb() {
  if [ -n "${QV_XVFB_PID:-}" ]; then
    kill "$QV_XVFB_PID" 2>/dev/null
    wait "$QV_XVFB_PID" 2>/dev/null
    QV_XVFB_PID=
  fi
}

# --- prefixes -------------------------------------------------------------

# Runs a Windows program in $WINEPREFIX, waiting for it.
qv_wine() { "$WINE" "$@"; }

# Settings every prefix of ours gets, test or user: Windows 10 (what most
# users run; Wine 8 otherwise reports Windows 7), no window manager
# (windows are placed exactly where the program asks), no crash dialog that
# would block a test until its timeout, no Mono/Gecko prompts.
qv_configure_prefix() {
  local reg
  reg=$(mktemp "${TMPDIR:-/tmp}/qv-prefix.XXXXXX.reg")
  cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine]
"Version"="win10"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"mscoree"=""
"mshtml"=""
"winemenubuilder.exe"=""

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Segoe UI"="Tahoma"
EOF
  qv_wine reg import "$(qv_winpath "$reg")" >/dev/null 2>&1 || { rm -f "$reg"; qv_log "reg import failed"; return 1; }
  rm -f "$reg"
  qv_install_wine_fonts "$WINEPREFIX"
  qv_sandbox_prefix "$WINEPREFIX"
}

# Debian's Wine, started as /usr/lib/wine/wine64, never scans its own font
# folder, so Marlett (the title-bar buttons, otherwise drawn as the letters
# "0 1 r"), Tahoma and the symbol fonts are missing. Fonts in the prefix's
# Windows folder are always found, as on Windows.
qv_wine_font_dir() {
  local dir
  for dir in "$(dirname "$WINE")/../../share/wine/fonts" "$(dirname "$WINE")/../share/wine/fonts" \
    /usr/share/wine/fonts; do
    if [ -f "$dir/marlett.ttf" ]; then readlink -f "$dir"; return 0; fi
  done
  return 1
}

qv_install_wine_fonts() {
  local prefix=$1 fonts
  fonts=$(qv_wine_font_dir) || { qv_log "Wine's fonts not found (package fonts-wine)"; return 0; }
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp "$fonts"/*.ttf "$prefix/drive_c/windows/Fonts/"
}

# Wine links Documents, Pictures, Desktop... to the Unix home folder. A test
# must not read or write the developer's files, so they become real folders.
qv_sandbox_prefix() {
  local prefix=$1 link
  while IFS= read -r -d '' link; do
    rm -f "$link" && mkdir -p "$link"
  done < <(find "$prefix/drive_c/users" -type l -print0 2>/dev/null)
}

# Unix path -> Windows path (through Wine's Z: drive).
qv_winpath() { printf 'Z:%s' "$(readlink -f "$1" | tr / '\\')"; }

# Boots a brand-new prefix at $1 (tens of seconds). Needs DISPLAY.
qv_boot_prefix() {
  local prefix=$1
  mkdir -p "$(dirname "$prefix")"
  WINEPREFIX=$prefix qv_wine wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix "$WINESERVER" -w
  [ -f "$prefix/system.reg" ] || { qv_log "wineboot failed for $prefix"; return 1; }
  WINEPREFIX=$prefix qv_configure_prefix
  # Registry changes reach the .reg files only when the server exits.
  WINEPREFIX=$prefix "$WINESERVER" -w
}

# The template is rebuilt when the Wine version changes; the stamp is written
# last so that an interrupted build is redone. flock makes parallel callers
# wait for one builder.
qv_template_stamp() { "$WINE" --version 2>/dev/null; echo "$QV_TEMPLATE_CONFIG"; }

qv_ensure_template() {
  local lockfd stamp started saved_display=${DISPLAY:-} saved_xvfb=${QV_XVFB_PID:-} ok=1
  qv_find_wine || return 1
  mkdir -p "$(dirname "$QV_TEMPLATE")"
  exec {lockfd}>"$QV_TEMPLATE.lock"
  flock "$lockfd"
  stamp=$(qv_template_stamp)
  if [ "$(cat "$QV_TEMPLATE/.qv-stamp" 2>/dev/null)" != "$stamp" ]; then
    qv_log "creating Wine template prefix $QV_TEMPLATE (once)"
    started=$(qv_now_ms)
    rm -rf "$QV_TEMPLATE"
    # Its own X server, so that nothing appears on the developer's screen.
    if qv_start_xvfb; then
      qv_boot_prefix "$QV_TEMPLATE" || ok=0
      qv_stop_xvfb
    else
      ok=0
    fi
    DISPLAY=$saved_display QV_XVFB_PID=$saved_xvfb
    [ -n "$DISPLAY" ] || unset DISPLAY
    if [ $ok = 1 ]; then
      echo "$stamp" >"$QV_TEMPLATE/.qv-stamp"
      qv_log "template ready in $(($(qv_now_ms) - started)) ms"
    fi
  fi
  exec {lockfd}>&-
  [ $ok = 1 ]
}

# Makes a fresh prefix from the template (or from `source`, another
# prepared prefix); prints its path. Where the kernel lets us mount, the
# prefix is an overlay on `source`: nothing is copied, and what the test
# writes lands in <prefix>.layers (a folder renamed is recorded there too:
# redirect_dir), so a test pays milliseconds instead of
# copying 700 MB. Elsewhere it is a copy. qv_remove_prefix takes either away.
qv_new_prefix() {
  local name=${1:-run} source=${2:-$QV_TEMPLATE} dir
  qv_ensure_template || return 1
  mkdir -p "$QV_PREFIXES"
  dir=$(mktemp -d "$QV_PREFIXES/$name.XXXXXX") || return 1
  # Wine refuses prefixes it does not own; mktemp's 0700 folder is ours.
  if mkdir -p "$dir.layers/upper" "$dir.layers/work" &&
    mount -t overlay overlay -o "lowerdir=$source,upperdir=$dir.layers/upper,workdir=$dir.layers/work,redirect_dir=on" "$dir" 2>/dev/null; then
    chmod 700 "$dir"
  else
    rm -rf "$dir.layers"
    cp -a "$source/." "$dir/" || { rm -rf "$dir"; return 1; }
  fi
  rm -f "$dir/.qv-stamp"
  echo "$dir"
}

# A process of the prefix that has not quite ended holds its mount: then
# the mount is taken away lazily, as soon as that process is gone.
qv_unmount() { umount "$1" 2>/dev/null || umount -l "$1"; }

# Takes a prefix of qv_new_prefix away; with `keep`, leaves a full copy of
# it at the same path, to look into after a failure.
qv_remove_prefix() {  # qv_remove_prefix <prefix> [keep]
  local dir=$1 keep=${2:-}
  if mountpoint -q "$dir"; then
    if [ -n "$keep" ]; then
      cp -a "$dir/." "$dir.kept/"
      qv_unmount "$dir" && rm -rf "$dir" "$dir.layers" && mv "$dir.kept" "$dir"
    else
      qv_unmount "$dir" && rm -rf "$dir" "$dir.layers"
    fi
  elif [ -z "$keep" ]; then
    rm -rf "$dir" "$dir.layers"
  fi
}

# Installs the package once into a copy of the template, so that each test
# starts from what a user would have installed without paying for msiexec
# every time. The package is the only way the program gets into a prefix:
# without one this fails and says how to build it.
qv_ensure_installed_template() {
  local lockfd stamp ok=1 saved_display=${DISPLAY:-} saved_xvfb=${QV_XVFB_PID:-}
  if [ ! -f "$QV_MSI" ]; then
    qv_log "no installer package at $QV_MSI: build it with tools/build.sh (or tools/build-msi.sh)"
    return 1
  fi
  qv_ensure_template || return 1
  exec {lockfd}>"$QV_INSTALLED.lock"
  flock "$lockfd"
  stamp="$(qv_template_stamp) $(sha256sum "$QV_MSI" | cut -d' ' -f1)"
  if [ "$(cat "$QV_INSTALLED/.qv-stamp" 2>/dev/null)" != "$stamp" ]; then
    qv_log "installing $(basename "$QV_MSI") into $QV_INSTALLED (once per package)"
    rm -rf "$QV_INSTALLED"
    mkdir -p "$QV_INSTALLED"
    cp -a "$QV_TEMPLATE/." "$QV_INSTALLED/" && rm -f "$QV_INSTALLED/.qv-stamp" || ok=0
    if [ $ok = 1 ] && qv_start_xvfb; then
      WINEPREFIX=$QV_INSTALLED qv_wine msiexec /i "$(qv_winpath "$QV_MSI")" /qn >/dev/null 2>&1 || ok=0
      WINEPREFIX=$QV_INSTALLED "$WINESERVER" -w
      qv_stop_xvfb
    else
      ok=0
    fi
    DISPLAY=$saved_display QV_XVFB_PID=$saved_xvfb
    [ -n "$DISPLAY" ] || unset DISPLAY
    [ -f "$QV_INSTALLED/$QV_PROGRAM_DIR_REL/Quorvel.exe" ] || ok=0
    if [ $ok = 1 ]; then echo "$stamp" >"$QV_INSTALLED/.qv-stamp"; else qv_log "installing the package failed"; fi
  fi
  exec {lockfd}>&-
  [ $ok = 1 ]
}

# Ends every Wine process of the prefix and waits for the server to go.
qv_stop_prefix() {
  local prefix=${1:-$WINEPREFIX}
  WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null
  WINEPREFIX=$prefix "$WINESERVER" -w 2>/dev/null
}
