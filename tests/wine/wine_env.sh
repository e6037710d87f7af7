# Sourced by the scripts that run Windows programs under wine64 (tests/wine/run.sh,
# demo/wine/run_wine_demo.sh): a private Xvfb display and a private Wine prefix.
#
#   . tests/wine/wine_env.sh
#   wine_env_start /path/to/prefix     # sets WINEPREFIX, DISPLAY, ...; traps EXIT to stop
#   "$wine" program.exe ...
#   windows_path /linux/path           # Z:\linux\path
#
# Stops only what it started: the prefix's wineserver and its own Xvfb.

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
wine_env_xvfb_pid=""

wine_env_stop() {
    "$wineserver" -k >/dev/null 2>&1 || true
    if [ -n "$wine_env_xvfb_pid" ]; then
        kill "$wine_env_xvfb_pid" 2>/dev/null || true
        wait "$wine_env_xvfb_pid" 2>/dev/null || true
        wine_env_xvfb_pid=""
    fi
}

wine_env_start() {
    export WINEPREFIX=$1
    export WINEARCH=win64
    export WINEDEBUG=-all
    trap wine_env_stop EXIT

    # A display nobody else uses.
    local display="" n
    for n in $(seq 91 160); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
    done
    [ -n "$display" ] || { echo "no free X display"; exit 1; }
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    wine_env_xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.05
    done
    export DISPLAY=":$display"

    if [ ! -f "$WINEPREFIX/.loudmark-ready" ]; then
        echo "creating the Wine prefix in $WINEPREFIX"
        # No Mono or Gecko installers: nothing here needs them.
        WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init >/dev/null 2>&1
        # Without a window manager, destroying a shown window waits for one that never answers.
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        "$wineserver" -w
        touch "$WINEPREFIX/.loudmark-ready"
    fi
    "$wineserver" -p
}

windows_path() { echo "Z:${1//\//\\}"; }
