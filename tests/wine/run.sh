#!/usr/bin/env bash
# The end-to-end stage: the win64 build of gen_loudmark.dll driven by the Wine host
# program under wine64, on a private Xvfb display, in a private Wine prefix kept under
# build/ (created on first use). Stops everything it started.
#
#   tests/wine/run.sh [scenario]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
build=$root/build/win64
host_dir=$build/tests/wine
started=$(date +%s)

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 >/dev/null

export WINEPREFIX=$build/wine-prefix
export WINEARCH=win64
export WINEDEBUG=-all

xvfb_pid=""
cleanup() {
    "$wineserver" -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# A display nobody else uses.
display=""
for n in $(seq 91 160); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free X display"; exit 1; }
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.05
done
export DISPLAY=":$display"

if [ ! -f "$WINEPREFIX/.loudmark-ready" ]; then
    echo "creating the Wine prefix in $WINEPREFIX"
    # No Mono or Gecko installers: nothing here needs them.
    WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init >/dev/null 2>&1
    # Without a window manager, destroying a shown window waits for one that never answers.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$wineserver" -w
    touch "$WINEPREFIX/.loudmark-ready"
fi
"$wineserver" -p

windows_path() { echo "Z:${1//\//\\}"; }
work=$build/wine-work
mkdir -p "$work"

log=$build/wine-host.log
set +e
# The stand-in winmm.dll beside the host program replaces Wine's own for the process.
# Into a file, not a pipe: the helper processes Wine starts inherit the output and
# outlive the host, which would hold a pipe open.
WINEDLLOVERRIDES="winmm=n,b;mscoree,mshtml=" timeout 240 \
    "$wine" "$host_dir/loudmark_wine_host.exe" "$(windows_path "$build/gen_loudmark.dll")" \
    "$(windows_path "$work")" "$@" >"$log" 2>&1
status=$?
set -e
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
# The host writes through the C runtime in text mode: CRLF line ends.
summary=$(tail -n 1 "$log" | tr -d '\r')
if ! [[ $summary =~ ^[0-9]+\ passed,\ [0-9]+\ failed$ ]]; then
    echo "the host did not finish (exit status $status)"
    exit 1
fi
[ "$table_status" -eq 0 ] || { echo "the real profile functions disagree with the table"; exit 1; }
exit "$status"
