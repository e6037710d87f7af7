#!/usr/bin/env bash
# The products run for real, under Debian's 32-bit Wine, its 32-bit Linux parts emulated
# by qemu-i386-static: build/win32/gen_loudmark.dll, the file the zip and the installer
# ship, driven by the 32-bit build of the Wine host; the shipped installer
# (dist/loudmark-0.5-setup.exe, made by scripts/package.sh) and its uninstaller, silently,
# against a player registered in the 32-bit view of the registry as a 32-bit player
# registers itself; and the shipped loudmark-db.exe, once, finding the database the DLL
# wrote in the session. Every 32-bit process start costs about a minute of emulation: the
# DLL's whole sessions (2.x host, then 5.9 host) are one host process, and the installer
# and uninstaller run beside it. A private prefix kept under build/win32 (created on
# first use, minutes under emulation), a private Xvfb display. Stops everything it
# started.
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

# The release as listeners get it: the DLL, the tool, the zip and the installer.
package_log=$build/package32.log
mkdir -p "$build"
bash scripts/package.sh --deps-checked >"$package_log" 2>&1 || { cat "$package_log"; exit 1; }
setup=$root/dist/loudmark-0.5-setup.exe
tool=$build/loudmark-db.exe

work=$build/wine-work
mkdir -p "$work"
prefix_started=$(date +%s)
wine_env_start "$build/wine-prefix" 32
prefix_seconds=$(( $(date +%s) - prefix_started ))

# From here on every outcome is a check's, not the end of the stage.
set +e
. tests/common/checks.sh
drive=$WINEPREFIX/drive_c
arp='Software\Microsoft\Windows\CurrentVersion\Uninstall'
reg32() { "$wine" reg "$@" /reg:32 >/dev/null 2>&1; }
reg_data() {  # reg_data <view> <key> <value>: the data in that view of the registry, or nothing
    "$wine" reg query "$2" /v "$3" "/reg:$1" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$3 +REG_[A-Z]+ +//p"
}

log=$build/wine-host32.log
host_seconds=480
wine_env_run_host "$wine32" "$host_seconds" "$host_dir/loudmark_wine_host.exe" "$build/gen_loudmark.dll" "$work" \
    "$log" "$scenarios"
# The host writes through the C runtime in text mode: CRLF line ends.
tr -d '\r' <"$log"
wine_env_host_finished "$log" "$host_seconds"
[ "$host_passed" -gt 0 ] || { echo "the host ran no check"; exit 1; }

# The 2.x session's player, registered as a player installed by a 32-bit setup registers
# itself: its uninstall entry in the 32-bit view of HKLM only, the view the x86 installer
# and the 32-bit tool read. The DLL kept its files beside itself, in the player's Plugins.
session=$work/session-2x
plugins=$session/Plugins
echo "not a real player" >"$session/winamp.exe"
rm -f "$plugins/gen_loudmark.dll" "$plugins/loudmark-db.exe" "$plugins/uninstall-loudmark.exe"
"$wine" reg delete 'HKCU\Software\Winamp' /f >/dev/null 2>&1
reg32 delete "HKLM\\$arp\\Loudmark" /f
reg32 add "HKLM\\$arp\\Winamp" /v UninstallString /t REG_SZ /d "\"$(windows_path "$session")\\UninstWA.exe\"" /f
cp "$plugins/volume.ini" "$build/session-volume.ini"

# The tool and the installer side by side (two cores; neither is a player window, which
# the installer would wait for), then the uninstaller.
echo "== the shipped loudmark-db.exe and installer"
timed() {  # timed <seconds file> <command...>: the command, its status, its time in the file
    local from=$(date +%s)
    timeout 300 "${@:2}"
    local status=$?
    echo "$(( $(date +%s) - from ))" >"$1"
    return $status
}
timed "$build/tool32.seconds" "$wine32" "$tool" stats >"$build/tool32.out" 2>"$build/tool32.err" &
tool_pid=$!
timed "$build/setup32.seconds" "$wine32" "$setup" /S >>"$build/installer32.log" 2>&1
setup_status=$?
wait "$tool_pid"
tool_status=$?
out=$(tr -d '\r' <"$build/tool32.out")
check "loudmark-db.exe stats exits with 0 ($(cat "$build/tool32.seconds") s)" test "$tool_status" -eq 0
check "it takes the database the 32-bit DLL wrote in the session, its player found in the 32-bit view" \
    test "$(head -1 <<<"$out")" = "Database: $(windows_path "$plugins")\volume.ini"
check "and reads the one record the session's Clean kept" grep -qx 'Records: 1 (0 never matched)' <<<"$out"
check "the installer exits with 0 ($(cat "$build/setup32.seconds") s)" test "$setup_status" -eq 0
check "it puts the win32 gen_loudmark.dll into that player's Plugins folder" same_file "$plugins/gen_loudmark.dll" "$build/gen_loudmark.dll"
check "and the win32 loudmark-db.exe and the uninstaller beside it" \
    bash -c 'cmp -s "$1/loudmark-db.exe" "$2" && test -f "$1/uninstall-loudmark.exe"' _ "$plugins" "$tool"
check "its Add/Remove Programs entry is in the 32-bit view" \
    test "$(reg_data 32 "HKLM\\$arp\\Loudmark" DisplayName)" = "Loudmark 0.5 (Winamp plug-in)"
check "and not in the 64-bit one" test -z "$(reg_data 64 "HKLM\\$arp\\Loudmark" DisplayName)"

echo "== the shipped uninstaller"
# It copies itself away, starts the copy and returns; the copy deletes the original last.
uninstall_started=$(date +%s)
timeout 300 "$wine32" "$(windows_path "$plugins")\uninstall-loudmark.exe" /S >>"$build/installer32.log" 2>&1
for _ in $(seq 1 300); do [ -e "$plugins/uninstall-loudmark.exe" ] || break; sleep 1; done
check "it removes the DLL, the tool and itself ($(( $(date +%s) - uninstall_started )) s)" \
    bash -c '! test -e "$1/gen_loudmark.dll" && ! test -e "$1/loudmark-db.exe" && ! test -e "$1/uninstall-loudmark.exe"' _ "$plugins"
check "and keeps the listener's volume.ini and the player" \
    bash -c 'cmp -s "$1/volume.ini" "$2" && test -f "$3/winamp.exe"' _ "$plugins" "$build/session-volume.ini" "$session"
check "and its Add/Remove Programs entry" test -z "$(reg_data 32 "HKLM\\$arp\\Loudmark" DisplayName)"
reg32 delete "HKLM\\$arp\\Winamp" /f

check "the host's own checks all passed" test "$host_status" -eq 0
echo "win32 stage: $(( $(date +%s) - started )) s, of which the prefix and the display $prefix_seconds s"
finish_checks "the shipped installer and loudmark-db.exe"
