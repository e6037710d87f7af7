#include "tool/db_tool.h"

#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/database_location.h"
#include "tool/exit_codes.h"

namespace DbTool {

namespace {

const char OVERVIEW[] =
    "loudmark-db: see, fix and clean Loudmark's volume database (volume.ini) without the player.\n"
    "\n"
    "Usage: loudmark-db COMMAND [OPTIONS] [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  list                  every record: stored value, steps from the reference, volume\n"
    "  show FILE...          what the plug-in makes of song files: key, record, volume\n"
    "  set FILE VOLUME       the volume a song starts at (set --key KEY VOLUME)\n"
    "  remove FILE...        forget songs (remove --key KEY)\n"
    "  clean SOURCE...       keep only the records of the songs in the folders and playlists\n"
    "  trim SOURCE...        clean, and also drop records inside the trim band\n"
    "  stats [SOURCE...]     how many records, how many the sources match, how values spread\n"
    "  help [COMMAND]        this text, or a command's (also: COMMAND --help)\n"
    "\n"
    "The database: by default the one the plug-in uses. The player's folder is found as the\n"
    "installer finds it (the registry, else the 32-bit Program Files folder + \\Winamp); the\n"
    "plug-in's folder is its Plugins folder when that can be written, else the player's\n"
    "settings folder + Plugins\\ (%APPDATA%\\Winamp\\Plugins\\ for a Winamp 5.x in Program\n"
    "Files, by default), else %APPDATA%\\Loudmark\\. Run the tool as the listener who runs\n"
    "the player, not as an administrator, or it may find another folder.\n"
    "  --database PATH       work on this volume.ini instead\n"
    "\n"
    "Exit status: 0 done; 1 wrong command line; 2 no database (or it cannot be opened);\n"
    "3 lines of the database the plug-in cannot read as records (each reported); 4 a folder,\n"
    "playlist, line of one or song file that cannot be read, or no songs in the sources\n"
    "(clean and trim then write nothing); 5 the database could not be written (it is as it\n"
    "was); 6 the player is running (nothing written). Where several apply, the highest.\n";

const char LIST[] =
    "Usage: loudmark-db list [--sort name|value|distance] [--format table|csv|json] [--reference N]\n"
    "\n"
    "Every record as the plug-in reads it, in the file's order unless sorted:\n"
    "  value     the stored number: the song's end volume - the reference + 255\n"
    "  steps     its distance from the reference, in steps of the 0..255 volume scale\n"
    "  volume    the volume the song starts at with the reference at N (default 130)\n"
    "Records the plug-in can never match again are marked: a name with '=' (the file\n"
    "format splits the line there), a key that is no song key. A size of -1 is a record\n"
    "like any other: the song's file could not be opened (a stream, a file missing).\n"
    "Lines that hold no record are reported on standard error with their line numbers\n"
    "(exit status 3).\n"
    "  --sort name       by song name; value: lowest first; distance: farthest from the\n"
    "                    reference first\n"
    "  --format csv      name,size,value,steps,volume,never_matched\n"
    "  --format json     {\"database\", \"reference\", \"records\": [{\"name\", \"size\", ...}]}\n";

const char SHOW[] =
    "Usage: loudmark-db show [--reference N] FILE...\n"
    "\n"
    "For each song file: its key as the plug-in builds it (the name after the last\n"
    "backslash and the size in bytes; -1 when the file cannot be opened), its record, and\n"
    "the volume the plug-in sets when the song starts, with the reference at N (130).\n";

const char SET[] =
    "Usage: loudmark-db set [--reference N] [--force] FILE VOLUME\n"
    "       loudmark-db set [--reference N] [--force] --key NAME[SIZE] VOLUME\n"
    "\n"
    "Makes the song start at VOLUME (0..255) with the reference at N (130): the record\n"
    "VOLUME - N + 255 is written as the plug-in writes it. A song set to the reference\n"
    "itself has its record removed (the plug-in never keeps one). The key is given as list\n"
    "shows it. The database is changed through a copy that takes its place, so a write\n"
    "that fails leaves it as it was. Refused while the player runs, unless --force.\n"
    "Every line the plug-in could read as the song's record (the same key in other\n"
    "letter cases) is set together. Writes only into a database that is there, or into a\n"
    "new one named with --database.\n";

const char REMOVE[] =
    "Usage: loudmark-db remove [--force] FILE...\n"
    "       loudmark-db remove [--force] --key NAME[SIZE]\n"
    "\n"
    "Forgets songs: their records are removed, as the plug-in removes them, every line\n"
    "of the same key in other letter cases too. The key is given as list shows it.\n"
    "Refused while the player runs, unless --force.\n";

const char CLEAN[] =
    "Usage: loudmark-db clean [--dry-run] [--band 12|18|24] [--player-playlist] [--force] SOURCE...\n"
    "\n"
    "Keeps only the records of the songs in the sources and drops the rest, with the very\n"
    "pass the dialog's Clean runs against the playlist. A SOURCE is a folder (every file\n"
    "under it, folder after folder), a playlist (.m3u, .m3u8, .pls; relative entries are\n"
    "taken from the playlist's folder), or a song file; give as many as you like.\n"
    "While \"Always trim\" is on in plugin.ini beside the database, clean trims as well, as\n"
    "the dialog's Clean does.\n"
    "  --dry-run            print what would go and change nothing\n"
    "  --band 12|18|24      the trim band (default: the one in plugin.ini, else 12%)\n"
    "  --player-playlist    add the player's own playlist: winamp.m3u8 or winamp.m3u in\n"
    "                       its settings folder, else in its own folder\n"
    "  --force              write even while the player runs, or though a source could\n"
    "                       not be read in full (its songs' records then go)\n"
    "The new database is written beside the old one and takes its place in one step; when\n"
    "that cannot be done, the old one stays as it was (exit status 5).\n";

const char TRIM[] =
    "Usage: loudmark-db trim [--dry-run] [--band 12|18|24] [--player-playlist] [--force] SOURCE...\n"
    "\n"
    "clean, and also drops the records whose stored value lies inside the trim band\n"
    "(12%: 99..161, 18%: 83..177, 24%: 67..193), as the dialog's Trim does. The band is\n"
    "--band, else the one in plugin.ini beside the database, else 12%. The sources and the\n"
    "other options are clean's (loudmark-db help clean).\n";

const char STATS[] =
    "Usage: loudmark-db stats [--player-playlist] [SOURCE...]\n"
    "\n"
    "The number of records (and of those never matched), how many of them the songs in the\n"
    "sources match (what a clean would keep), and how the values spread: lowest, median,\n"
    "highest, a histogram of the steps from the reference, and the count inside each trim\n"
    "band. Sources as for clean.\n";

// --help: the whole tool's, or one command's.
void printHelp(Command command) {
    const char* text = OVERVIEW;
    switch (command) {
        case Command::List: text = LIST; break;
        case Command::Show: text = SHOW; break;
        case Command::Set: text = SET; break;
        case Command::Remove: text = REMOVE; break;
        case Command::Clean: text = CLEAN; break;
        case Command::Trim: text = TRIM; break;
        case Command::Stats: text = STATS; break;
        default: break;
    }
    Console::outText(text);
    if (command != Command::None && command != Command::Help) {
        Console::outText("  --database PATH      work on this volume.ini (loudmark-db help: where it is looked for)\n");
    }
}

void printUsageHint() { Console::err("Try \"loudmark-db help\".\n"); }

}  // namespace

int run(int argc, const WCHAR* const* argv) {
    ToolArguments arguments;
    char error[256];
    if (!CommandLine::parse(argc, argv, &arguments, error, sizeof error)) {
        Console::err("loudmark-db: %s\n", error);
        printUsageHint();
        return ExitCode::USAGE;
    }
    if (arguments.help) {
        printHelp(arguments.helpFor);
        return ExitCode::OK;
    }
    DatabaseLocation::Found location;
    if (!DatabaseLocation::find(arguments.database, &location)) {
        Console::err("loudmark-db: the path of the database is too long\n");
        return ExitCode::USAGE;
    }
    if (arguments.verbose) DatabaseLocation::explain(location, false);
    switch (arguments.command) {
        case Command::List: return Commands::list(arguments, location);
        case Command::Show: return Commands::show(arguments, location);
        case Command::Set: return Commands::set(arguments, location);
        case Command::Remove: return Commands::remove(arguments, location);
        case Command::Undo: return Commands::undo(arguments, location);
        case Command::Clean:
        case Command::Trim: return Commands::cleanOrTrim(arguments, location);
        case Command::Stats: return Commands::stats(arguments, location);
        default: break;
    }
    printHelp(Command::None);
    return ExitCode::USAGE;
}

}  // namespace DbTool
