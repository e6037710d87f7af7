# Sourced by tests/wine/run.sh (the Wine stage) and run_probes.sh: runs the probes built
# by the win64 preset against the real functions, in the prefix already started. Each
# prints what it compared and fails on the first disagreement:
#   profile_table_probe    the profile-rules table of sim_profile_files_test.cpp
#   file_functions_probe   the file functions' answers sim_files_test.cpp holds the
#                          simulated ones to
#   record_index_probe     the maintenance pass's reading of the database against
#                          GetPrivateProfileIntA
#   file_size_query_probe  the pass's cheap size query against the song key's open
# (maintenance_timing_probe is a measurement, for scripts/bench.sh; nothing checks it.)
#
#   probes_run <folder of the built probes> <work folder>   # non-zero when one disagrees

probes_run() {
    local built=$1 work=$2 status=0 probe
    # Every kind of playlist entry the size query meets, laid out on the Linux side.
    local d=$WINEPREFIX/drive_c/loudmark-size-probe
    rm -rf "$d" && mkdir -p "$d/folder.mp3"
    printf 12345 >"$d/file5.mp3"
    for name in nul.mp3 con com1.mp3 aux.mp3 lpt1 'a*b.mp3' 'a?b.mp3'; do printf 1234567 >"$d/$name"; done
    ln -s file5.mp3 "$d/link.mp3"
    ln -s folder.mp3 "$d/dirlink.mp3"
    ln -s nothing.mp3 "$d/dangling.mp3"
    mkfifo "$d/fifo.mp3"
    local x
    x=$(printf '%230s' '' | tr ' ' x)
    mkdir -p "$d/$x" && printf 123 >"$d/$x/f.mp3"

    # A scratch folder: over-long paths can make the platform write under a mangled
    # relative name, which must not land in the working tree.
    local scratch=$work/probe-scratch
    rm -rf "$scratch" && mkdir -p "$scratch"
    for probe in profile_table_probe file_functions_probe record_index_probe file_size_query_probe; do
        local from=$scratch
        [ "$probe" = file_size_query_probe ] && from=$d
        if (cd "$from" && timeout 120 "$wine" "$built/$probe.exe") >"$work/$probe.log" 2>&1; then
            echo "$probe: $(tr -d '\r' <"$work/$probe.log" | tail -n 1)"
        else
            echo "$probe: the real functions disagree (or it did not finish):"
            tr -d '\r' <"$work/$probe.log" | grep -v '^ok ' | tail -n 20
            status=1
        fi
    done
    return $status
}
