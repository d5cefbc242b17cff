#!/usr/bin/env bash
# Makes data/common/QuorvelW7.themepack, the theme package the Power panel
# hands to Windows: a cabinet holding Quorvel.theme (the desktop background
# and the Quorvel screen saver) and its background picture, cut from the
# first default album. The output is committed; run this again only when the
# theme changes. Needs gcab and ImageMagick (Debian: gcab, imagemagick).
# The same input gives the same bytes: the files' times are fixed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/DesktopBackground"
convert "$root/data/program/res/0V_0H_ZoomIn_2_256.png" -resize 1920x1080^ -gravity center -extent 1920x1080 \
  -strip -quality 85 "$work/DesktopBackground/Quorvel.jpg"
printf '%s\r\n' \
  '; Quorvel: the default album as the desktop background, and the Quorvel screen saver' \
  '[Theme]' \
  'DisplayName=Quorvel' \
  '' \
  '[Control Panel\Desktop]' \
  'Wallpaper=DesktopBackground\Quorvel.jpg' \
  'TileWallpaper=0' \
  'WallpaperStyle=10' \
  '' \
  '[VisualStyles]' \
  'Path=%SystemRoot%\resources\themes\Aero\Aero.msstyles' \
  'ColorStyle=NormalColor' \
  'Size=NormalSize' \
  '' \
  '[boot]' \
  'SCRNSAVE.EXE=' \
  '' \
  '[MasterThemeSelector]' \
  'MTSM=DABJDKT' >"$work/Quorvel.theme"
find "$work" -exec touch -d '2026-01-01 00:00:00 UTC' {} +
(cd "$work" && gcab -c -z "$root/data/common/QuorvelW7.themepack" Quorvel.theme DesktopBackground/Quorvel.jpg)
echo "make_themepack: $(stat -c %s "$root/data/common/QuorvelW7.themepack") bytes"
