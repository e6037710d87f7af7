#!/usr/bin/env bash
# Redraws docs/tray-100.png, docs/tray-150.png and docs/tray-200.png: at each scale (Wine's
# LogPixels set to 96, 144, 192 in a prefix of its own) the wine demo runs inside a Wine
# virtual desktop (which has a taskbar and a notification area) on a private Xvfb
# display, the pointer rests on our icon so its tooltip shows, and two moments are cut
# out, at twice their size: the icon at rest and the volume-up animation. Needs
# imagemagick and xdotool (apt-get install imagemagick xdotool).
#
#   tools/screenshot_tray.sh [percent...]      (default: 100 150 200)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build/win64
convert=/usr/bin/convert  # ImageMagick's, whatever else PATH holds

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target loudmark_wine_demo >/dev/null

. tests/wine/wine_env.sh
wine_env_start "$build/wine-shot-prefix"

percents=("$@")
[ $# -gt 0 ] || percents=(100 150 200)
for p in "${percents[@]}"; do
    shots=$build/tray-shots-$p
    rm -rf "$shots" && mkdir -p "$shots/work"
    dpi=$((96 * p / 100))
    # Read when the Wine server starts: set it, then start afresh.
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    "$wineserver" -k >/dev/null 2>&1 || true
    "$wineserver" -w >/dev/null 2>&1 || true
    # A desktop of 480 x 300 at 100%, scaled; the taskbar runs along its bottom, our
    # icon at its right end.
    width=$((480 * p / 100)) height=$((300 * p / 100))
    WINEDLLOVERRIDES="winmm=n,b;mscoree,mshtml=" timeout 60 "$wine" explorer "/desktop=Loudmark,${width}x$height" \
        "$(windows_path "$build/tests/wine/loudmark_wine_demo.exe")" "$(windows_path "$build/gen_loudmark.dll")" \
        "$(windows_path "$shots/work")" >"$shots/demo.log" 2>&1 &
    sleep 2.5
    xdotool mousemove $((width - 10 * p / 100)) $((height - 10 * p / 100))
    # The demo's story: the volume hotkey is pressed about 13 s in, and the icon is at
    # rest again 1.25 s later; its animation shows the arrow and the bare disc in turn.
    sleep 7.5
    for i in $(seq 10 40); do
        import -window root "$shots/shot-$i.png"
        sleep 0.2
    done
    # The shots whose icon shows the yellow arrow (yellow, no green) and the logo (both).
    icon="$((20 * p / 100))x$((20 * p / 100))+$((width - 20 * p / 100))+$((height - 20 * p / 100))"
    read -r up rest < <(for f in "$shots"/shot-*.png; do
        echo "$f $("$convert" "$f" -crop "$icon" +repage -depth 8 rgb:- | python3 -c '
import sys
b = sys.stdin.buffer.read()
px = [b[i:i + 3] for i in range(0, len(b), 3)]
print(sum(r > 200 and g > 170 and bl < 110 for r, g, bl in px), sum(g > 170 and r < 140 and bl < 140 for r, g, bl in px))')"
    done | sort -V | awk '$2 > 10 && $3 == 0 && !up { up = $1 } up && $2 > 10 && $3 > 10 && !rest { rest = $1 }
        END { print up, rest }')
    [ -n "$up" ] && [ -n "$rest" ] || { echo "no shot of the arrow then the logo at $p%: look in $shots"; exit 1; }

    crop="$((240 * p / 100))x$((50 * p / 100))+$((240 * p / 100))+$((250 * p / 100))"
    cut() { "$convert" "$1" -crop "$crop" +repage -filter point -resize 200% "$2"; }
    cut "$rest" "$shots/rest.png"
    cut "$up" "$shots/volume-up.png"
    "$convert" "$shots/rest.png" "$shots/volume-up.png" -bordercolor white -border 6 +append +repage "docs/tray-$p.png"
    echo "docs/tray-$p.png redrawn from $shots"
done
