#!/usr/bin/env bash
# loudmark-db.exe (the win64 build) under wine64, against real files through the real
# file, profile and registry functions: list, show, set, clean and trim, names the ANSI
# code page cannot hold (typed, and on disk, keyed by the short names Wine gives them),
# read-only files, the default database found through the registry and a paths.ini, a
# clean against the wrong folder refused and undone, the refusal while a
# window of the player's class is open, and the exit statuses. Every check compares
# exact output or exact bytes.
#
#   tests/tool/run_wine.sh [path of loudmark-db.exe]    (default: build/win64/loudmark-db.exe,
#                                                        built first when anything changed)
#
# Keeps its Wine prefix under build/tool-wine/ (the first run creates it: a minute or
# more). Prints "N passed, N failed" and exits non-zero when a check failed.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
. tests/common/checks.sh
. tests/wine/wine_env.sh

work=$root/build/tool-wine
prefix=$work/prefix
mkdir -p "$work"

if [ $# -eq 0 ]; then
    # Built every time (only what changed), so a run never tests an older binary; a
    # build that fails ends the run.
    if ! { cmake --preset win64 && cmake --build --preset win64 -j2 --target loudmark-db; } >"$work/build.log" 2>&1; then
        cat "$work/build.log" >&2
        echo "run_wine: loudmark-db.exe could not be built" >&2
        exit 1
    fi
fi
exe=${1:-$root/build/win64/loudmark-db.exe}
[ -f "$exe" ] || { echo "run_wine: no $exe" >&2; exit 1; }
exe=$(realpath "$exe")  # one check runs from another folder
# The player's window needs no display.
wine_env_console "$prefix"

# Runs the tool; its standard output (line ends as Unix ones) in $out, its standard error
# in $err, its exit status in $status.
tool() {
    "$wine" "$exe" "$@" >"$work/out" 2>"$work/err"
    status=$?
    out=$(tr -d '\r' <"$work/out")
    err=$(tr -d '\r' <"$work/err")
}
same() { [ "$1" = "$2" ] || { printf 'expected:\n%s\ngot:\n%s\n' "$2" "$1"; false; }; }
crlf() { printf '%s\r\n' "$@"; }

# A listener's files: two albums, a song elsewhere, a playlist, and a database.
drive=$prefix/drive_c
base=$drive/loudmark-db-e2e
rm -rf "$base"
mkdir -p "$base/Music/Album A" "$base/Music/Album B" "$base/Elsewhere" "$base/Player/Plugins"
head -c 1000 /dev/zero >"$base/Music/Album A/01 Intro.mp3"
head -c 2000 /dev/zero >"$base/Music/Album B/02 Song.mp3"
head -c 3000 /dev/zero >"$base/Elsewhere/other.mp3"
echo "not a real player" >"$base/Player/winamp.exe"
# It keeps its settings beside itself, so Loudmark keeps its files in its Plugins folder.
: >"$base/Player/winamp.ini"
M='C:\loudmark-db-e2e\Music'
db='C:\loudmark-db-e2e\volume.ini'
crlf '[Tamsel Loudmark]' '"01 Intro.mp3[1000]"=225' '"02 Song.mp3[2000]"=100' '"other.mp3[3000]"=300' \
    'broken line' '"gone.mp3[-1]"=250' >"$base/volume.ini"
printf '\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:10,Intro\r\nAlbum A\\01 Intro.mp3\r\n..\\Elsewhere\\other.mp3\r\n' \
    >"$base/Music/list.m3u8"
cp "$base/volume.ini" "$work/initial.ini"

echo "== list and show"
tool list --database "$db" --format csv
check "list: exit status 3 for the line that is no record" test "$status" -eq 3
check "list: the line reported by its number" same "$err" "C:\\loudmark-db-e2e\\volume.ini:5: no '=': not a record
loudmark-db: 1 line of C:\\loudmark-db-e2e\\volume.ini the plug-in cannot read as records"
check "list: every record with its steps and volume" same "$out" "name,size,value,steps,volume,never_matched
01 Intro.mp3,1000,225,-30,100,
02 Song.mp3,2000,100,-155,0,
other.mp3,3000,300,45,175,
gone.mp3,-1,250,-5,125,"
tool show --database "$db" --reference 150 "$M\\Album A\\01 Intro.mp3" "$M\\nothing.mp3"
check "show: the key, the record, the volume at reference 150" same "$out" "$M\\Album A\\01 Intro.mp3
  song key:  \"01 Intro.mp3[1000]\"
  record:    225 (30 steps below the reference)
  volume:    120 at reference 150
$M\\nothing.mp3
  song key:  \"nothing.mp3[-1]\" (the file cannot be opened)
  record:    none
  volume:    150 (the reference volume)"

echo "== clean and trim"
tool clean --dry-run --database "$db" "$M"
check "clean --dry-run: what would go (the playlist in the folder is no song), exit status 3" same "$status:$out" "3:would go: \"other.mp3[3000]\"=300 (not among the songs)
would go: \"gone.mp3[-1]\"=250 (not among the songs)
2 songs: 2 records would stay, 2 would go; nothing changed"
check "clean --dry-run: the database unchanged" same_file "$base/volume.ini" "$work/initial.ini"
tool clean --database "$db" "$M\\list.m3u8" "$M\\Album B"
check "clean of a playlist and a folder: kept in the order met, the broken line dropped" same "$status:$(tr -d '\r' <"$base/volume.ini")" "0:[Tamsel Loudmark]
\"01 Intro.mp3[1000]\"=225
\"other.mp3[3000]\"=300
\"02 Song.mp3[2000]\"=100"
check "clean: the count of what went" same "$out" "3 songs: 3 records kept, 1 went"
check "clean: no rebuild file left" absent "$base/volume.ini.new"
tool trim --database "$db" --band 24 "$M" 'C:\loudmark-db-e2e\Elsewhere'
check "trim --band 24: the record inside the band goes" same "$status:$(tr -d '\r' <"$base/volume.ini")" "0:[Tamsel Loudmark]
\"01 Intro.mp3[1000]\"=225
\"other.mp3[3000]\"=300"

echo "== set and remove"
tool set --database "$db" "$M\\Album B\\02 Song.mp3" 90
check "set: a new record, as the profile functions write it" same "$status:$(tr -d '\r' <"$base/volume.ini")" "0:[Tamsel Loudmark]
\"01 Intro.mp3[1000]\"=225
\"other.mp3[3000]\"=300
\"02 Song.mp3[2000]\"=215"
tool remove --database "$db" --key 'other.mp3[3000]'
check "remove --key" same "$status:$(tr -d '\r' <"$base/volume.ini")" "0:[Tamsel Loudmark]
\"01 Intro.mp3[1000]\"=225
\"02 Song.mp3[2000]\"=215"
pushd "$base" >/dev/null && tool set --database volume.ini --key 'bare.mp3[1]' 200 && popd >/dev/null
check "a bare --database name is the file in the current folder, for the profile functions too" \
    bash -c 'test "$1" -eq 0 && grep -q "^\"bare.mp3\[1\]\"=325" "$2" && ! test -e "$3/windows/volume.ini"' \
    _ "$status" "$base/volume.ini" "$drive"
tool remove --database "$db" --key 'bare.mp3[1]'
tool list --database 'C:\loudmark-db-e2e\none.ini'
check "no database: exit status 2" test "$status" -eq 2
cp "$base/volume.ini" "$work/before-source.ini"
tool clean --database "$db" 'C:\loudmark-db-e2e\NoSuchFolder'
check "a source that is not there: exit status 4, nothing written" \
    bash -c 'test "$1" -eq 4 && cmp -s "$2" "$3"' _ "$status" "$base/volume.ini" "$work/before-source.ini"

echo "== names the ANSI code page cannot hold, on the command line and on disk"
# As the 5.x tracker keys them: by the short path the player hands out (winepath -s asks
# Wine's GetShortPathNameW), a name the code page holds by itself.
intl="$base/Intl"
mkdir -p "$intl"
head -c 1100 /dev/zero >"$intl/Песня.mp3"
head -c 1200 /dev/zero >"$intl/曲.mp3"
head -c 1300 /dev/zero >"$intl/Café.mp3"
I='C:\loudmark-db-e2e\Intl'
short_name() { "$wine" winepath -s "$I\\$1" 2>/dev/null | tr -d '\r' | sed 's/.*\\//'; }
song1=$(short_name 'Песня.mp3')
song2=$(short_name '曲.mp3')
idb='C:\loudmark-db-e2e\intl.ini'
crlf '[Tamsel Loudmark]' "\"$song1[1100]\"=225" "\"$song2[1200]\"=235" $'"Caf\xe9.mp3[1300]"=245' >"$base/intl.ini"
cp "$base/intl.ini" "$work/intl-before.ini"
tool clean --database "$idb" "$I"
check "clean over their folder keeps all three records (short names $song1, $song2)" \
    bash -c 'test "$1" -eq 0 && test "$2" = "3 songs: 3 records kept, 0 went"' _ "$status" "$out"
tool show --database "$idb" "$I\\Песня.mp3"
check "show, the name typed in Cyrillic: its key and record" \
    same "$status:$(sed -n '2,3p' <<<"$out")" "0:  song key:  \"$song1[1100]\"
  record:    225 (30 steps below the reference)"
tool set --database "$idb" "$I\\曲.mp3" 90
check "set, the name typed in Japanese" same "$status:$out" "0:\"$song2[1200]\"=215: starts at 90 with the reference at 130"
tool remove --database "$idb" "$I\\Песня.mp3"
check "remove, the name typed in Cyrillic" same "$status:$out" "0:\"$song1[1100]\": removed"
tool stats --database "$idb" "$I\\Песня.mp3"
check "a Cyrillic song file as a source is found" bash -c 'test "$1" -eq 0 && grep -q "^The 1 song in the sources matches 0 records;" <<<"$2"' _ "$status" "$out"
printf '../Intl/Caf\xc3\xa9.mp3\r\n' >"$base/Music/slashes.m3u8"
tool stats --database "$idb" "$M\\slashes.m3u8"
check "a playlist entry with forward slashes matches its song" \
    bash -c 'test "$1" -eq 0 && grep -q "^The 1 song in the sources matches 1 record;" <<<"$2"' _ "$status" "$out"

echo "== a database that cannot be written"
cp "$base/volume.ini" "$work/before-readonly.ini"
chmod 444 "$base/volume.ini"
tool set --database "$db" "$M\\Album B\\02 Song.mp3" 50
check "set on a read-only volume.ini: exit status 5, the reason, the file as it was" \
    bash -c 'test "$1" -eq 5 && grep -q "volume.ini is read-only" <<<"$2" && cmp -s "$3" "$4" && test "$(stat -c %a "$3")" = 444' \
    _ "$status" "$err" "$base/volume.ini" "$work/before-readonly.ini"
check "... and nothing left behind" absent "$base/volume.ini.new"
chmod 644 "$base/volume.ini"
for command in set clean; do
    printf 'left over\r\n' >"$base/volume.ini.new"
    chmod 444 "$base/volume.ini.new"
    if [ $command = set ]; then tool set --database "$db" "$M\\Album B\\02 Song.mp3" 50; else tool clean --database "$db" "$M"; fi
    check "$command: a read-only volume.ini.new left by an earlier failure neither blocks it nor makes volume.ini read-only" \
        bash -c 'test "$1" -eq 0 && grep -q "^\"02 Song.mp3\[2000\]\"=175" "$2" && test "$(stat -c %a "$2")" = 644' \
        _ "$status" "$base/volume.ini"
    check "... and it is gone" absent "$base/volume.ini.new"
    chmod 644 "$base/volume.ini" "$base/volume.ini.new" 2>/dev/null; rm -f "$base/volume.ini.new"
done
tool set --database "$db" "$M\\Album B\\02 Song.mp3" 90

echo "== the default database, found through the registry"
cp "$base/volume.ini" "$base/Player/Plugins/volume.ini"
"$wine" reg add 'HKCU\Software\Winamp' /ve /t REG_SZ /d 'C:\loudmark-db-e2e\Player' /f >/dev/null 2>&1
tool stats
check "stats: the database in the player's Plugins folder, and why" \
    same "$(head -5 <<<"$out")" "Database: C:\\loudmark-db-e2e\\Player\\Plugins\\volume.ini
  the player: C:\\loudmark-db-e2e\\Player (the default value of HKCU\\Software\\Winamp)
  its settings folder: C:\\loudmark-db-e2e\\Player (beside itself: no paths.ini names another)
  the plug-in's folder: Plugins\\ in the settings folder, which can be written
Records: 2 (0 never matched)"
# A paths.ini as the 5.x installer writes it: {26} is the user's application data folder.
printf '[Winamp]\r\ninidir={26}\\Winamp\r\n' >"$base/Player/paths.ini"
appdata=$("$wine" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
appdata_unix=$("$wine" winepath -u "$appdata" 2>/dev/null | tr -d '\r')
mkdir -p "$appdata_unix/Winamp/Plugins"
cp "$base/volume.ini" "$appdata_unix/Winamp/Plugins/volume.ini"
tool list --verbose
check "list --verbose: the database the paths.ini's settings folder holds ($appdata)" \
    same "$status:$(sed -n '1p;3p' <<<"$err")" "0:Database: $appdata\\Winamp\\Plugins\\volume.ini
  its settings folder: $appdata\\Winamp (inidir in its paths.ini)"
rm -rf "$base/Player/paths.ini" "$appdata_unix/Winamp"
"$wine" reg delete 'HKCU\Software\Winamp' /f >/dev/null 2>&1

echo "== a clean against the wrong folder, and undo"
cp "$base/volume.ini" "$work/before-wrong.ini"
mkdir -p "$base/Wrong" && head -c 10 /dev/zero >"$base/Wrong/x.mp3"
tool clean --database "$db" 'C:\loudmark-db-e2e\Wrong' </dev/null
check "no terminal to ask on: refused, exit status 4, nothing written" \
    bash -c 'test "$1" -eq 4 && grep -q "would drop 2 of the 2 records" <<<"$2" && cmp -s "$3" "$4"' \
    _ "$status" "$err" "$base/volume.ini" "$work/before-wrong.ini"
tool clean --force --database "$db" 'C:\loudmark-db-e2e\Wrong'
check "--force: cleaned all the same" same "$status:$out" "0:1 song: 0 records kept, 2 went"
tool undo --database "$db"
check "undo: every record back, the file as it was" \
    bash -c 'test "$1" -eq 0 && test "$2" = "2 records brought back, 0 edits undone, 0 records written since kept" && cmp -s "$3" "$4"' \
    _ "$status" "$out" "$base/volume.ini" "$work/before-wrong.ini"

echo "== the player running"
player_window_build
player_window_start "$work" /dev/null
cp "$base/volume.ini" "$work/before-player.ini"
tool set --database "$db" "$M\\Album B\\02 Song.mp3" 40
check "set while the player runs: exit status 6, nothing written" \
    bash -c 'test "$1" -eq 6 && cmp -s "$2" "$3"' _ "$status" "$base/volume.ini" "$work/before-player.ini"
tool set --force --database "$db" "$M\\Album B\\02 Song.mp3" 40
check "set --force while the player runs" same "$status:$out" "0:\"02 Song.mp3[2000]\"=165: starts at 40 with the reference at 130"
player_window_stop

finish_checks "loudmark-db under wine64"
