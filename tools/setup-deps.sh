#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, only those
# that are missing, so it is cheap to run before every build.
set -euo pipefail

packages=(
  cmake g++ make ccache
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine64 fonts-wine
  # Wine's X11 driver loads these at run time; only "recommended" by Debian,
  # yet without them monitors, cursors and rendering behave differently.
  libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1
  xvfb x11-utils x11-xserver-utils xserver-xorg-core xserver-xorg-video-dummy xauth imagemagick libimage-exiftool-perl
  googletest libgtest-dev libbenchmark-dev
  # The fuzzers (tools/fuzz.sh): clang's libFuzzer and sanitizer runtimes.
  clang-14 libclang-rt-14-dev
  # The layout check (tools/check-format.sh).
  clang-format
  wixl msitools
  # The layer check and the big test PNG (tests/e2e/fixtures/huge_png.py)
  # run under Python 3; tools/make_content.py writes its PNG and JPEG files
  # through Pillow.
  python3 python3-pil
  valgrind
)

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=()
if [ "$(id -u)" != 0 ]; then sudo=(sudo); fi
echo "setup-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
