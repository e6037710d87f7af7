#!/usr/bin/env bash
# Times the fast maintenance pass (and, at small sizes, the per-key one) under wine64
# against real files. Usage: run_maintenance_timing.sh [songs...]   (default 1000 5000 10000 20000 100000)
# The per-key pass is quadratic: it runs only up to LITERAL_UP_TO songs (default 20000).
# With BREAKDOWN=1 it also times the size queries and the section read alone.
set -e
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../../../src"
out=${PROBE_BUILD:-/tmp/loudmark-probes}
. "$here/../wine_env.sh"
mkdir -p "$out"
# The core and the adapters under it: all the pass needs; and the per-key pass, a test's.
x86_64-w64-mingw32-g++ -std=c++17 -O2 -static -I"$src" -I"$here/../../common" "$here/maintenance_timing_probe.cpp" \
    "$src"/memory/*.cpp "$src"/adapters/*.cpp "$here/../../common/memory/database_maintenance_literal.cpp" \
    -lwinmm -o "$out/maintenance_timing_probe.exe"
wine_env_console "${WINEPREFIX:-/tmp/wineprefix-files}"

sizes=${*:-1000 5000 10000 20000 100000}
literal_up_to=${LITERAL_UP_TO:-20000}
largest=0
for n in $sizes; do [ "$n" -gt "$largest" ] && largest=$n; done
library="$WINEPREFIX/drive_c/loudmark-library"
python3 - "$library" "$largest" <<'PY'
import os, sys
root, songs = sys.argv[1], int(sys.argv[2])
for i in range(songs):
    folder = os.path.join(root, str(i // 1000))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "Track %d.mp3" % i)
    size = 100 + i % 400
    if not os.path.exists(path) or os.path.getsize(path) != size:
        with open(path, "wb") as f:
            f.write(b"x" * size)
PY
for n in $sizes; do
    $wine "$out/maintenance_timing_probe.exe" "$n"
    if [ "$n" -le "$literal_up_to" ]; then $wine "$out/maintenance_timing_probe.exe" "$n" literal; fi
done
if [ -n "$BREAKDOWN" ]; then
    $wine "$out/maintenance_timing_probe.exe" "$largest" sizes
    $wine "$out/maintenance_timing_probe.exe" "$largest" section
fi
