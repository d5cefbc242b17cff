#!/usr/bin/env bash
# Makes data/common/QuorvelTheme.jpg, the desktop picture of Quorvel's
# Windows theme, cut from the first default album. The package installs it
# in the machine-wide data folder; the Power panel's theme tick copies it
# into the user's theme folder beside the theme file it writes. The output
# is committed; run this again only when the picture changes. Needs
# ImageMagick (Debian: imagemagick).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$root/data/common/QuorvelTheme.jpg
convert "$root/data/program/res/0V_0H_ZoomIn_2_256.png" -resize 1920x1080^ -gravity center -extent 1920x1080 \
  -strip -quality 85 "$out"
echo "make_theme_picture: $(stat -c %s "$out") bytes"
