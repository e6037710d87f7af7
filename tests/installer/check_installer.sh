#!/usr/bin/env bash
# Checks the release: scripts/package.sh builds the zip and the 32-bit installer, and
# both are inspected (contents, the DLL and the database tool inside them, no makensis
# warnings). A 32-bit
# installer cannot run on this machine, so the same installer script is also compiled
# for amd64 (around the win64 build of the DLL) and that copy is run under wine64:
# silent installs into a fake player folder given with /D= and found through the
# registry, the uninstaller with and without /PURGE, and the refusals (no winamp.exe in
# the folder, the player running).
#
#   tests/installer/check_installer.sh [--deps-checked]
#
# --deps-checked: scripts/install-deps.sh has run already (scripts/test.sh runs it first),
# so scripts/package.sh need not run it again.
#
# Prints "N passed, N failed" and exits non-zero when a check failed. Keeps its Wine
# prefix under build/installer-check/ (the first run creates it, about 20 s).
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
. tests/common/checks.sh
. tests/wine/wine_env.sh

package_options=()
[ "${1:-}" = --deps-checked ] && package_options+=(--deps-checked)

work=$root/build/installer-check
prefix=$work/prefix
drive=$prefix/drive_c
dll32=$root/build/win32/gen_loudmark.dll
dll64=$root/build/win64/gen_loudmark.dll
tool32=$root/build/win32/loudmark-db.exe
tool64=$root/build/win64/loudmark-db.exe
zip_out=$root/dist/loudmark-0.5.zip
setup32=$root/dist/loudmark-0.5-setup.exe
setup64=$work/loudmark-0.5-setup-amd64.exe
arp_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Loudmark'

finish() { finish_checks "installer check"; }

mkdir -p "$work"

# ---------------------------------------------------------------------------------------
# The release as scripts/package.sh makes it

echo "== scripts/package.sh"
# Run as the check itself: a failed build is shown and ends the stage, so nothing below
# inspects a release left from an earlier run.
package() { bash scripts/package.sh "${package_options[@]}" >"$work/package.log" 2>&1 || { cat "$work/package.log"; false; }; }
check "scripts/package.sh builds the DLL, the zip and the installer (makensis -WX: no warnings)" package
[ "$checks_failed" -eq 0 ] || finish

echo "== the zip"
zip_names=$(unzip -Z1 "$zip_out" | sort | tr '\n' ' ')
check "the zip holds gen_loudmark.dll, loudmark-db.exe and README-listeners.txt only (got: $zip_names)" \
    test "$zip_names" = "README-listeners.txt gen_loudmark.dll loudmark-db.exe "
rm -rf "$work/zip"
unzip -o -q "$zip_out" -d "$work/zip"
check "the zip's DLL is the win32 build" same_file "$work/zip/gen_loudmark.dll" "$dll32"
check "the zip's loudmark-db.exe is the win32 build" same_file "$work/zip/loudmark-db.exe" "$tool32"
check "the zip's loudmark-db.exe is a 32-bit console program" \
    bash -c 'i686-w64-mingw32-objdump -p "$1" | grep -q "^Subsystem.*(Windows CUI)" &&
             i686-w64-mingw32-objdump -f "$1" | grep -q "file format pei-i386"' _ "$work/zip/loudmark-db.exe"
# user32 (and shell32 and winmm, which load it) come only when the tool first calls them:
# loaded at start they would cost every command tens of milliseconds under Wine.
starts_with_few_dlls() {
    local imports
    imports=$(i686-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p' | tr '[:lower:]' '[:upper:]' |
        sort | tr '\n' ' ')
    [ "$imports" = "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL " ] || { echo "imports at start: $imports" >&2; return 1; }
}
check "the zip's loudmark-db.exe loads only kernel32, advapi32 and msvcrt at start" \
    starts_with_few_dlls "$work/zip/loudmark-db.exe"
check "the zip's DLL is a 32-bit PE (pei-i386)" \
    bash -c 'i686-w64-mingw32-objdump -f "$1" | grep -q "file format pei-i386"' _ "$work/zip/gen_loudmark.dll"
# Without a manifest that asks for asInvoker, Vista and later virtualize the tool: its
# writes into Program Files succeed, into the listener's VirtualStore, a copy the 5.x
# player never reads. supportedOS names every Windows from Vista to 11.
tool_manifest_ok() {
    local manifest id
    manifest=$(7z e -so "$1" '.rsrc/MANIFEST/1' 2>/dev/null | tr -d '\r')
    grep -q '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' <<<"$manifest" || return 1
    for id in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
        4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
        grep -q "<supportedOS Id=\"{$id}\"/>" <<<"$manifest" || return 1
    done
}
check "the zip's loudmark-db.exe has its manifest: asInvoker, Windows Vista to 11" tool_manifest_ok "$work/zip/loudmark-db.exe"
crlf_only() { ! grep -q $'[^\r]$' "$1" && ! grep -qx '' "$1"; }
check "the zip's read-me has CRLF line ends throughout" crlf_only "$work/zip/README-listeners.txt"
check "the zip's read-me is dist/README-listeners.txt" \
    bash -c 'tr -d "\r" <"$1" | cmp -s - "$2"' _ "$work/zip/README-listeners.txt" "$root/dist/README-listeners.txt"

echo "== the 32-bit installer"
check "the installer is a 32-bit PE (pei-i386)" \
    bash -c 'i686-w64-mingw32-objdump -f "$1" | grep -q "file format pei-i386"' _ "$setup32"
# 7-Zip is the only way in here: without it these checks fail rather than pass unseen.
check "7z (p7zip-full) is here to list the installer" bash -c 'command -v 7z >/dev/null'
listing=$(7z l -slt "$setup32" 2>&1)
names=$(sed -n 's/^Path = //p' <<<"$listing" | tail -n +2 | sort | tr '\n' ' ')
check "the installer holds Plugins/gen_loudmark.dll, Plugins/loudmark-db.exe and Plugins/uninstall-loudmark.exe only (got: $names)" \
    test "$names" = "Plugins/gen_loudmark.dll Plugins/loudmark-db.exe Plugins/uninstall-loudmark.exe "
check "the installer is an x86 ANSI NSIS 3 installer" grep -qx 'SubType = NSIS-3' <<<"$listing"
rm -rf "$work/setup32"
7z x -y -o"$work/setup32" "$setup32" 'Plugins/gen_loudmark.dll' 'Plugins/loudmark-db.exe' >/dev/null 2>&1
check "the installer's DLL is the win32 build" same_file "$work/setup32/Plugins/gen_loudmark.dll" "$dll32"
check "the installer's loudmark-db.exe is the win32 build" same_file "$work/setup32/Plugins/loudmark-db.exe" "$tool32"

# ---------------------------------------------------------------------------------------
# The 64-bit copy of the installer under wine64

echo "== the amd64 test copy"
# A failed build fails here, so that an older DLL left in build/ is never what is tested.
build_win64() {
    { cmake --preset win64 && cmake --build --preset win64 -j2 --target gen_loudmark loudmark-db; } >"$work/build64.log" 2>&1 ||
        { tail -n 30 "$work/build64.log"; false; }
}
check "the win64 DLL and loudmark-db.exe build" build_win64
check "the win64 loudmark-db.exe has its manifest too" tool_manifest_ok "$tool64"
rm -f "$setup64"
check "the installer script compiles for amd64-unicode without warnings" \
    makensis -WX -V2 -DTARGET=amd64-unicode -DDLL="$dll64" -DTOOL="$tool64" -DOUTFILE="$setup64" "$root/dist/installer/loudmark.nsi"
check "the test copy is a 64-bit PE (pei-x86-64)" \
    bash -c 'x86_64-w64-mingw32-objdump -f "$1" | grep -q "file format pei-x86-64"' _ "$setup64"
check "the fake player window builds" player_window_build
[ -f "$setup64" ] && [ -f "$dll64" ] && [ -f "$tool64" ] || finish

# Nothing here is shown: no display. The uninstaller's end is seen by waiting for every
# process of the prefix to end, so its wineserver must not outlive them.
wine_env_console "$prefix" transient

# Runs a Windows program; its exit status is the program's.
run() { timeout 120 "$wine" "$@" >>"$work/wine.log" 2>&1; }
# The uninstaller copies itself to the temporary folder, starts the copy and returns at
# once; the work is done when every process of the prefix has ended.
run_uninstaller() { run "$@"; "$wineserver" -w; }
reg_value() {  # reg_value <key> <value name>: the data, or nothing
    "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$2 +REG_[A-Z]+ +//p"
}
reg_default() {
    "$wine" reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -nE 's/^ +\(Default\) +REG_[A-Z]+ +//p'
}
key_absent() { ! "$wine" reg query "$1" >/dev/null 2>&1; }
reg_import() {  # reg_import <lines of a REGEDIT4 file>
    printf 'REGEDIT4\r\n\r\n%s\r\n' "$1" >"$work/state.reg"
    "$wine" reg import "$(windows_path "$work/state.reg")" >/dev/null 2>&1
}
fake_player() {  # fake_player <folder under C:\>: winamp.exe and a Plugins folder
    mkdir -p "$drive/$1/Plugins"
    echo "not a real player" >"$drive/$1/winamp.exe"
}

# A clean start: no player folders, no registry entries from an earlier run.
rm -rf "$drive/Program Files/Winamp" "$drive/Players"
: >"$work/wine.log"
reg_import '[-HKEY_CURRENT_USER\Software\Winamp]
[-HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp]
[-HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Loudmark]'

echo "== silent install into the folder given with /D="
pf="$drive/Program Files/Winamp"
fake_player "Program Files/Winamp"
echo "another plug-in" >"$pf/Plugins/gen_other.dll"
run "$setup64" /S '/D=C:\Program Files\Winamp'
check "the installer exits with 0" test $? -eq 0
check "gen_loudmark.dll lands in Plugins, the win64 build byte for byte" same_file "$pf/Plugins/gen_loudmark.dll" "$dll64"
check "loudmark-db.exe lands beside it, the win64 build byte for byte" same_file "$pf/Plugins/loudmark-db.exe" "$tool64"
check "the uninstaller is written beside it" test -f "$pf/Plugins/uninstall-loudmark.exe"
check "nothing is put into the player's folder itself" \
    test "$(cd "$pf" && ls | sort | tr '\n' ' ')" = "Plugins winamp.exe "
check "Add/Remove Programs names Loudmark 0.5" test "$(reg_value "$arp_key" DisplayName)" = "Loudmark 0.5 (Winamp plug-in)"
uninstall_string=$(reg_value "$arp_key" UninstallString)
check "its UninstallString is the uninstaller in Plugins (got: $uninstall_string)" \
    test "$uninstall_string" = '"C:\Program Files\Winamp\Plugins\uninstall-loudmark.exe"'
check "its QuietUninstallString adds /S" \
    test "$(reg_value "$arp_key" QuietUninstallString)" = "$uninstall_string /S"
check "its InstallLocation is the Plugins folder" \
    test "$(reg_value "$arp_key" InstallLocation)" = 'C:\Program Files\Winamp\Plugins'

echo "== silent uninstall keeps the listener's files"
# What a season of listening leaves beside the DLL.
printf '[Tamsel Loudmark]\r\n"Enabled"=1\r\n"Trim"=0\r\n' >"$pf/Plugins/plugin.ini"
printf '[Tamsel Loudmark]\r\n"song.mp3[4123456]"=225\r\n' >"$pf/Plugins/volume.ini"
cp "$pf/Plugins/plugin.ini" "$work/plugin.ini.expected"
cp "$pf/Plugins/volume.ini" "$work/volume.ini.expected"
# And, for the user who uninstalls, where the plug-in keeps them when it may not write
# beside itself: the Plugins folder of the settings folder the player's paths.ini names,
# and %APPDATA%\Loudmark; with another plug-in's settings beside ours.
printf '[Winamp]\r\ninidir={26}\\Winamp\r\n' >"$pf/paths.ini"
appdata=$("$wine" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
appdata_unix=$("$wine" winepath -u "$appdata" 2>/dev/null | tr -d '\r')
user_files() {
    mkdir -p "$appdata_unix/Winamp/Plugins" "$appdata_unix/Loudmark"
    for f in plugin.ini volume.ini volume.ini.loudmark-whole volume.ini.loudmark-undo; do
        cp "$work/volume.ini.expected" "$appdata_unix/Winamp/Plugins/$f"
        cp "$work/volume.ini.expected" "$appdata_unix/Loudmark/$f"
    done
    echo "another plug-in's" >"$appdata_unix/Winamp/Plugins/gen_other.ini"
}
user_files
run_uninstaller 'C:\Program Files\Winamp\Plugins\uninstall-loudmark.exe' /S
check "the DLL is gone" absent "$pf/Plugins/gen_loudmark.dll"
check "loudmark-db.exe is gone" absent "$pf/Plugins/loudmark-db.exe"
check "the uninstaller is gone" absent "$pf/Plugins/uninstall-loudmark.exe"
check "the Add/Remove Programs entry is gone" key_absent "$arp_key"
check "plugin.ini is kept unchanged" same_file "$pf/Plugins/plugin.ini" "$work/plugin.ini.expected"
check "volume.ini is kept unchanged" same_file "$pf/Plugins/volume.ini" "$work/volume.ini.expected"
check "the files in the settings folder's Plugins and in %APPDATA%\\Loudmark are kept" \
    bash -c 'cmp -s "$1/Winamp/Plugins/volume.ini" "$2" && cmp -s "$1/Loudmark/volume.ini" "$2"' \
    _ "$appdata_unix" "$work/volume.ini.expected"
check "another plug-in, the Plugins folder and winamp.exe stay" \
    test -f "$pf/Plugins/gen_other.dll" -a -f "$pf/winamp.exe"

echo "== reinstall over the kept files, then uninstall with /PURGE"
run "$setup64" /S '/D=C:\Program Files\Winamp'
check "the reinstall exits with 0 and puts the DLL back" \
    bash -c 'test "$1" -eq 0 && cmp -s "$2" "$3"' _ $? "$pf/Plugins/gen_loudmark.dll" "$dll64"
check "the reinstall leaves volume.ini as it was" same_file "$pf/Plugins/volume.ini" "$work/volume.ini.expected"
printf '[Tamsel Loudmark]\r\n' >"$pf/Plugins/volume.ini.new"
cp "$work/volume.ini.expected" "$pf/Plugins/volume.ini.loudmark-undo"
user_files
run_uninstaller 'C:\Program Files\Winamp\Plugins\uninstall-loudmark.exe' /S /PURGE
check "/PURGE: the DLL and the uninstaller are gone" \
    bash -c '! test -e "$1" && ! test -e "$2"' _ "$pf/Plugins/gen_loudmark.dll" "$pf/Plugins/uninstall-loudmark.exe"
check "/PURGE: plugin.ini, volume.ini and a leftover volume.ini.new are gone" \
    bash -c '! test -e "$1/plugin.ini" && ! test -e "$1/volume.ini" && ! test -e "$1/volume.ini.new"' _ "$pf/Plugins"
check "/PURGE: the copy Loudmark kept for undo is gone" absent "$pf/Plugins/volume.ini.loudmark-undo"
check "/PURGE: our files in the Plugins folder of the settings folder paths.ini names are gone, another plug-in's stay" \
    bash -c 'test "$(ls "$1/Winamp/Plugins")" = gen_other.ini' _ "$appdata_unix"
check "/PURGE: %APPDATA%\\Loudmark is gone" absent "$appdata_unix/Loudmark"
check "/PURGE: another plug-in and the Plugins folder stay" test -f "$pf/Plugins/gen_other.dll"
rm -rf "$pf/paths.ini" "$appdata_unix/Winamp"

echo "== the player's folder found through the registry"
rm -rf "$pf"
fake_player "Players/Winamp A"
reg_import '[HKEY_CURRENT_USER\Software\Winamp]
@="C:\\Players\\Winamp A"'
run "$setup64" /S
check "from HKCU\\Software\\Winamp: the DLL lands in C:\\Players\\Winamp A\\Plugins" \
    bash -c 'test "$1" -eq 0 && cmp -s "$2" "$3"' _ $? "$drive/Players/Winamp A/Plugins/gen_loudmark.dll" "$dll64"
check "and nothing is made under Program Files" absent "$pf"
run_uninstaller 'C:\Players\Winamp A\Plugins\uninstall-loudmark.exe' /S
check "its uninstaller removes it again" absent "$drive/Players/Winamp A/Plugins/gen_loudmark.dll"

fake_player "Players/Winamp B"
reg_import '[-HKEY_CURRENT_USER\Software\Winamp]
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp]
"UninstallString"="\"C:\\Players\\Winamp B\\UninstWA.exe\""'
run "$setup64" /S
check "from the player's UninstallString (quoted): the DLL lands in C:\\Players\\Winamp B\\Plugins" \
    bash -c 'test "$1" -eq 0 && cmp -s "$2" "$3"' _ $? "$drive/Players/Winamp B/Plugins/gen_loudmark.dll" "$dll64"
run_uninstaller 'C:\Players\Winamp B\Plugins\uninstall-loudmark.exe' /S

echo "== a stale registry entry falls back to Program Files\\Winamp"
rm -rf "$drive/Players/Winamp B"
fake_player "Program Files/Winamp"
reg_import '[HKEY_CURRENT_USER\Software\Winamp]
@="C:\\Players\\Winamp B"'
run "$setup64" /S
check "no winamp.exe where the registry points: the DLL lands in C:\\Program Files\\Winamp\\Plugins" \
    bash -c 'test "$1" -eq 0 && cmp -s "$2" "$3"' _ $? "$pf/Plugins/gen_loudmark.dll" "$dll64"
check "and no folder is made where the registry pointed" absent "$drive/Players/Winamp B"
run_uninstaller 'C:\Program Files\Winamp\Plugins\uninstall-loudmark.exe' /S
reg_import '[-HKEY_CURRENT_USER\Software\Winamp]
[-HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp]'

echo "== refusals"
mkdir -p "$drive/Players/Empty"
run "$setup64" /S '/D=C:\Players\Empty'
status=$?
check "/D= a folder without winamp.exe: the installer fails (exit status $status)" test "$status" -ne 0
check "and writes nothing there" test -z "$(ls -A "$drive/Players/Empty")"
check "and makes no Add/Remove Programs entry" key_absent "$arp_key"

check "the fake player window is up" player_window_start "$work" "$work/wine.log"
run "$setup64" /S '/D=C:\Program Files\Winamp'
status=$?
check "the player running: the installer fails (exit status $status)" test "$status" -ne 0
check "and does not install the DLL" absent "$pf/Plugins/gen_loudmark.dll"
player_window_stop

# The uninstaller's _?= must stand unquoted at the end of its command line, and wine
# quotes an argument with a blank: this player lives in a folder without one.
fake_player "Players/WinampC"
run "$setup64" /S '/D=C:\Players\WinampC'
check "the player closed: the installer succeeds" test -f "$drive/Players/WinampC/Plugins/gen_loudmark.dll"
player_window_start "$work" "$work/wine.log"
# _?= runs the uninstaller in place, so its exit status is its own.
run 'C:\Players\WinampC\Plugins\uninstall-loudmark.exe' /S '_?=C:\Players\WinampC\Plugins'
status=$?
check "the player running: the uninstaller fails (exit status $status)" test "$status" -ne 0
check "and leaves the DLL and the Add/Remove Programs entry" \
    bash -c 'test -f "$1" && test -n "$2"' _ "$drive/Players/WinampC/Plugins/gen_loudmark.dll" "$(reg_value "$arp_key" DisplayName)"
player_window_stop
run_uninstaller 'C:\Players\WinampC\Plugins\uninstall-loudmark.exe' /S
check "the player closed: the uninstaller removes the DLL and itself" \
    bash -c '! test -e "$1/gen_loudmark.dll" && ! test -e "$1/uninstall-loudmark.exe"' _ "$drive/Players/WinampC/Plugins"

finish
