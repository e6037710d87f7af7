# Sourced by the scripts that run Windows programs under Wine (tests/wine/run.sh,
# tests/wine/run32.sh, demo/wine/run_wine_demo.sh): a private Xvfb display and a private
# Wine prefix, 64-bit, with its 32-bit half set up only when asked for.
#
#   . tests/wine/wine_env.sh
#   wine_env_start /path/to/prefix [32]  # sets WINEPREFIX, DISPLAY, ...; traps EXIT to stop
#   "$wine" program.exe ...              # a 64-bit program
#   "$wine32" program.exe ...            # a 32-bit one (emulated; QEMU_RESERVED_VA set)
#   windows_path /linux/path             # Z:\linux\path
#
# Stops only what it started: the prefix's wineserver and its own Xvfb.

wine=/usr/lib/wine/wine64
wine32=/usr/lib/wine/wine
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
    local half32=${2:-}
    trap wine_env_stop EXIT
    # Without it the emulated 32-bit Wine stops with "failed to map the shared user data".
    if [ "$half32" = 32 ]; then export QEMU_RESERVED_VA=0xf7000000; fi

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

    local ready=$WINEPREFIX/.loudmark-ready${half32:+-$half32}
    if [ ! -f "$ready" ]; then
        echo "creating the Wine prefix in $WINEPREFIX"
        # wineboot and reg are 64-bit programs, run natively. wineboot sets up the 32-bit
        # half with one 32-bit program, which runs only emulated: minutes, where the rest
        # takes seconds. A 64-bit run needs none of it, so there the emulator is stopped
        # at once by a processor model it does not know.
        local skip32=QEMU_CPU=none-wanted
        if [ "$half32" = 32 ]; then skip32=""; fi
        # No Mono or Gecko installers: nothing here needs them.
        env $skip32 WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init >/dev/null 2>&1
        # Without a window manager, destroying a shown window waits for one that never answers.
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        "$wineserver" -w
        touch "$ready"
    fi
    "$wineserver" -p
}

windows_path() { echo "Z:${1//\//\\}"; }
