#!/usr/bin/env bash
# Inspects the built product DLL as the player will see it: a 32-bit PE module with the
# one undecorated export, nothing imported but system DLLs, and of those only functions
# that Windows 95 exports (tests/dll/windows95_imports.txt), its icons (and the dialog,
# once the resource script has one) compiled in. Prints its size, and holds the code
# and the whole file to their limits.
set -uo pipefail

dll=${1:-build/win32/gen_loudmark.dll}
script=${2:-$(dirname "$0")/../../res/loudmark.rc}
windows95=$(dirname "$0")/windows95_imports.txt
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
# Code and data (every section but the resources): the whole DLL fitted in 48 KiB before
# its icons grew, and the code keeps to that.
code_limit=$((48 * 1024))
# The whole file: that budget, and 256 KiB of resources. Each of the eleven icons holds
# 20,350 bytes of images (32-bit alpha at 16, 20, 24, 32 and 48 px, 16-colour at 16 and
# 32), 224 KiB in all, and the dialog template a few hundred more.
total_limit=$((304 * 1024))

. "$(dirname "$0")/../common/checks.sh"
checks_quiet=1

if [ ! -f "$dll" ]; then
    echo "no DLL at $dll"
    echo "0 passed, 1 failed"
    exit 1
fi
dump=$("$objdump" -p "$dll")

# --- the file ---
check "PE32 for i386" grep -q 'file format pei-i386' <<<"$dump"
check "optional header magic 010b (PE32)" grep -qE '^Magic[[:space:]]+010b' <<<"$dump"
check "a DLL (characteristics bit 0x2000)" \
    test $(( 0x$(awk '/^Characteristics/ {print $2; exit}' <<<"$dump" | sed 's/^0x//') & 0x2000 )) -ne 0

# --- exports: exactly one, by its plain name ---
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -nE 's/^[[:space:]]+\[ *[0-9]+\] ([^ ]+)$/\1/p' | sort -u)
check "exactly one export, winampGetGeneralPurposePlugin (got: $(echo $exports))" \
    test "$exports" = "winampGetGeneralPurposePlugin"
check "the export address table holds one entry" \
    grep -qE 'Export Address Table[[:space:]]+00000001' <<<"$dump"

# --- imports: system DLLs only ---
allowed='^(KERNEL32|USER32|SHELL32|ADVAPI32|WINMM|GDI32)\.DLL$'
imports=$(grep -oE 'DLL Name: .+' <<<"$dump" | sed 's/DLL Name: //' | tr '[:lower:]' '[:upper:]' | sort -u)
unexpected=$(grep -vE "$allowed" <<<"$imports" || true)
check "imports only system DLLs (got: $(echo $imports); unexpected: $(echo $unexpected))" test -z "$unexpected"
check "imports KERNEL32 and USER32" bash -c 'grep -qx KERNEL32.DLL <<<"$1" && grep -qx USER32.DLL <<<"$1"' _ "$imports"

# Every function imported by name, as "DLL function"; a missing one keeps the module
# from loading at all.
functions=$(sed -n '/The Import Tables/,/The Export Tables/p' <<<"$dump" | awk '
    /DLL Name:/ { dll = toupper($3); next }
    /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $3 }' | sort -u)
known=$(grep -vE '^[[:space:]]*(#|$)' "$windows95" | awk '{print toupper($1), $2}' | sort -u)
beyond=$(comm -23 <(echo "$functions") <(echo "$known"))
check "imports $(wc -l <<<"$functions") functions, all of them exported by Windows 95 (not: $(echo $beyond))" \
    test -n "$functions" -a -z "$beyond"

# --- resources: the type table lists types, under each the names ---
resources=$(sed -n '/The .rsrc Resource Directory section/,$p' <<<"$dump" | while read -r line; do
    case "$line" in
    *"Entry: ID:"*) ;;
    *) continue ;;
    esac
    id=$(sed -E 's/.*Entry: ID: (0x[0-9a-f]+).*/\1/' <<<"$line")
    # objdump indents by depth: types three blanks after the offset, names five
    depth=$(sed -E 's/^[0-9a-f]+( +)Entry.*/\1/' <<<"$line")
    [ ${#depth} -eq 3 ] && type=$((id))
    [ ${#depth} -eq 5 ] && echo "$type $((id))"
done)
missing=""
for icon in 102 105 106 107 108 109 110 111 112 113 114; do
    grep -qx "14 $icon" <<<"$resources" || missing="$missing $icon"
done
check "the eleven icon resources (missing:${missing:- none})" test -z "$missing"
if [ -f "$script" ] && grep -qE '^[^/]*\bDIALOGEX\b' "$script"; then
    check "the configuration dialog, resource 2" grep -qx "5 2" <<<"$resources"
fi

# --- size ---
# Measured on a stripped copy; a strip that fails, or leaves no module behind, fails the
# check rather than measuring nothing.
size=$(stat -c %s "$dll")
stripped=$(mktemp)
strip_ok=0
"${STRIP:-i686-w64-mingw32-strip}" -o "$stripped" "$dll" && strip_ok=1
check "strip makes a copy" test "$strip_ok" -eq 1
# "name size" per section, the size in decimal
sections=$("$objdump" -h "$stripped" 2>/dev/null | awk '$2 ~ /^\./ { print $2, $3 }' |
    while read -r name hex; do echo "$name $((16#$hex))"; done)
check "the stripped copy is a module with sections" test -s "$stripped" -a -n "$sections"
stripped_size=$(stat -c %s "$stripped")
code_size=$(awk '$1 != ".rsrc" { sum += $2 } END { print sum + 0 }' <<<"$sections")
resource_size=$(awk '$1 == ".rsrc" { sum += $2 } END { print sum + 0 }' <<<"$sections")
rm -f "$stripped"
echo "gen_loudmark.dll: $size bytes as built, $stripped_size bytes stripped: $code_size of code and data" \
    "(limit $code_limit), $resource_size of resources; at most $total_limit in all"
check "code and data within 48 KiB" test "$strip_ok" -eq 1 -a -n "$sections" -a "$code_size" -gt 0 -a "$code_size" -le "$code_limit"
check "the whole stripped file within 304 KiB" test "$strip_ok" -eq 1 -a "$stripped_size" -gt 0 -a "$stripped_size" -le "$total_limit"

finish_checks
