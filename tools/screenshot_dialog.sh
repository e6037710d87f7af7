#!/usr/bin/env bash
# Redraws docs/dialog.png: the Wine host opens the real configuration dialog (its "dialog"
# scenario) on a private Xvfb display, and the dialog is captured while it is still
# untouched (the host leaves a marker file then and waits a second before clicking).
# Wine has no Verdana, the dialog's font: the capture's prefix substitutes DejaVu Sans,
# the nearest in shape and width (DIALOG_FONT names another). With these fonts the database
# buttons' third line is cut at the bottom: 25 dialog units barely hold three lines. Needs
# imagemagick and xdotool.
#
#   tools/screenshot_dialog.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build/win64
shots=$build/dialog-shots

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target loudmark_wine_host >/dev/null
rm -rf "$shots" && mkdir -p "$shots/work"

. tests/wine/wine_env.sh
wine_env_start "$build/wine-shot-prefix"
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /t REG_SZ /d "${DIALOG_FONT:-DejaVu Sans}" /f >/dev/null 2>&1

WINEDLLOVERRIDES="winmm=n,b;mscoree,mshtml=" timeout 60 "$wine" "$(windows_path "$build/tests/wine/loudmark_wine_host.exe")" \
    "$(windows_path "$build/gen_loudmark.dll")" "$(windows_path "$shots/work")" dialog >"$shots/host.log" 2>&1 &
host=$!
marker="$shots/work/dialog/dialog-open"
for _ in $(seq 1 200); do
    [ -e "$marker" ] && break
    sleep 0.05
done
[ -e "$marker" ] || { echo "the dialog did not open; see $shots/host.log"; exit 1; }
sleep 0.3  # let it paint
window=$(xdotool search --name '^Configure Loudmark$' | head -n 1)
import -window "$window" docs/dialog.png
wait "$host" || true
echo "docs/dialog.png redrawn"
