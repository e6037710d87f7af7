#!/usr/bin/env bash
# The demo: a simulated Winamp plays a small playlist with Loudmark loaded, in virtual
# time, and prints what happened.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc 2>/dev/null || echo 2)" --target loudmark_demo >/dev/null
exec build/native/loudmark_demo "$@"
