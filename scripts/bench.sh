#!/usr/bin/env bash
# The benchmark report of the README's "Measured" section, in one command: the
# song-change tick and the maintenance passes on the simulated platform, the passes
# under wine64 against real files beside the per-key pass, the song-change latency on a
# 5.9 host under wine64, the dialog's Clean and the database tool's over a library of
# 100,000 songs under wine64, and the DLL's size.
# Run it on an otherwise idle machine; it takes some fifteen minutes (the libraries of
# 100,000 files are made once, under build/).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
stage() { printf '\n==== %s\n' "$*"; }

cmake --preset native >/dev/null
cmake --build --preset native -j2 --target song_tick_bench maintenance_bench >/dev/null
if [ ! -x build/native/song_tick_bench ]; then
    echo "Google Benchmark was not found: install libbenchmark-dev"
    exit 1
fi

stage "song-change tick, simulated platform"
build/native/song_tick_bench

stage "maintenance passes, simulated platform (fast pass and the per-key pass)"
build/native/maintenance_bench

stage "maintenance passes under wine64, real files and real profile functions"
mkdir -p build/bench-wine
PROBE_BUILD=$root/build/bench-wine WINEPREFIX=$root/build/bench-wine/prefix \
    bash tests/wine/probes/run_maintenance_timing.sh 1000 5000 10000 20000 100000

stage "song changes under wine64: a 5.9 host's start announcement to the volume set, wake-ups per song"
bash tests/wine/run.sh latency

stage "the dialog's Clean under wine64: 100,000 songs, 100,000 records, beside its floor"
bash bench/wine/dialog_clean.sh both 3

stage "loudmark-db clean --dry-run under wine64 beside a bare walk of the same tree"
bash bench/wine/tool_clean.sh 3 both

stage "the product DLL"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 >/dev/null
stripped=build/bench-wine/gen_loudmark.stripped.dll
i686-w64-mingw32-strip -o "$stripped" build/win32/gen_loudmark.dll
echo "build/win32/gen_loudmark.dll: $(stat -c %s build/win32/gen_loudmark.dll) bytes, stripped $(stat -c %s "$stripped") bytes"
