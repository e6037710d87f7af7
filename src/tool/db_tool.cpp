#include "tool/db_tool.h"

#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/database_location.h"
#include "tool/exit_codes.h"

namespace DbTool {

namespace {

// The help, beside the dispatch: the overview, and each command's. Every option a
// command takes stands in its help (a test holds them to the option table), every line
// fits 80 columns, and option descriptions start at column 24.
const char OVERVIEW[] =
    "loudmark-db: see, fix and clean Loudmark's volume database (volume.ini) without\n"
    "the player.\n"
    "\n"
    "Usage: loudmark-db COMMAND [OPTIONS] [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  list                  every record: stored value, steps from the reference,\n"
    "                        volume\n"
    "  show FILE...          what the plug-in makes of song files: key, record,\n"
    "                        volume\n"
    "  set FILE VOLUME       the volume a song starts at (set --key KEY VOLUME)\n"
    "  remove FILE...        forget songs (remove --key KEY...)\n"
    "  undo                  bring back what the last clean, trim, set or remove took\n"
    "  clean SOURCE...       keep only the records of the songs in the folders and\n"
    "                        playlists\n"
    "  trim SOURCE...        clean, and also drop records inside the trim band\n"
    "  stats [SOURCE...]     how many records, how many the sources match, the spread\n"
    "  help [COMMAND]        this text, or a command's (also: COMMAND --help)\n"
    "\n"
    "The database: by default the one the plug-in uses. The player's folder is found\n"
    "as the installer finds it (the registry, else the 32-bit Program Files folder +\n"
    "\\Winamp), its settings folder as the player finds it (where the inidir of a\n"
    "paths.ini beside it points, else its own folder), and the plug-in's folder by\n"
    "the plug-in's rule: Plugins\\ in the settings folder when that can be written,\n"
    "else %APPDATA%\\Loudmark\\. Run the tool as the listener who runs the player, not\n"
    "as an administrator, or it may find another folder.\n"
    "\n"
    "Options for every command:\n"
    "  -h, --help, /?        its help\n"
    "  --database PATH       work on this volume.ini instead\n"
    "  --verbose             say which database was taken, and why\n"
    "Options take their value after a blank or after '=' (--database=PATH).\n"
    "\n"
    "Exit status: 0 done; 1 wrong command line; 2 no database (or it cannot be\n"
    "opened); 3 lines of the database the plug-in cannot read as records (each\n"
    "reported); 4 a folder, playlist, line of one or song file that cannot be read,\n"
    "no songs in the sources, or a clean refused that would drop more than half of\n"
    "the records (clean and trim then write nothing); 5 the database could not be\n"
    "written (it is as it was); 6 the player is running (nothing written). Where\n"
    "several apply, the highest.\n";

const char LIST[] =
    "Usage: loudmark-db list [--sort ORDER] [--format FORMAT] [--reference N]\n"
    "\n"
    "Every record as the plug-in reads it, in the file's order unless sorted:\n"
    "  value     the stored number: the song's end volume - the reference + 255\n"
    "  steps     its distance from the reference, in steps of the 0..255 scale\n"
    "  volume    the volume the song starts at with the reference at N (130)\n"
    "Records the plug-in can never match again are marked: a name with '=' (the\n"
    "file format splits the line there), a key that is no song key; so are values\n"
    "outside 0..510, which the plug-in never writes. A size of -1 is a record like\n"
    "any other: the song's file could not be opened (a stream, a file missing).\n"
    "Lines that hold no record are reported on standard error with their line\n"
    "numbers (exit status 3).\n"
    "  --sort ORDER          name; value (lowest first); distance (farthest from the\n"
    "                        reference first). Default: the file's order\n"
    "  --format FORMAT       table (the default); csv:\n"
    "                        name,size,value,steps,volume,never_matched; json:\n"
    "                        {\"database\", \"reference\", \"records\": [{\"name\", ...}]}\n"
    "  --reference N         the reference volume, 0..255 (130)\n";

const char SHOW[] =
    "Usage: loudmark-db show [--reference N] FILE...\n"
    "\n"
    "For each song file: its key as the plug-in builds it (the name after the last\n"
    "backslash and the size in bytes), its record, and the volume the plug-in sets\n"
    "when the song starts. A file that cannot be opened is keyed with the size -1,\n"
    "as the plug-in keys it, and said (exit status 4).\n"
    "  --reference N         the reference volume, 0..255 (130)\n";

const char SET[] =
    "Usage: loudmark-db set [--reference N] [--force] FILE VOLUME\n"
    "       loudmark-db set [--reference N] [--force] --key NAME[SIZE] VOLUME\n"
    "\n"
    "Makes the song start at VOLUME (0..255) with the reference at N: the record\n"
    "VOLUME - N + 255 is written as the plug-in writes it. A song set to the\n"
    "reference itself has its record removed (the plug-in never keeps one). Every\n"
    "line the plug-in could read as the song's record (the same key in other letter\n"
    "cases) is set together. The database is changed through a copy that takes its\n"
    "place, so a write that fails leaves it as it was; it is kept as it was for\n"
    "loudmark-db undo. Writes only into a database that is there, or into a new one\n"
    "named with --database.\n"
    "  --key NAME[SIZE]      the song by its key, as list shows it\n"
    "  --reference N         the reference volume, 0..255 (130)\n"
    "  --force               write even while the player runs\n";

const char REMOVE[] =
    "Usage: loudmark-db remove [--force] FILE...\n"
    "       loudmark-db remove [--force] --key NAME[SIZE]...\n"
    "\n"
    "Forgets songs: their records are removed, every line of the same key in other\n"
    "letter cases too. The database is kept as it was for loudmark-db undo.\n"
    "  --key NAME[SIZE]      a song by its key, as list shows it; give as many as\n"
    "                        you like\n"
    "  --force               write even while the player runs\n";

const char UNDO[] =
    "Usage: loudmark-db undo [--force]\n"
    "\n"
    "Brings back what the last clean, trim, set or remove took or changed (the\n"
    "dialog's Clean and Trim too), from the copy of the database each of them keeps\n"
    "(volume.ini.loudmark-undo). Records written since, by the plug-in or the tool,\n"
    "stay as they are. Undo keeps a copy too: a second undo undoes the first.\n"
    "  --force               write even while the player runs\n";

const char CLEAN[] =
    "Usage: loudmark-db clean [--dry-run] [--band BAND] [--player-playlist] [--force]\n"
    "                         SOURCE...\n"
    "\n"
    "Keeps only the records of the songs in the sources and drops the rest, with the\n"
    "very pass the dialog's Clean runs against the playlist. A SOURCE is a folder\n"
    "(every file under it, folder after folder), a playlist (.m3u, .m3u8, .pls;\n"
    "relative entries are taken from the playlist's folder), or a song file; give as\n"
    "many as you like. While \"Always trim\" is on in plugin.ini beside the database,\n"
    "clean trims as well, as the dialog's Clean does. A clean that would drop more\n"
    "than half of the records asks first, and without a terminal to ask on, refuses.\n"
    "The database is kept as it was for loudmark-db undo.\n"
    "  --dry-run             print what would go and change nothing\n"
    "  --band BAND           12, 18 or 24 (or 12%, 18%, 24%): the trim band; default:\n"
    "                        the one in plugin.ini, else 12%\n"
    "  --player-playlist     add the player's own playlist: winamp.m3u8 or\n"
    "                        winamp.m3u in its settings folder, else in its own\n"
    "  --force               write even while the player runs, though a source could\n"
    "                        not be read in full, or though most records go\n"
    "The new database is written beside the old one and takes its place in one\n"
    "step; when that cannot be done, the old one stays as it was (exit status 5).\n";

const char TRIM[] =
    "Usage: loudmark-db trim [--dry-run] [--band BAND] [--player-playlist] [--force]\n"
    "                        SOURCE...\n"
    "\n"
    "clean, and also drops the records whose stored value lies inside the trim band\n"
    "(12%: 99..161, 18%: 83..177, 24%: 67..193), as the dialog's Trim does. The\n"
    "sources are clean's (loudmark-db help clean).\n"
    "  --dry-run             print what would go and change nothing\n"
    "  --band BAND           12, 18 or 24 (or 12%, 18%, 24%); default: the band in\n"
    "                        plugin.ini beside the database, else 12%\n"
    "  --player-playlist     add the player's own playlist\n"
    "  --force               write even while the player runs, though a source could\n"
    "                        not be read in full, or though most records go\n";

const char STATS[] =
    "Usage: loudmark-db stats [--player-playlist] [SOURCE...]\n"
    "\n"
    "Which database was taken and why, the number of records (and of those never\n"
    "matched), how many of them the songs in the sources match (what a clean would\n"
    "keep), and how the values spread: lowest, median, highest, a histogram of the\n"
    "steps from the reference, and the count inside each trim band. Sources as for\n"
    "clean.\n"
    "  --player-playlist     add the player's own playlist: winamp.m3u8 or\n"
    "                        winamp.m3u in its settings folder, else in its own\n";

const char COMMON[] =
    "Options for every command:\n"
    "  -h, --help, /?        this text\n"
    "  --database PATH       work on this volume.ini (loudmark-db help: which one)\n"
    "  --verbose             say which database was taken, and why\n";

// --help: the whole tool's, or one command's.
void printHelp(Command command) {
    const char* text = OVERVIEW;
    switch (command) {
        case Command::List: text = LIST; break;
        case Command::Show: text = SHOW; break;
        case Command::Set: text = SET; break;
        case Command::Remove: text = REMOVE; break;
        case Command::Undo: text = UNDO; break;
        case Command::Clean: text = CLEAN; break;
        case Command::Trim: text = TRIM; break;
        case Command::Stats: text = STATS; break;
        default: break;
    }
    Console::outText(text);
    if (text != OVERVIEW) {
        Console::outText("\n");
        Console::outText(COMMON);
    }
}

// After every refusal of the command line: where to read what it takes.
void printUsageHint(Command command) {
    if (command == Command::None || command == Command::Help) {
        Console::err("Try \"loudmark-db help\".\n");
    } else {
        Console::err("Try \"loudmark-db help %s\".\n", CommandLine::nameOf(command));
    }
}

int dispatch(const ToolArguments& arguments, const DatabaseLocation::Found& location) {
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
    return ExitCode::USAGE;
}

int runCommand(int argc, const WCHAR* const* argv) {
    if (argc <= 1) {
        printHelp(Command::None);
        return ExitCode::USAGE;
    }
    ToolArguments arguments;
    char error[256];
    if (!CommandLine::parse(argc, argv, &arguments, error, sizeof error)) {
        Console::err("loudmark-db: %s\n", error);
        printUsageHint(arguments.command);
        return ExitCode::USAGE;
    }
    if (arguments.help) {
        printHelp(arguments.helpFor);
        return ExitCode::OK;
    }
    DatabaseLocation::Found location;
    if (!DatabaseLocation::find(arguments.database, &location)) {
        Console::err("loudmark-db: the path of the database is too long\n");
        printUsageHint(arguments.command);
        return ExitCode::USAGE;
    }
    if (arguments.verbose) DatabaseLocation::explain(location, false);
    int status = dispatch(arguments, location);
    if (status == ExitCode::USAGE) printUsageHint(arguments.command);
    return status;
}

}  // namespace

int run(int argc, const WCHAR* const* argv) {
    int status = runCommand(argc, argv);
    Console::flush();
    return status;
}

}  // namespace DbTool
