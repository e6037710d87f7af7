#!/usr/bin/env bash
# The product run for real: build/win32/gen_loudmark.dll, the file the zip and the
# installer ship, driven by the 32-bit build of the Wine host under Debian's 32-bit Wine,
# its 32-bit Linux parts emulated by qemu-i386-static. Every 32-bit process start costs
# about a minute of emulation, so everything happens in one host process: the whole
# session on the 2.x host, then on the 5.9 host. A private prefix kept under build/win32
# (created on first use, minutes under emulation), a private Xvfb display. Stops
# everything it started.
#
#   tests/wine/run32.sh [scenario[,scenario...]]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)

build=$root/build/win32
host_dir=$build/tests/wine
scenarios=${1:-session-2x,session-5.9}
started=$(date +%s)

. tests/wine/wine_env.sh

# Without these nothing 32-bit runs here: a failure, never a skip.
binfmt=/proc/sys/fs/binfmt_misc/qemu-i386
missing=()
[ -x /usr/bin/qemu-i386-static ] || missing+=("qemu-i386-static (package qemu-user-static)")
{ [ -r "$binfmt" ] && head -n 1 "$binfmt" | grep -qx enabled; } ||
    missing+=("i386 programs registered with binfmt_misc ($binfmt)")
[ -x "$wine32" ] || missing+=("the 32-bit Wine loader $wine32 (package wine32:i386)")
if [ ${#missing[@]} -gt 0 ]; then
    echo "the 32-bit platform is not set up; missing:"
    printf '  %s\n' "${missing[@]}"
    echo "scripts/install-deps.sh sets it up (as root)"
    exit 1
fi

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 >/dev/null

work=$build/wine-work
mkdir -p "$work"
prefix_started=$(date +%s)
wine_env_start "$build/wine-prefix" 32
prefix_seconds=$(( $(date +%s) - prefix_started ))

log=$build/wine-host32.log
host_seconds=480
wine_env_run_host "$wine32" "$host_seconds" "$host_dir/loudmark_wine_host.exe" "$build/gen_loudmark.dll" "$work" \
    "$log" "$scenarios"
# The host writes through the C runtime in text mode: CRLF line ends.
tr -d '\r' <"$log"

echo "win32 stage: $(( $(date +%s) - started )) s, of which the prefix and the display $prefix_seconds s"
wine_env_host_finished "$log" "$host_seconds"
[ "$host_passed" -gt 0 ] || { echo "the host ran no check"; exit 1; }
exit "$host_status"
