#!/usr/bin/env bash
# A benchmark, not a test: the dialog's Clean of the win64 DLL under wine64, on a 5.9 host
# whose playlist holds a whole library, beside its floor measured in the same run
# (tests/wine/clean_benchmark.cpp). Two shapes of library, 100,000 songs each with paths
# of about 125 characters: "albums", 8,000 folders of 12 or 13 songs (400 artists of 20
# albums), and "folders", 100 folders of 1,000. The database holds 100,000 records:
# 90,000 of songs in the library, 10,000 of songs that are gone, in no order.
#
#   bench/wine/dialog_clean.sh [albums|folders|both] [runs]   (default: both, 5 runs each)
#
# The libraries are made once under build/clean-bench/ (sparse files, about 100 MB of
# metadata each). Run it on a machine as idle as can be had: the figures move with load.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
shapes=${1:-both}
[ "$shapes" = both ] && shapes="albums folders"
runs=${2:-5}

build=$root/build/win64
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target loudmark_wine_host >/dev/null

bench=$root/build/clean-bench
for shape in $shapes; do
    python3 - "$bench/$shape" "$shape" <<'PY'
import os, random, sys
folder, shape = sys.argv[1], sys.argv[2]
marker = os.path.join(folder, ".ready")
if os.path.exists(marker):
    sys.exit(0)
tree = os.path.join(folder, "Music")
windows_tree = "Z:" + tree.replace("/", "\\")
WANTED = 125  # characters in a song's path, as the player hands it out

def padded(text, length):
    return (text + " " + "Recorded Live At The Old Town Hall In Front Of A Crowd")[:max(length, len(text))].rstrip()

songs = []  # (path relative to the tree, Windows path, name, size)
if shape == "albums":
    layout = []
    for album in range(8000):
        layout += [(album, track) for track in range(13 if album % 2 == 0 else 12)]
    for number, (album, track) in enumerate(layout):
        artist = padded("Artist %03d" % (album // 20), 24)
        record = padded("Album %04d" % album, 28)
        relative = os.path.join(artist, record)
        start = "%02d Song %06d" % (track + 1, number)
        room = WANTED - len(windows_tree) - len(artist) - len(record) - 3 - 4
        songs.append((relative, padded(start, room) + ".mp3"))
else:
    for number in range(100000):
        relative = padded("Folder %03d" % (number // 1000), 30)
        room = WANTED - len(windows_tree) - len(relative) - 2 - 4
        songs.append((relative, padded("Song %06d" % number, room) + ".mp3"))
assert len(songs) == 100000

playlist, keys = [], []
for number, (relative, name) in enumerate(songs):
    directory = os.path.join(tree, relative)
    os.makedirs(directory, exist_ok=True)
    size = 3000000 + number * 37
    with open(os.path.join(directory, name), "wb") as f:
        f.truncate(size)
    playlist.append(windows_tree + "\\" + relative.replace("/", "\\") + "\\" + name)
    keys.append("%s[%d]" % (name, size))

rng = random.Random(18)
kept = rng.sample(range(len(keys)), 90000)
values = {}
records = []
for i in kept:
    value = rng.randrange(60, 399)
    value += value >= 255  # the plug-in never writes 255
    values[keys[i]] = value
    records.append('"%s"=%d' % (keys[i], value))
records += ['"Gone Song %05d.mp3[%d]"=%d' % (i, 1000 + i, 100 + i % 200) for i in range(10000)]
rng.shuffle(records)
with open(os.path.join(folder, "volume.ini"), "wb") as f:
    f.write(("[Tamsel Loudmark]\r\n" + "".join(r + "\r\n" for r in records)).encode("ascii"))
with open(os.path.join(folder, "expected.ini"), "wb") as f:
    f.write(("[Tamsel Loudmark]\r\n" + "".join('"%s"=%d\r\n' % (k, values[k]) for k in keys if k in values)).encode("ascii"))
with open(os.path.join(folder, "playlist.txt"), "wb") as f:
    f.write(("\r\n".join(playlist) + "\r\n").encode("ascii"))
open(marker, "w").close()
PY
done

. tests/wine/wine_env.sh
work=$build/wine-work
mkdir -p "$work"
wine_env_start "$build/wine-prefix"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min), $(nproc) cores"
status=0
for shape in $shapes; do
    log=$build/clean-bench-$shape.log
    echo "== $shape"
    LOUDMARK_BENCH_LIBRARY=$(windows_path "$bench/$shape") LOUDMARK_BENCH_RUNS=$runs \
        wine_env_run_host "$wine" 900 "$build/tests/wine/loudmark_wine_host.exe" "$build/gen_loudmark.dll" "$work" \
        "$log" clean-bench
    grep -v '^  ok ' "$log" | tr -d '\r'
    wine_env_host_finished "$log" 900 || status=1
    [ "$host_status" -eq 0 ] || status=1
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit "$status"
