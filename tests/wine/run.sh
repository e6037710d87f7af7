#!/usr/bin/env bash
# The end-to-end stage: the win64 build of gen_loudmark.dll driven by the Wine host
# program under wine64, on a private Xvfb display, in a private Wine prefix kept under
# build/ (created on first use). Stops everything it started.
#
#   tests/wine/run.sh [scenario]      (latency: the measurement, not run by default)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)

build=$root/build/win64
host_dir=$build/tests/wine
started=$(date +%s)

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 >/dev/null

. tests/wine/wine_env.sh
. tests/wine/locked_folders.sh
work=$build/wine-work
mkdir -p "$work"

wine_env_start "$build/wine-prefix"
# Whatever happens, nothing immutable is left behind.
trap 'locked_folders_remove "$work"; wine_env_stop' EXIT
locked_folders_make "$work" "$build/gen_loudmark.dll"

log=$build/wine-host.log
host_seconds=300
# The measurement plays some 500 song changes, some of them against a 6 MB database.
[ "${1:-}" = latency ] && host_seconds=600
wine_env_run_host "$wine" "$host_seconds" "$host_dir/loudmark_wine_host.exe" "$build/gen_loudmark.dll" "$work" \
    "$log" "$@"
cat "$log"

# What the native suite takes for the platform's answers, and the maintenance pass's
# shortcuts, confirmed against the real functions (tests/wine/probes/probes.sh).
probes_status=0
if [ $# -eq 0 ]; then
    echo "probes under wine64:"
    . tests/wine/probes/probes.sh
    probes_run "$host_dir" "$build" || probes_status=1
fi

echo "wine stage: $(( $(date +%s) - started )) s"
wine_env_host_finished "$log" "$host_seconds"
[ "$probes_status" -eq 0 ] || { echo "the real functions disagree with a probe"; exit 1; }
exit "$host_status"
