# Sourced by tests/wine/run.sh: folders nobody may write, for the scenarios where the
# plug-in finds its own folder (or every folder) read-only. Wine as root writes anywhere,
# so they are made immutable (chattr +i, which stops root too on ext4): an immutable
# folder takes no new file, an immutable file no write. Unlocked and removed again by
# locked_folders_remove, which locked_folders_make also runs first, for an aborted run's
# leftovers.
#
#   locked_folders_make <work folder> <gen_loudmark.dll>
#   locked_folders_remove <work folder>
#
# What goes in them is what the host's scenarios expect (profile_scenarios.h).

locked_folders_remove() {
    local locked=$1/locked
    [ -d "$locked" ] || return 0
    chattr -R -i "$locked" 2>/dev/null || true
    rm -rf "$locked"
}

locked_folders_make() {
    local locked=$1/locked dll=$2 name
    locked_folders_remove "$1"
    mkdir -p "$locked"
    for name in replay-2x replay-5.9 nowhere-2x nowhere-5.9; do
        mkdir "$locked/$name"
        cp "$dll" "$locked/$name/"
    done
    # The originals a 5.9 host's plug-in copies into the host's settings folder.
    printf '[Tamsel Loudmark]\r\n"TrimTo"=2\r\n' >"$locked/replay-5.9/plugin.ini"
    printf '[Tamsel Loudmark]\r\n"old.mp3[5]"=300\r\n' >"$locked/replay-5.9/volume.ini"
    # All a plug-in that can write nowhere has: a.mp3 at 90 against the reference 130.
    for name in nowhere-2x nowhere-5.9; do
        printf '[Tamsel Loudmark]\r\n"a.mp3[1000]"=215\r\n' >"$locked/$name/volume.ini"
    done
    # Stands in for %APPDATA% and the host's settings folder.
    mkdir "$locked/nowhere-elsewhere"
    chattr -R +i "$locked"/* || echo "could not lock the folders in $locked: their scenarios will say so"
}
