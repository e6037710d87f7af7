#!/usr/bin/env bash
# A benchmark, not a test: `loudmark-db clean --dry-run` under wine64 against a folder
# tree of 100,000 songs in 8,000 album folders (400 artists of 20 albums, 12 or 13 songs
# each) and a database of 100,000 records (90,000 of them songs in the tree), with the
# time split into the folder walk, the database read and the maintenance pass by
# loudmark_db_timing.exe. Run it on an idle machine.
#
#   tests/tool/bench_clean_wine.sh [runs]    (default 3; the first one also warms the cache)
#
# Uses the win64 build in build/tool-win64 (built when missing), the tree in
# build/tool-bench/ (made once, about 100 MB of sparse files) and the Wine prefix of
# tests/tool/run_wine.sh.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
runs=${1:-3}

build=$root/build/tool-win64
# Built every time (only what changed), so the figures are never those of older code.
cmake -S . -B "$build" --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j2 --target loudmark-db loudmark_db_timing >/dev/null

bench=$root/build/tool-bench
python3 - "$bench" <<'PY'
import os, random, sys
root = sys.argv[1]
tree = os.path.join(root, "Music")
marker = os.path.join(root, ".tree-ready")
if not os.path.exists(marker):
    keys = []
    song = 0
    for album in range(8000):
        folder = os.path.join(tree, "Artist %03d" % (album // 20), "Album %04d" % album)
        os.makedirs(folder, exist_ok=True)
        for track in range(13 if album % 2 == 0 else 12):
            name = "%02d Song %06d.mp3" % (track + 1, song)
            size = 3000000 + song * 37
            with open(os.path.join(folder, name), "wb") as f:
                f.truncate(size)
            keys.append((name, size))
            song += 1
    assert song == 100000
    rng = random.Random(13)
    records = [k for k in rng.sample(keys, 90000)] + [("Gone %05d.mp3" % i, 1000 + i) for i in range(10000)]
    rng.shuffle(records)
    with open(os.path.join(root, "volume.ini"), "wb") as f:
        f.write(b"[Tamsel Loudmark]\r\n")
        for name, size in records:
            f.write(('"%s[%d]"=%d\r\n' % (name, size, rng.randint(60, 400))).encode())
    open(marker, "w").close()
PY

. tests/wine/wine_env.sh
mkdir -p "$root/build/tool-wine"
wine_env_console "$root/build/tool-wine/prefix"

db=$(windows_path "$bench/volume.ini")
music=$(windows_path "$bench/Music")
echo "loudmark-db clean --dry-run, 100,000 songs in 8,000 folders, 100,000 records, wine64:"
for run in $(seq 1 "$runs"); do
    start=$(date +%s.%N)
    "$wine" "$build/loudmark-db.exe" clean --dry-run --database "$db" "$music" >"$bench/dry-run.out" 2>"$bench/dry-run.err" || true
    end=$(date +%s.%N)
    printf '  run %d: %.2f s, the whole process (%s)\n' "$run" "$(echo "$end - $start" | bc)" "$(tail -1 "$bench/dry-run.out" | tr -d '\r')"
done
echo "where the time goes (one more run):"
"$wine" "$build/loudmark_db_timing.exe" "$db" "$music" | tr -d '\r' | sed 's/^/  /'
start=$(date +%s.%N)
"$wine" "$build/loudmark-db.exe" help >/dev/null
end=$(date +%s.%N)
printf '  process start and exit alone: %.2f s\n' "$(echo "$end - $start" | bc)"
