#!/usr/bin/env bash
# Builds and runs the probes that check our simulated platform and the maintenance
# pass's shortcuts against the real profile and file functions under wine64.
# Usage: tests/wine/probes/run_probes.sh  (mingw-w64 and wine64 installed)
set -e
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../../../src"
out=${PROBE_BUILD:-/tmp/loudmark-probes}
. "$here/../wine_env.sh"
cxx="x86_64-w64-mingw32-g++ -std=c++17 -O1 -static -I$src"
mkdir -p "$out"
wine_env_console "${WINEPREFIX:-/tmp/wineprefix-files}"

$cxx "$here/profile_table_probe.cpp" -o "$out/profile_table_probe.exe"
# The core and the adapters under it, as run_maintenance_timing.sh links them: whatever
# the index and the size query lean on today.
core=("$src"/memory/*.cpp "$src"/adapters/*.cpp -lwinmm)
$cxx "$here/record_index_probe.cpp" "${core[@]}" -o "$out/record_index_probe.exe"
$cxx "$here/file_functions_probe.cpp" -o "$out/file_functions_probe.exe"
$cxx "$here/file_size_query_probe.cpp" "${core[@]}" -o "$out/file_size_query_probe.exe"

# The playlist entries of every kind, laid out on the Linux side.
d="$WINEPREFIX/drive_c/loudmark-size-probe"
rm -rf "$d" && mkdir -p "$d/folder.mp3"
printf 12345 > "$d/file5.mp3"
for name in nul.mp3 con com1.mp3 aux.mp3 lpt1 'a*b.mp3' 'a?b.mp3'; do printf 1234567 > "$d/$name"; done
ln -s file5.mp3 "$d/link.mp3"
ln -s folder.mp3 "$d/dirlink.mp3"
ln -s nothing.mp3 "$d/dangling.mp3"
mkfifo "$d/fifo.mp3"
x=$(printf '%230s' '' | tr ' ' x)
mkdir -p "$d/$x" && printf 123 > "$d/$x/f.mp3"

# Every probe runs in a scratch folder: over-long paths can make the platform write
# under a mangled relative name, which must not land in the working tree.
scratch="$out/scratch"
rm -rf "$scratch" && mkdir -p "$scratch"
status=0
(cd "$scratch" && $wine "$out/file_functions_probe.exe")
(cd "$d" && $wine "$out/file_size_query_probe.exe") || status=1
(cd "$scratch" && $wine "$out/profile_table_probe.exe") || status=1
(cd "$scratch" && $wine "$out/record_index_probe.exe" | tail -3) || status=1
exit $status
