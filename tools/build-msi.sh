#!/usr/bin/env bash
# Builds the Windows Installer package build/installer/Quorvel-<version>.msi
# with wixl (Debian packages wixl and msitools) from installer/Quorvel.wxs,
# the built program and the content under data/.
#
# Usage: tools/build-msi.sh [BIN_DIR [MSI]]
#        tools/build-msi.sh --version   prints the product version only
#   BIN_DIR  folder holding the built Quorvel.exe and Quorvel.scr
#            (default: build/win)
#   MSI      the package to write (default: build/installer/Quorvel-<version>.msi)
# Environment: QV_VERSION  product version, default 1.0.0; raise it for a
#                          package that must upgrade an installed one.
#                          This default is the one place the version is set.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
version=${QV_VERSION:-1.0.0}
if [ "${1:-}" = --version ]; then
  echo "$version"
  exit 0
fi
bin=${1:-$root/build/win}
msi=${2:-$root/build/installer/Quorvel-$version.msi}
mkdir -p "$(dirname "$msi")"
msi=$(cd "$(dirname "$msi")" && pwd)/$(basename "$msi")
out_dir=$(dirname "$msi")

if ! command -v wixl >/dev/null; then
  echo "build-msi: wixl not found; install it with: apt-get install wixl msitools" >&2
  exit 1
fi
for f in Quorvel.exe Quorvel.scr; do
  if [ ! -f "$bin/$f" ]; then
    echo "build-msi: $bin/$f is missing; build the program first (tools/build.sh --win-only)" >&2
    exit 1
  fi
done
bin=$(cd "$bin" && pwd)

# Every file the package names must exist; wixl's own message for a missing
# source file does not say which one.
missing=0
while read -r src; do
  path=${src//\$(var.DataDir)/$root/data}
  path=${path//\$(var.BinDir)/$bin}
  path=${path//\$(var.IconDir)/$root/res}
  if [ ! -f "$path" ]; then
    echo "build-msi: missing $path" >&2
    missing=1
  fi
done < <(grep -o 'Source\(File\)\?="[^"]*"' "$root/installer/Quorvel.wxs" | sed 's/^Source\(File\)\?="//; s/"$//')
if [ $missing = 1 ]; then
  echo "build-msi: the pictures in data/program/ are made by tools/make_content.py" >&2
  exit 1
fi

mkdir -p "$out_dir"
rm -f "$msi"
# wixl takes source paths relative to the current folder only (an absolute
# one trips an assertion), so both folders are passed relative to the root.
cd "$root"
rel_bin=$(realpath --relative-to=. "$bin")
# x64: the program is a 64-bit binary, so the package refuses 32-bit Windows.
# Its files still go to ProgramFilesFolder, the 32-bit program-files folder,
# because that is where the program looks for them.
wixl -a x64 \
  -D BinDir="$rel_bin" -D DataDir=data -D IconDir=res -D Version="$version" \
  -o "$msi" installer/Quorvel.wxs

# The machine-wide data folder ("Fenwold Quorvel" in the common
# application-data folder) would inherit that folder's rights, which let
# every user add files and folders to it. wixl has no element for a
# folder's rights, so the MsiLockPermissionsEx row (Windows Installer 5)
# is added to the package here: a protected list that gives the system and
# administrators full control and users read and execute. Its Table and
# LockObject name the CreateFolder row of that folder (installer/Quorvel.wxs).
tables=$(mktemp -d)
trap 'rm -rf "$tables"' EXIT
{
  printf 'MsiLockPermissionsEx\tLockObject\tTable\tSDDL\tCondition\r\n'
  printf 's72\ts72\ts32\ts0\tS255\r\n'
  printf 'MsiLockPermissionsEx\tMsiLockPermissionsEx\r\n'
  printf 'CommonDataRights\tCOMMONDIR\tCreateFolder\t%s\t\r\n' \
    'D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)'
} > "$tables/MsiLockPermissionsEx.idt"
msibuild "$msi" -i "$tables/MsiLockPermissionsEx.idt"
if ! msiinfo export "$msi" CreateFolder | grep -q '^COMMONDIR[[:space:]]'; then
  echo "build-msi: the package creates no folder COMMONDIR, so its rights cannot be set" >&2
  exit 1
fi

# A short listing proves the package holds what the source names.
files=$(msiinfo export "$msi" File | tail -n +4 | wc -l)
echo "build-msi: $msi ($(stat -c %s "$msi") bytes, $files files, version $version)"
