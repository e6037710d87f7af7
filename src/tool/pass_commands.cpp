// clean and trim: the plug-in's own maintenance pass, against the songs the listener
// owns instead of the player's playlist.
#include <string>

#include "adapters/settings_store.h"
#include "memory/database_maintenance.h"
#include "memory/song_key.h"
#include "tool/command_support.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/exit_codes.h"
#include "tool/song_collection.h"
#include "tool/song_sources.h"

namespace Commands {

namespace {

// A dry run says what would go, record by record.
void tellDropped(void*, const char* key, size_t keyLength, int value, DatabaseMaintenance::DropReason reason) {
    std::string line = "would go: ";
    line.append(key, keyLength);
    // A key the platform cut at a '=' in the song's name: its value is the name's rest.
    SongKeyParts parts;
    bool songKey = SongKey::parse(key, keyLength, &parts);
    line += songKey ? "=" + std::to_string(value) : "... (a line whose name holds '=', or no song key)";
    if (songKey) {
        line += reason == DatabaseMaintenance::DropReason::Trimmed ? " (inside the trim band)" : " (not among the songs)";
    }
    line += "\n";
    Console::outText(line.c_str(), line.size());
}

}  // namespace

int cleanOrTrim(const ToolArguments& arguments, const DatabaseLocation::Found& location) {
    const char* name = CommandLine::nameOf(arguments.command);
    if (arguments.operands.empty() && !arguments.playerPlaylist) {
        // Against no songs at all, every record would go.
        Console::err("loudmark-db: %s needs the folders and playlists that hold your songs\n", name);
        return ExitCode::USAGE;
    }
    // Not there, or not to be read: nothing to clean either way.
    int status = CommandSupport::checkLines(location, nullptr);
    if (status == ExitCode::DATABASE_MISSING) return status;
    bool complete = SongSources::gather(arguments.wideOperands, arguments.playerPlaylist, location);
    if (complete && SongCollection::count() == 0) {
        // A mistyped folder that happens to be empty would cost every record.
        Console::err("loudmark-db: no songs in the sources\n");
        complete = false;
    }
    if (!complete) status = ExitCode::worst(status, ExitCode::SOURCE_UNREADABLE);

    if (!arguments.dryRun) {
        if (!complete && !arguments.force) {
            Console::err("loudmark-db: nothing changed: the records of songs not seen would go too "
                         "(see --dry-run; --force cleans all the same)\n");
            return status;
        }
        if (!CommandSupport::mayWrite(arguments)) return ExitCode::PLAYER_RUNNING;
        if (!CommandSupport::readyToWrite(location)) return ExitCode::WRITE_FAILED;
    }

    // The trim settings as the dialog's Clean finds them, in plugin.ini beside the database.
    Settings stored = SettingsStore::readFrom(location.settingsPath);
    int choice = arguments.bandChoice != 0 ? arguments.bandChoice : stored.trimTo;
    DatabaseMaintenance::PassOptions options = DatabaseMaintenance::optionsFor(
        arguments.command == Command::Trim, stored.trim, choice, location.keepEmptyDatabase);
    options.dryRun = arguments.dryRun;
    if (arguments.dryRun) options.onDropped = tellDropped;
    if (options.trimming && arguments.command == Command::Clean) {
        Console::err("\"Always trim\" is on in %s: clean trims as well (band %s)\n", location.settingsPath,
                     CommandLine::bandName(choice));
    }

    DatabaseMaintenance::PassReport report =
        DatabaseMaintenance::rebuild(SongCollection::asSongList(), options, location.databasePath);
    if (!report.done) {
        CommandSupport::sayNotWritten(location, arguments.dryRun ? "read" : "rewritten", GetLastError());
        return arguments.dryRun ? ExitCode::DATABASE_MISSING : ExitCode::WRITE_FAILED;
    }
    char songs[32];
    char kept[32];
    char dropped[32];
    char trimmed[32];
    Console::count(static_cast<size_t>(SongCollection::count()), songs, sizeof songs);
    Console::count(report.kept, kept, sizeof kept);
    Console::count(report.dropped, dropped, sizeof dropped);
    Console::count(report.trimmed, trimmed, sizeof trimmed);
    std::string trimmedPart;
    if (options.trimming) {
        trimmedPart = std::string(" (") + trimmed + " inside the " + CommandLine::bandName(choice) + " band)";
    }
    if (arguments.dryRun) {
        Console::out("%s song%s: %s records would stay, %s would go%s; nothing changed\n", songs,
                     SongCollection::count() == 1 ? "" : "s", kept, dropped, trimmedPart.c_str());
    } else {
        Console::out("%s song%s: %s records kept, %s went%s\n", songs, SongCollection::count() == 1 ? "" : "s", kept,
                     dropped, trimmedPart.c_str());
    }
    return status;
}

}  // namespace Commands
