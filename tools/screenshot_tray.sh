#!/usr/bin/env bash
# Redraws docs/tray.png: the wine demo runs inside a Wine virtual desktop (which has a
# taskbar and a notification area) on a private Xvfb display, the pointer rests on our
# icon so its tooltip shows, and two moments are cut out: the icon at rest and the
# volume-up animation. Needs imagemagick and xdotool (apt-get install imagemagick xdotool).
#
#   tools/screenshot_tray.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build/win64
shots=$build/tray-shots
convert=/usr/bin/convert  # ImageMagick's, whatever else PATH holds

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target loudmark_wine_demo >/dev/null
rm -rf "$shots" && mkdir -p "$shots/work"

. tests/wine/wine_env.sh
wine_env_start "$build/wine-shot-prefix"

# A 480 x 300 desktop: its taskbar runs along y 280..300, the icon sits at (470, 290).
WINEDLLOVERRIDES="winmm=n,b;mscoree,mshtml=" timeout 60 "$wine" explorer /desktop=Loudmark,480x300 \
    "$(windows_path "$build/tests/wine/loudmark_wine_demo.exe")" "$(windows_path "$build/gen_loudmark.dll")" \
    "$(windows_path "$shots/work")" >"$shots/demo.log" 2>&1 &
sleep 2.5
xdotool mousemove 470 290
for i in $(seq 1 16); do
    sleep 1
    import -window root "$shots/shot-$i.png"
done

# The demo's story: the volume hotkey is pressed about 13 s in, and the icon is at rest
# again a second later. The animation alternates the arrow and the bare disc every
# 250 ms, so a run may catch either: look at the shots and cut again if needed.
cut() { "$convert" "$shots/shot-$1.png" -crop 240x50+240+250 +repage -filter point -resize 200% "$2"; }
cut 12 "$shots/rest.png"
cut 11 "$shots/volume-up.png"
"$convert" "$shots/rest.png" "$shots/volume-up.png" -bordercolor white -border 6 +append docs/tray.png
echo "docs/tray.png redrawn from $shots"
