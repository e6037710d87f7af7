#!/usr/bin/env bash
# A benchmark, not a test: `loudmark-db clean --dry-run` under wine64 against a folder
# tree of 100,000 songs and a database of 100,000 records (90,000 of them songs in the
# tree), beside the least any program pays to walk that tree: a bare FindFirstFileExW
# walk (bench/wine/bare_walk.cpp) on one thread and on two, each timed as a whole
# process in the same run, turn about. Two shapes of tree: "albums", 8,000 album folders
# (400 artists of 20 albums, 12 or 13 songs each), and "folders", 100 folders of 1,000.
# Then where the tool's time goes (loudmark_db_timing.exe). Run it on an idle machine.
#
#   bench/wine/tool_clean.sh [runs] [albums|folders|both]   (default 5, both)
#
# Uses the win64 build in build/tool-win64 (built when missing), the trees in
# build/tool-bench/ (made once, about 100 MB of sparse files each) and the Wine prefix of
# tests/tool/run_wine.sh.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
runs=${1:-5}
shapes=${2:-both}
[ "$shapes" = both ] && shapes="albums folders"

build=$root/build/tool-win64
# Built every time (only what changed), so the figures are never those of older code.
cmake -S . -B "$build" --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j2 --target loudmark-db loudmark_db_timing >/dev/null
x86_64-w64-mingw32-g++ -std=c++17 -O2 -municode -static bench/wine/bare_walk.cpp -o "$build/loudmark_bare_walk.exe"

for shape in $shapes; do
    python3 - "$root/build/tool-bench/$shape" "$shape" <<'PY'
import os, random, sys
root, shape = sys.argv[1], sys.argv[2]
tree = os.path.join(root, "Music")
marker = os.path.join(root, ".tree-ready")
if not os.path.exists(marker):
    keys = []
    song = 0
    if shape == "albums":
        folders = [(os.path.join("Artist %03d" % (album // 20), "Album %04d" % album), 13 if album % 2 == 0 else 12)
                   for album in range(8000)]
    else:
        folders = [("Folder %03d" % folder, 1000) for folder in range(100)]
    for relative, songs in folders:
        folder = os.path.join(tree, relative)
        os.makedirs(folder, exist_ok=True)
        for track in range(songs):
            name = "%02d Song %06d.mp3" % (track % 100 + 1, song)
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
done

. tests/wine/wine_env.sh
mkdir -p "$root/build/tool-wine"
wine_env_console "$root/build/tool-wine/prefix"

# The whole process's time in seconds, its output in $bench_out.
timed() {
    local start end
    start=$(date +%s.%N)
    "$@" >"$bench_out" 2>"$bench_out.err" || true
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
spread() { sort -n | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.2f-%.2f", lo, hi }'; }

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min), $(nproc) cores"
for shape in $shapes; do
    bench=$root/build/tool-bench/$shape
    bench_out=$bench/run.out
    db=$(windows_path "$bench/volume.ini")
    music=$(windows_path "$bench/Music")
    echo "== $shape: loudmark-db clean --dry-run, 100,000 songs, 100,000 records, wine64 ($runs runs, after one to warm the caches)"
    timed "$wine" "$build/loudmark-db.exe" clean --dry-run --database "$db" "$music" >/dev/null
    timed "$wine" "$build/loudmark_bare_walk.exe" "$music" 2 >/dev/null
    : >"$bench/tool.times"; : >"$bench/walk1.times"; : >"$bench/walk2.times"; : >"$bench/ratios"
    for run in $(seq 1 "$runs"); do
        tool=$(timed "$wine" "$build/loudmark-db.exe" clean --dry-run --database "$db" "$music")
        summary=$(tail -1 "$bench_out" | tr -d '\r')
        walk1=$(timed "$wine" "$build/loudmark_bare_walk.exe" "$music" 1)
        walk2=$(timed "$wine" "$build/loudmark_bare_walk.exe" "$music" 2)
        walked=$(tr -d '\r' <"$bench_out")
        echo "$tool" >>"$bench/tool.times"; echo "$walk1" >>"$bench/walk1.times"; echo "$walk2" >>"$bench/walk2.times"
        # Against the quicker of the two walks in the same run: on 100 large folders one
        # thread is often as quick as two.
        awk -v t="$tool" -v a="$walk1" -v b="$walk2" 'BEGIN { printf "%.4f\n", t / (a < b ? a : b) }' >>"$bench/ratios"
        printf '  run %d: the tool %.2f s (%s); the bare walk %.2f s on one thread, %.2f s on two (%s)\n' \
            "$run" "$tool" "$summary" "$walk1" "$walk2" "$walked"
    done
    printf '  median: the tool %.2f s, the bare walk %.2f s on one thread, %.2f s on two; the tool / the quicker walk: %.2f (%s)\n' \
        "$(median <"$bench/tool.times")" "$(median <"$bench/walk1.times")" "$(median <"$bench/walk2.times")" \
        "$(median <"$bench/ratios")" "$(spread <"$bench/ratios")"
    echo "  where the tool's time goes (one more run):"
    "$wine" "$build/loudmark_db_timing.exe" "$db" "$music" | tr -d '\r' | sed 's/^/    /'
done
start=$(date +%s.%N)
"$wine" "$build/loudmark-db.exe" help >"$root/build/tool-bench/help.out"
end=$(date +%s.%N)
printf 'process start and exit alone: %.2f s\n' "$(echo "$end - $start" | bc)"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
