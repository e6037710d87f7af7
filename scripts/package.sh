#!/usr/bin/env bash
# The release: builds the 32-bit product DLL and the database tool and makes, in dist/,
#   loudmark-0.5.zip        gen_loudmark.dll, loudmark-db.exe and README-listeners.txt (CRLF
#                           line ends)
#   loudmark-0.5-setup.exe  the NSIS installer (dist/installer/loudmark.nsi)
# Installs zip and nsis first when they are missing (scripts/install-deps.sh), unless
# called with --deps-checked by a script that has just run it.
#
#   scripts/package.sh [--deps-checked]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

version=0.5
dll=$root/build/win32/gen_loudmark.dll
tool=$root/build/win32/loudmark-db.exe
zip_out=$root/dist/loudmark-$version.zip
setup_out=$root/dist/loudmark-$version-setup.exe

[ "${1:-}" = --deps-checked ] || bash scripts/install-deps.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 >/dev/null
[ -f "$dll" ] || { echo "package: no DLL at $dll" >&2; exit 1; }
[ -f "$tool" ] || { echo "package: no database tool at $tool" >&2; exit 1; }

# The zip: the three files at its top level, nothing else. zip -l turns the read-me's LF
# into CRLF for Notepad; -X leaves out Unix owners and times of the extra fields.
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
cp "$dll" "$staging/gen_loudmark.dll"
cp "$tool" "$staging/loudmark-db.exe"
cp dist/README-listeners.txt "$staging/README-listeners.txt"
rm -f "$zip_out"
(cd "$staging" && zip -q -X "$zip_out" gen_loudmark.dll loudmark-db.exe && zip -q -X -l "$zip_out" README-listeners.txt)

# The installer; -WX: a warning fails the build.
rm -f "$setup_out"
makensis -WX -V2 -DDLL="$dll" -DTOOL="$tool" -DOUTFILE="$setup_out" dist/installer/loudmark.nsi

echo "DLL:       $dll ($(stat -c %s "$dll") bytes)"
echo "tool:      $tool ($(stat -c %s "$tool") bytes)"
echo "zip:       $zip_out ($(stat -c %s "$zip_out") bytes)"
echo "installer: $setup_out ($(stat -c %s "$setup_out") bytes)"
