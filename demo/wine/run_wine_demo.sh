#!/usr/bin/env bash
# The demo with the real plug-in: builds the 64-bit gen_loudmark.dll and the demo host,
# runs the story under wine64 on a private Xvfb display in a Wine prefix of its own
# (build/win64/wine-demo-prefix, created on first use), then says where the 32-bit DLL
# for Winamp is. Installs mingw-w64, wine64 and Xvfb first when missing.
#
#   demo/wine/run_wine_demo.sh      (or scripts/demo.sh --wine)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)

bash scripts/install-deps.sh
echo "building the win64 and win32 builds (the first time takes a minute or two)"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target loudmark_wine_demo >/dev/null
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target gen_loudmark >/dev/null

build=$root/build/win64
demo_exe=$build/tests/wine/loudmark_wine_demo.exe
work=$build/wine-demo-work
log=$build/wine-demo.log
mkdir -p "$work"

. tests/wine/wine_env.sh
wine_env_start "$build/wine-demo-prefix"

started=$(date +%s)
# The stand-in winmm.dll beside the demo program replaces Wine's own for the process:
# it reports the host's volume as the wave-output volume the plug-in reads. The output
# goes into a file, not a pipe (Wine's helper processes inherit it and outlive the
# program), and is followed as it grows.
: >"$log"
WINEDLLOVERRIDES="winmm=n,b;mscoree,mshtml=" timeout 120 \
    "$wine" "$demo_exe" "$(windows_path "$build/gen_loudmark.dll")" "$(windows_path "$work")" >"$log" 2>&1 &
demo_pid=$!
tail -n +1 -f --pid="$demo_pid" "$log" | sed -u 's/\r$//'
set +e
wait "$demo_pid"
status=$?
set -e

dll=$root/build/win32/gen_loudmark.dll
echo
echo "The run took $(( $(date +%s) - started )) s; the demo's files are under $work."
echo "The plug-in for Winamp is the 32-bit build: $dll ($(stat -c %s "$dll") bytes)."
echo "Install it by copying it into Winamp's Plugins folder (e.g. C:\\Program Files\\Winamp\\Plugins\\)"
echo "with the player closed; or run scripts/package.sh for dist/loudmark-0.5.zip and the installer"
echo "dist/loudmark-0.5-setup.exe."
exit "$status"
