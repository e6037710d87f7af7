// clean and trim: the plug-in's own maintenance pass, against the songs the listener
// owns instead of the player's playlist.
#include <string>
#include <vector>

#include "adapters/settings_store.h"
#include "memory/database_maintenance.h"
#include "memory/song_key.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/database_file.h"
#include "tool/exit_codes.h"
#include "tool/song_collection.h"

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

// More than half of the records going is more often the wrong folder than a wish: said,
// with the sources and their songs, and asked on a terminal. False when it must not go on.
bool mayDropSoMany(const char* name, const DatabaseMaintenance::PassReport& report,
                   const std::vector<SongCollection::Source>& sources) {
    size_t records = report.kept + report.dropped;
    if (report.dropped * 2 <= records) return true;
    std::string held;
    for (const SongCollection::Source& source : sources) {
        held += (held.empty() ? "" : ", ") + source.shown + ": " + std::to_string(source.songs);
    }
    char dropped[32];
    Console::err("loudmark-db: %s would drop %s of the %s: the sources hold %s (%s)\n", name,
                 Console::count(report.dropped, dropped, sizeof dropped), Console::counted(records, "record", "records").c_str(),
                 Console::counted(static_cast<size_t>(SongCollection::count()), "song", "songs").c_str(), held.c_str());
    bool asked = false;
    if (Console::ask("Drop them? [y/N] ", &asked)) return true;
    if (asked) {
        Console::err("loudmark-db: nothing changed\n");
    } else {
        Console::err("loudmark-db: nothing changed: more than half of the records would go (see --dry-run; --force "
                     "cleans all the same)\n");
    }
    return false;
}

// The question, asked by the pass itself once it knows what would go: one pass, not a
// counting one before it.
struct Asking {
    const char* name;
    const std::vector<SongCollection::Source>* sources;
    bool declined;
};

bool mayReplace(void* context, const DatabaseMaintenance::PassReport& would) {
    Asking* asking = static_cast<Asking*>(context);
    asking->declined = !mayDropSoMany(asking->name, would, *asking->sources);
    return !asking->declined;
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
    DatabaseFile::Text text;
    bool present = false;
    int read = DatabaseFile::read(location, &text, &present, DatabaseFile::Purpose::Pass);
    if (!present) return read;
    // The lines the plug-in cannot read, reported, count once it is known what became of them.
    auto unchanged = [&](int status) { return ExitCode::worst(status, DatabaseFile::saidAfterPass(location, text, true)); };
    int status = ExitCode::OK;
    // A dry run's pass reads the text read here, as the check saw it; a pass that writes
    // reads the file again once it may write, as it stands then.
    bool indexBeside = arguments.dryRun && !text.fromUnicode;
    DatabaseFile::startCheck(location, &text, indexBeside);
    if (text.fromUnicode && arguments.dryRun) {
        DatabaseFile::finishCheck();
        DatabaseFile::sayNotPassedAsUnicode(location);
        return unchanged(ExitCode::DATABASE_MISSING);
    }
    std::vector<SongCollection::Source> sources;
    bool complete = SongCollection::gather(arguments.wideOperands, arguments.playerPlaylist, location, &sources);
    bool indexLoaded = DatabaseFile::finishCheck() && indexBeside;
    if (complete && SongCollection::count() == 0) {
        // A mistyped folder that happens to be empty would cost every record.
        Console::err("loudmark-db: no songs in the sources\n");
        complete = false;
    }
    if (!complete) status = ExitCode::worst(status, ExitCode::SOURCE_UNREADABLE);

    // The trim settings as the dialog's Clean finds them, in plugin.ini beside the database.
    Settings stored = SettingsStore::readFrom(location.settingsPath);
    int choice = arguments.bandChoice != 0 ? arguments.bandChoice : stored.trimTo;
    DatabaseMaintenance::PassOptions options = DatabaseMaintenance::optionsFor(
        arguments.command == Command::Trim, stored.trim, choice, location.keepEmptyDatabase);
    DatabaseMaintenance::SongList songs = SongCollection::asSongList();

    if (!arguments.dryRun) {
        if (!complete && !arguments.force) {
            Console::err("loudmark-db: nothing changed: the records of songs not seen would go too "
                         "(see --dry-run; --force cleans all the same)\n");
            return unchanged(status);
        }
        if (!DatabaseFile::mayWrite(arguments)) return unchanged(ExitCode::PLAYER_RUNNING);
        // Ready first: a database saved as Unicode text is plain text after it, and the
        // pass reads it as the plug-in will.
        if (!DatabaseFile::readyToWrite(location)) return unchanged(ExitCode::WRITE_FAILED);
    }
    Asking asking{name, &sources, false};
    if (!arguments.dryRun && !arguments.force) {
        options.mayReplace = mayReplace;
        options.context = &asking;
    }

    options.dryRun = arguments.dryRun;
    options.indexLoaded = indexLoaded;
    if (arguments.dryRun) options.onDropped = tellDropped;
    if (options.trimming && arguments.command == Command::Clean) {
        Console::err("\"Always trim\" is on in %s: clean trims as well (band %s)\n", location.settingsPath,
                     CommandLine::bandName(choice));
    }

    DatabaseMaintenance::PassReport report = DatabaseMaintenance::rebuild(songs, options, location.databasePath);
    if (asking.declined) return unchanged(ExitCode::worst(status, ExitCode::SOURCE_UNREADABLE));
    if (!report.done) {
        DatabaseFile::sayNotWritten(location, arguments.dryRun ? "read" : "rewritten", GetLastError());
        return unchanged(arguments.dryRun ? ExitCode::DATABASE_MISSING : ExitCode::WRITE_FAILED);
    }
    status = ExitCode::worst(status, DatabaseFile::saidAfterPass(location, text, arguments.dryRun));
    char dropped[32];
    char trimmed[32];
    std::string songCount = Console::counted(static_cast<size_t>(SongCollection::count()), "song", "songs");
    std::string keptRecords = Console::counted(report.kept, "record", "records");
    Console::count(report.dropped, dropped, sizeof dropped);
    Console::count(report.trimmed, trimmed, sizeof trimmed);
    std::string trimmedPart;
    if (options.trimming) {
        trimmedPart = std::string(" (") + trimmed + " inside the " + CommandLine::bandName(choice) + " band)";
    }
    if (arguments.dryRun) {
        Console::out("%s: %s would stay, %s would go%s; nothing changed\n", songCount.c_str(), keptRecords.c_str(),
                     dropped, trimmedPart.c_str());
    } else {
        Console::out("%s: %s kept, %s went%s\n", songCount.c_str(), keptRecords.c_str(), dropped, trimmedPart.c_str());
    }
    return status;
}

}  // namespace Commands
