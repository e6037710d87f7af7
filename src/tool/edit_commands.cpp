// set and remove: one record at a time, written as the plug-in writes it.
#include <string>
#include <vector>

#include "adapters/bounded_text.h"
#include "memory/database_swap.h"
#include "memory/song_key.h"
#include "memory/volume_database.h"
#include "tool/command_support.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/exit_codes.h"
#include "tool/record_edit.h"

namespace Commands {

namespace {

// The key of a song file, as the tracker builds it; false, having said why, when the
// plug-in would keep no record for it.
bool keyOfFile(const WCHAR* widePath, const char* path, char* quotedKey, size_t capacity, int* status) {
    int size = -1;
    SongKey key = CommandSupport::keyOfFile(widePath, &size);
    if (!key.storable) {
        Console::err("loudmark-db: %s: the plug-in never records this song ('=' or a line break in its name, or too long)\n", path);
        *status = ExitCode::USAGE;
        return false;
    }
    if (size == -1) {
        Console::err("loudmark-db: %s: cannot be opened, so its size is unknown (name the record with --key)\n", path);
        *status = ExitCode::SOURCE_UNREADABLE;
        return false;
    }
    return BoundedText::copy(quotedKey, capacity, key.text);
}

// The key remove works on: a song key as list shows it; for a name with '=', the part
// the platform reads as the key; any other line's key as the file spells it.
bool removalKey(const char* text, char* quotedKey, size_t capacity) {
    std::string key = text;
    if (key.size() >= 2 && key.front() == '"' && key.back() == '"') key = key.substr(1, key.size() - 2);
    size_t equals = key.find('=');
    if (equals != std::string::npos) return BoundedText::copy(quotedKey, capacity, ("\"" + key.substr(0, equals)).c_str());
    return CommandSupport::keyFromText(text, quotedKey, capacity, true) || BoundedText::copy(quotedKey, capacity, text);
}

}  // namespace

int set(const ToolArguments& arguments, const DatabaseLocation::Found& location) {
    size_t wanted = arguments.key != nullptr ? 1 : 2;
    if (arguments.operands.size() != wanted) {
        Console::err("loudmark-db: set takes a song file and a volume (or --key KEY and a volume)\n");
        return ExitCode::USAGE;
    }
    const char* volumeText = arguments.operands[wanted - 1];
    int volume = 0;
    if (!CommandLine::number(volumeText, 0, VolumeDatabase::HOST_VOLUME_MAX, &volume)) {
        Console::err("loudmark-db: the volume is a number from 0 to 255, not \"%s\"\n", volumeText);
        return ExitCode::USAGE;
    }
    char key[SONG_KEY_CAPACITY];
    int status = ExitCode::OK;
    if (arguments.key != nullptr ? !CommandSupport::keyFromText(arguments.key, key, sizeof key)
                                 : !keyOfFile(arguments.wideOperands[0], arguments.operands[0], key, sizeof key, &status)) {
        return status != ExitCode::OK ? status : ExitCode::USAGE;
    }
    // Only into a database that is there, or into a new one the listener named.
    bool newDatabase = !DatabaseSwap::exists(location.databasePath);
    if (newDatabase && (arguments.database == nullptr || !CommandSupport::folderOfDatabaseThere(location))) {
        CommandSupport::databasePresent(location);
        return ExitCode::DATABASE_MISSING;
    }
    if (!CommandSupport::mayWrite(arguments)) return ExitCode::PLAYER_RUNNING;

    int stored = VolumeDatabase::storedValueFor(volume, arguments.reference);
    // The plug-in never writes 255: a song that ends at the reference has no record.
    RecordEdit::Edit edit{key, stored, stored == VolumeDatabase::HOST_VOLUME_MAX, CommandSupport::linesOf(location, key)};
    DWORD error = ERROR_SUCCESS;
    if (!CommandSupport::readyToWrite(location)) return ExitCode::WRITE_FAILED;
    if (!RecordEdit::apply(location.databasePath, &edit, 1, &error)) {
        CommandSupport::sayNotWritten(location, "written", error);
        return ExitCode::WRITE_FAILED;
    }
    if (newDatabase && DatabaseSwap::exists(location.databasePath)) Console::out("A new database: %s\n", location.databasePath);
    if (edit.erase) {
        Console::out("%s: at the reference volume, so no record (it starts at the reference)%s\n", key,
                     edit.lines > 1 ? ("; " + std::to_string(edit.lines) + " lines removed").c_str() : "");
    } else {
        Console::out("%s=%d: starts at %d with the reference at %d%s\n", key, stored, volume, arguments.reference,
                     edit.lines > 1 ? (" (it stood on " + std::to_string(edit.lines) + " lines, now on one)").c_str() : "");
    }
    return ExitCode::OK;
}

int remove(const ToolArguments& arguments, const DatabaseLocation::Found& location) {
    if ((arguments.key != nullptr) == !arguments.operands.empty()) {
        Console::err("loudmark-db: remove takes song files, or --key KEY\n");
        return ExitCode::USAGE;
    }
    if (!CommandSupport::databasePresent(location)) return ExitCode::DATABASE_MISSING;
    std::vector<std::string> keys;
    int status = ExitCode::OK;
    char key[SONG_KEY_CAPACITY];
    if (arguments.key != nullptr) {
        if (!removalKey(arguments.key, key, sizeof key)) return ExitCode::USAGE;
        keys.push_back(key);
    }
    for (size_t i = 0; i < arguments.operands.size(); ++i) {
        int fileStatus = ExitCode::OK;
        if (keyOfFile(arguments.wideOperands[i], arguments.operands[i], key, sizeof key, &fileStatus)) {
            keys.push_back(key);
        } else {
            status = ExitCode::worst(status, fileStatus);
        }
    }
    std::vector<RecordEdit::Edit> edits;
    for (const std::string& k : keys) {
        size_t lines = CommandSupport::linesOf(location, k.c_str());
        if (lines > 0 && RecordEdit::hasRecord(location.databasePath, k.c_str())) {
            edits.push_back(RecordEdit::Edit{k.c_str(), 0, true, lines});
        } else {
            Console::out("%s: no record\n", k.c_str());
        }
    }
    if (edits.empty()) return status;
    if (!CommandSupport::mayWrite(arguments)) return ExitCode::PLAYER_RUNNING;
    if (!CommandSupport::readyToWrite(location)) return ExitCode::WRITE_FAILED;
    DWORD error = ERROR_SUCCESS;
    if (!RecordEdit::apply(location.databasePath, edits.data(), edits.size(), &error)) {
        CommandSupport::sayNotWritten(location, "written", error);
        return ExitCode::WRITE_FAILED;
    }
    for (const RecordEdit::Edit& edit : edits) {
        Console::out("%s: removed%s\n", edit.quotedKey,
                     edit.lines > 1 ? (" (" + std::to_string(edit.lines) + " lines)").c_str() : "");
    }
    return status;
}

}  // namespace Commands
