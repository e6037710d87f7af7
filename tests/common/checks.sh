# Sourced by the shell test stages (tests/tool/run_wine.sh, tests/installer/check_installer.sh,
# tests/dll/check_dll.sh): checks counted for the summary, and a window of the player's
# class for the refusals while the player runs.
#
#   . tests/common/checks.sh
#   checks_quiet=1                       # print failures only (the default prints each check)
#   check <description> <command...>     # passes when the command succeeds
#   skip_checks <count> <why>            # checks that cannot run here
#   finish_checks [stage name]           # "<stage name>: N s", "N passed, N failed"; exits,
#                                        # non-zero when a check failed
#
#   player_window_build                  # $player_window_exe, built when its source is newer
#   player_window_start <folder> <log>   # under "$wine"; false when the window never came up
#   player_window_stop

checks_passed=0
checks_failed=0
checks_skipped=0
checks_quiet=""
checks_started=$(date +%s)
checks_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

check() {  # check <description> <command...>
    local what=$1
    shift
    if "$@"; then
        checks_passed=$((checks_passed + 1))
        [ -n "$checks_quiet" ] || echo "ok: $what"
    else
        checks_failed=$((checks_failed + 1))
        echo "FAILED: $what"
    fi
}

skip_checks() {  # skip_checks <count> <why>
    checks_skipped=$((checks_skipped + $1))
    echo "skipped: $2"
}

finish_checks() {  # finish_checks [stage name]
    [ $# -eq 0 ] || echo "$1: $(( $(date +%s) - checks_started )) s"
    if [ "$checks_skipped" -gt 0 ]; then
        echo "$checks_passed passed, $checks_failed failed, $checks_skipped skipped"
    else
        echo "$checks_passed passed, $checks_failed failed"
    fi
    [ "$checks_failed" -eq 0 ]
    exit $?
}

absent() { [ ! -e "$1" ]; }
same_file() { cmp -s "$1" "$2"; }

# ---------------------------------------------------------------------------------------
# A window of the player's class (tests/installer/fake_player_window.c): it says it is up
# by making one file and ends when another appears. One build serves every stage.

player_window_exe=$checks_root/build/fake-player/fake_player_window.exe
player_window_pid=""
player_window_folder=""

player_window_build() {
    local source=$checks_root/tests/installer/fake_player_window.c
    if [ ! "$player_window_exe" -nt "$source" ]; then
        mkdir -p "$(dirname "$player_window_exe")"
        x86_64-w64-mingw32-gcc -O1 -Wall -Werror -mwindows -o "$player_window_exe" "$source" || return 1
    fi
    [ -f "$player_window_exe" ]
}

player_window_start() {  # player_window_start <folder for its two files> <log>
    player_window_folder=$1
    rm -f "$1/player-ready" "$1/player-stop"
    "$wine" "$player_window_exe" "$(windows_path "$1/player-ready")" "$(windows_path "$1/player-stop")" >>"$2" 2>&1 &
    player_window_pid=$!
    for _ in $(seq 1 200); do
        [ -e "$1/player-ready" ] && break
        sleep 0.1
    done
    [ -e "$1/player-ready" ]
}

player_window_stop() {
    touch "$player_window_folder/player-stop"
    wait "$player_window_pid" 2>/dev/null || true
}
