# Sourced by the scripts that run Windows programs under Wine: a private Wine prefix,
# 64-bit, with its 32-bit half set up only when asked for, and for programs that show
# windows a private Xvfb display (tests/wine/run.sh, tests/wine/run32.sh,
# demo/wine/run_wine_demo.sh); console programs and silent installers get none
# (tests/tool/, tests/installer/, tests/wine/probes/).
#
#   . tests/wine/wine_env.sh
#   wine_env_start /path/to/prefix [32]           # sets WINEPREFIX, DISPLAY, ...; traps EXIT to stop
#   wine_env_console /path/to/prefix [transient]  # the same without a display (below)
#   "$wine" program.exe ...                       # a 64-bit program
#   "$wine32" program.exe ...                     # a 32-bit one (emulated; QEMU_RESERVED_VA set)
#   windows_path /linux/path                      # Z:\linux\path
#   wine_env_run_host ...                         # the host program of tests/wine/ (below)
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

# Makes the prefix the first time (a marker file says it is done). `kind`: "" for
# programs on a display, 32 for the same with the prefix's 32-bit half, console for
# programs that need no display at all.
wine_env_prefix() {  # wine_env_prefix <prefix> [32|console]
    export WINEPREFIX=$1
    export WINEARCH=win64
    export WINEDEBUG=-all
    local kind=${2:-}
    # Without it the emulated 32-bit Wine stops with "failed to map the shared user data".
    if [ "$kind" = 32 ]; then export QEMU_RESERVED_VA=0xf7000000; fi
    local ready=$WINEPREFIX/.loudmark-ready${kind:+-$kind}
    if [ ! -f "$ready" ]; then
        echo "creating the Wine prefix in $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        # wineboot and reg are 64-bit programs, run natively. wineboot sets up the 32-bit
        # half with one 32-bit program, which runs only emulated: minutes, where the rest
        # takes seconds. A 64-bit run needs none of it, so there the emulator is stopped
        # at once by a processor model it does not know.
        local skip32=QEMU_CPU=none-wanted
        if [ "$kind" = 32 ]; then skip32=""; fi
        # No Mono or Gecko installers: nothing here needs them.
        env $skip32 WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init >/dev/null 2>&1
        if [ "$kind" = console ]; then
            # Wine's null graphics driver: windows without a display (none is shown).
            "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
        else
            # Without a window manager, destroying a shown window waits for one that never answers.
            "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        fi
        "$wineserver" -w
        touch "$ready"
    fi
}

wine_env_start() {
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
    wine_env_prefix "$1" "${2:-}"
    "$wineserver" -p
}

# The prefix's wineserver stays up between programs, which saves starting it each time,
# unless `transient` is asked for: then "$wineserver" -w waits for every process of the
# prefix to end.
wine_env_console() {
    trap wine_env_stop EXIT
    unset DISPLAY
    wine_env_prefix "$1" console
    [ "${2:-}" = transient ] || "$wineserver" -p
}

windows_path() { echo "Z:${1//\//\\}"; }

# The host program of tests/wine/ driving gen_loudmark.dll under `loader` ($wine or
# $wine32), stopped after `seconds`; its exit status in $host_status.
#   wine_env_run_host <loader> <seconds> <host.exe> <gen_loudmark.dll> <work folder> <log> [scenarios]
wine_env_run_host() {
    local loader=$1 seconds=$2 host=$3 dll=$4 work=$5 log=$6
    shift 6
    host_status=0
    # The stand-in winmm.dll beside the host program replaces Wine's own for the process.
    # Into a file, not a pipe: the helper processes Wine starts inherit the output and
    # outlive the host, which would hold a pipe open.
    WINEDLLOVERRIDES="winmm=n,b;mscoree,mshtml=" timeout "$seconds" \
        "$loader" "$host" "$(windows_path "$dll")" "$(windows_path "$work")" "$@" >"$log" 2>&1 || host_status=$?
}

# The host's summary, its last line: "N passed, N failed" (written through the C runtime
# in text mode, so with CRLF). When it is missing the host did not finish: says so and
# exits 1. The number passed in $host_passed.
#   wine_env_host_finished <log> <seconds it was given>
wine_env_host_finished() {
    local summary
    summary=$(tail -n 1 "$1" | tr -d '\r')
    if ! [[ $summary =~ ^([0-9]+)\ passed,\ [0-9]+\ failed$ ]]; then
        [ "$host_status" -eq 124 ] && echo "the host was stopped after $2 s"
        echo "the host did not finish (exit status $host_status)"
        exit 1
    fi
    host_passed=${BASH_REMATCH[1]}
}
