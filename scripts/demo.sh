#!/usr/bin/env bash
# The demo: a simulated Winamp plays a small playlist with Loudmark loaded, in virtual
# time, and prints what happened. With --wine, the same story with the real DLL (its
# 64-bit build) under wine64, in real time (demo/wine/run_wine_demo.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--wine" ]; then
    shift
    exec bash demo/wine/run_wine_demo.sh "$@"
fi
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc 2>/dev/null || echo 2)" --target loudmark_demo >/dev/null
exec build/native/loudmark_demo "$@"
