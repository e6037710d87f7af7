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
wine_env_run_host "$wine" "$host_seconds" "$host_dir/loudmark_wine_host.exe" "$build/gen_loudmark.dll" "$work" \
    "$log" "$@"
cat "$log"

# The profile-rules table the native suite asserts, confirmed against the real functions.
table_status=0
if [ $# -eq 0 ]; then
    echo "profile-rules table under wine64:"
    (cd "$work" && timeout 120 "$wine" "$host_dir/profile_table_probe.exe" >"$build/profile-table.log" 2>&1) \
        || table_status=1
    tr -d '\r' <"$build/profile-table.log" | tail -n 5
fi

echo "wine stage: $(( $(date +%s) - started )) s"
wine_env_host_finished "$log" "$host_seconds"
[ "$table_status" -eq 0 ] || { echo "the real profile functions disagree with the table"; exit 1; }
exit "$host_status"
