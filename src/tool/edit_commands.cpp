// set, remove and undo: records edited one at a time, written as the plug-in writes them
// (the platform's profile functions, the key in its quotes), but into a copy that then
// takes the database's place: a write cut short (a full disk) leaves the database whole.
// Each edit first keeps the database as it was as the undo copy, the one the dialog's
// Clean and Trim keep; undo brings back what the last pass or edit removed or changed.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "adapters/bounded_text.h"
#include "adapters/heap_buffer.h"
#include "adapters/profile_file.h"
#include "adapters/whole_file.h"
#include "memory/database_copies.h"
#include "memory/database_index.h"
#include "memory/database_swap.h"
#include "memory/song_key.h"
#include "memory/volume_database.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/database_file.h"
#include "tool/exit_codes.h"
#include "tool/file_bytes.h"
#include "tool/song_collection.h"

namespace Commands {

namespace {

// The section of the undo copy that says what the edit wrote, so that undo can tell the
// edit's values from those the plug-in writes later. The plug-in never reads the copy,
// and the copy's records are its first section of our name, which this one follows.
constexpr char WROTE_SECTION[] = "[loudmark-db wrote]";

struct Edit {
    std::string quotedKey;
    int storedValue;
    bool erase;    // remove the record instead
    size_t lines;  // the lines the key stands on now (DatabaseFile::linesOf): all are set or removed
};

struct Written {
    std::string quotedKey;
    int value;
};

// The profile functions change only the first line of a key: the lines after it, in
// other letter cases, go one by one, the first of them each time. A key on one line keeps
// its place, as the plug-in's write keeps it.
bool applyOne(const Edit& edit, const char* path) {
    size_t erasures = edit.erase ? edit.lines : (edit.lines > 1 ? edit.lines : 0);
    bool done = true;
    for (size_t i = 0; i < erasures && done; ++i) done = ProfileFile::erase(edit.quotedKey.c_str(), path);
    if (edit.erase || !done) return done;
    return ProfileFile::writeInt(edit.quotedKey.c_str(), edit.storedValue, path);
}

// What the edit wrote, after the records of the undo copy just kept. Nothing to note
// against when no copy was kept (there was no database).
bool noteWritten(const char* databasePath, const std::vector<Written>& written) {
    char undoPath[MAX_PATH];
    if (written.empty()) return true;
    if (!DatabaseCopies::pathOf(databasePath, DatabaseCopies::Copy::Undo, undoPath, sizeof undoPath)) return false;
    HeapBuffer bytes;
    WholeFile::Read read = WholeFile::read(undoPath, &bytes);
    bool noted = read == WholeFile::Read::Missing;
    if (read == WholeFile::Read::Whole) {
        if (bytes.length > 0 && bytes.bytes[bytes.length - 1] != '\n') bytes.append("\r\n", 2);
        std::string note = std::string(WROTE_SECTION) + "\r\n";
        for (const Written& w : written) note += w.quotedKey + "=" + std::to_string(w.value) + "\r\n";
        bytes.append(note.data(), note.size());
        noted = !bytes.failed && WholeFile::write(undoPath, bytes.bytes, bytes.length);
    }
    bytes.release();
    return noted;
}

// The edits made in a copy of the database (or, with `base`, in a new database of that
// text), which then takes the database's place, the database as it was kept first as the
// undo copy with what this edit wrote. False when that could not all be done: the
// database is then as it was, no rebuild file is left behind, and `error` is the
// platform's error of the step that failed.
bool apply(const char* databasePath, const std::vector<char>* base, const std::vector<Edit>& edits,
           const std::vector<Written>& written, DWORD* error) {
    *error = ERROR_SUCCESS;
    char editPath[MAX_PATH];
    if (!DatabaseSwap::rebuildPathOf(databasePath, editPath, sizeof editPath)) return false;
    if (!DatabaseSwap::prepare(databasePath, editPath)) {
        *error = GetLastError();
        return false;
    }
    bool hadDatabase = DatabaseSwap::exists(databasePath);
    bool done = false;
    if (base != nullptr) {
        done = WholeFile::write(editPath, base->data(), base->size());
    } else {
        done = !hadDatabase || CopyFileA(databasePath, editPath, FALSE);
        // The copy carries the database's attributes; it must take the edits, and go if they fail.
        if (done && hadDatabase) SetFileAttributesA(editPath, FILE_ATTRIBUTE_NORMAL);
    }
    for (size_t i = 0; i < edits.size() && done; ++i) done = applyOne(edits[i], editPath);
    // Windows 9x's profile cache holds the edits until it is flushed.
    ProfileFile::flush(editPath);
    if (!done) *error = GetLastError();
    // Removing from no database leaves nothing to put in place.
    if (done && !hadDatabase && !DatabaseSwap::exists(editPath)) return true;
    bool settled = DatabaseCopies::settled(databasePath);
    if (done && !(DatabaseCopies::keepUndo(databasePath) && noteWritten(databasePath, written))) {
        *error = GetLastError();
        done = false;
    }
    if (!DatabaseSwap::finish(editPath, databasePath, done)) {
        if (done) *error = GetLastError();
        return false;
    }
    // The whole copy follows, so that nothing the edit removed comes back from it.
    if (settled) DatabaseCopies::refreshWhole(databasePath);
    ProfileFile::flush(databasePath);
    return true;
}

// Whether the folder of the database is there, for a new one to be made in it.
bool folderOfDatabaseThere(const DatabaseLocation::Found& location) {
    char folder[MAX_PATH];
    if (!BoundedText::copy(folder, sizeof folder, location.databasePath)) return false;
    folder[BoundedText::afterLastBackslash(location.databasePath) - location.databasePath] = '\0';
    DWORD attributes = GetFileAttributesA(folder[0] != '\0' ? folder : ".");
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The key of a song file, as the tracker builds it; false, having said why, when the
// plug-in would keep no record for it.
bool keyOfFile(const WCHAR* widePath, const char* path, char* quotedKey, size_t capacity, int* status) {
    int size = -1;
    SongKey key = SongCollection::keyOfFile(widePath, &size);
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
    return SongCollection::keyFromText(text, quotedKey, capacity, true) || BoundedText::copy(quotedKey, capacity, text);
}

// ---------------------------------------------------------------------------------------
// undo

std::string folded(const char* key, size_t length) {
    std::string out(key, length);
    for (char& c : out) c = static_cast<char>(ProfileFile::folded(c));
    return out;
}

struct Keyed {
    std::string key;
    int value;
};

void collectKeyed(void* context, DatabaseIndex::Record& record) {
    if (record.value == VolumeDatabase::NO_RECORD) return;
    static_cast<std::vector<Keyed>*>(context)->push_back(Keyed{std::string(record.key, record.keyLength), record.value});
}

// The records of a database's text as the plug-in reads them; false when it cannot be read.
bool keyedRecords(const std::vector<char>& text, std::vector<Keyed>* records) {
    if (!DatabaseIndex::loadText(text.data(), text.size())) return false;
    DatabaseIndex::forEach(collectKeyed, records);
    DatabaseIndex::release();
    return true;
}

// The undo copy taken apart: the database as it was, and what the edit that kept it wrote
// (by folded key).
void splitUndoCopy(std::vector<char>* bytes, std::map<std::string, int>* wrote) {
    const std::string text(bytes->begin(), bytes->end());
    size_t cut = std::string::npos;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (cut == std::string::npos && line == WROTE_SECTION) {
            cut = start;
        } else if (cut != std::string::npos && line.find('=') != std::string::npos) {
            size_t equals = line.find('=');
            (*wrote)[folded(line.c_str(), equals)] =
                DatabaseIndex::valueOf(line.c_str() + equals + 1, line.size() - equals - 1);
        }
        start = end + 1;
    }
    if (cut != std::string::npos) bytes->resize(cut);
}

}  // namespace

int set(const ToolArguments& arguments, const DatabaseLocation::Found& location) {
    const char* givenKey = arguments.keys.empty() ? nullptr : arguments.keys[0];
    size_t wanted = givenKey != nullptr ? 1 : 2;
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
    if (givenKey != nullptr ? !SongCollection::keyFromText(givenKey, key, sizeof key)
                                 : !keyOfFile(arguments.wideOperands[0], arguments.operands[0], key, sizeof key, &status)) {
        return status != ExitCode::OK ? status : ExitCode::USAGE;
    }
    // Only into a database that is there, or into a new one the listener named.
    bool newDatabase = !DatabaseSwap::exists(location.databasePath);
    if (newDatabase && (arguments.database == nullptr || !folderOfDatabaseThere(location))) {
        DatabaseFile::present(location);
        return ExitCode::DATABASE_MISSING;
    }
    DatabaseFile::Text text;
    bool present = true;
    if (!newDatabase && DatabaseFile::read(location, &text, &present, DatabaseFile::Purpose::Edit) != ExitCode::OK &&
        !present) {
        return ExitCode::DATABASE_MISSING;
    }
    if (!DatabaseFile::mayWrite(arguments)) return ExitCode::PLAYER_RUNNING;

    int stored = VolumeDatabase::storedValueFor(volume, arguments.reference);
    // The plug-in never writes 255: a song that ends at the reference has no record.
    Edit edit{key, stored, stored == VolumeDatabase::HOST_VOLUME_MAX, DatabaseFile::linesOf(text, key)};
    std::vector<Written> written;
    if (!edit.erase) written.push_back(Written{key, stored});
    DWORD error = ERROR_SUCCESS;
    if (!DatabaseFile::readyToWrite(location)) return ExitCode::WRITE_FAILED;
    if (!apply(location.databasePath, nullptr, {edit}, written, &error)) {
        DatabaseFile::sayNotWritten(location, "written", error);
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
    if (arguments.keys.empty() == arguments.operands.empty()) {
        Console::err("loudmark-db: remove takes song files, or --key KEY (as many as you like)\n");
        return ExitCode::USAGE;
    }
    DatabaseFile::Text text;
    bool present = false;
    DatabaseFile::read(location, &text, &present, DatabaseFile::Purpose::Edit);
    if (!present) return ExitCode::DATABASE_MISSING;
    std::vector<std::string> keys;
    int status = ExitCode::OK;
    char key[SONG_KEY_CAPACITY];
    for (const char* given : arguments.keys) {
        if (!removalKey(given, key, sizeof key)) return ExitCode::USAGE;
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
    std::vector<Edit> edits;
    std::set<std::string> named;
    for (const std::string& k : keys) {
        if (!named.insert(folded(k.data(), k.size())).second) continue;  // the same song twice
        size_t lines = DatabaseFile::linesOf(text, k.c_str());
        if (lines > 0) {
            edits.push_back(Edit{k, 0, true, lines});
        } else {
            Console::out("%s: no record\n", k.c_str());
        }
    }
    if (edits.empty()) return status;
    if (!DatabaseFile::mayWrite(arguments)) return ExitCode::PLAYER_RUNNING;
    if (!DatabaseFile::readyToWrite(location)) return ExitCode::WRITE_FAILED;
    DWORD error = ERROR_SUCCESS;
    if (!apply(location.databasePath, nullptr, edits, {}, &error)) {
        DatabaseFile::sayNotWritten(location, "written", error);
        return ExitCode::WRITE_FAILED;
    }
    for (const Edit& edit : edits) {
        Console::out("%s: removed%s\n", edit.quotedKey.c_str(),
                     edit.lines > 1 ? (" (" + std::to_string(edit.lines) + " lines)").c_str() : "");
    }
    return status;
}

// The database becomes its undo copy again, but for the records written since that
// copy was kept: a record the copy lacks or holds at another value was written since,
// and stays, unless it holds exactly what the edit that kept the copy wrote (set notes
// that in the copy); a pass changes no value, it only removes.
int undo(const ToolArguments& arguments, const DatabaseLocation::Found& location) {
    if (!arguments.operands.empty()) {
        Console::err("loudmark-db: undo takes no operands\n");
        return ExitCode::USAGE;
    }
    char undoPath[MAX_PATH];
    std::vector<char> base;
    if (!DatabaseCopies::pathOf(location.databasePath, DatabaseCopies::Copy::Undo, undoPath, sizeof undoPath) ||
        !FileBytes::read(undoPath, DatabaseFile::LARGEST_DATABASE, &base)) {
        Console::err("loudmark-db: nothing to undo: no %s\n", undoPath);
        Console::err("loudmark-db: (the copy of the database the last clean, trim, set or remove kept)\n");
        return ExitCode::DATABASE_MISSING;
    }
    std::map<std::string, int> wrote;
    splitUndoCopy(&base, &wrote);
    DatabaseFile::Text now;
    bool present = true;
    if (DatabaseSwap::exists(location.databasePath)) {
        DatabaseFile::read(location, &now, &present, DatabaseFile::Purpose::Edit);
        if (!present) return ExitCode::DATABASE_MISSING;
    }
    std::vector<Keyed> current;
    std::vector<Keyed> before;
    if (!keyedRecords(now.bytes, &current) || !keyedRecords(base, &before)) {
        Console::err("loudmark-db: %s or %s cannot be read\n", location.databasePath, undoPath);
        return ExitCode::DATABASE_MISSING;
    }
    std::map<std::string, int> beforeByKey;
    for (const Keyed& record : before) beforeByKey.emplace(folded(record.key.data(), record.key.size()), record.value);
    std::set<std::string> currentKeys;
    std::vector<Edit> edits;          // the records written since, onto the copy
    std::vector<Written> restoring;   // what undo writes, for an undo of the undo
    size_t undone = 0;
    for (const Keyed& record : current) {
        std::string key = folded(record.key.data(), record.key.size());
        currentKeys.insert(key);
        auto was = beforeByKey.find(key);
        auto edited = wrote.find(key);
        if (edited != wrote.end() && edited->second == record.value) {
            ++undone;
            if (was != beforeByKey.end()) restoring.push_back(Written{record.key, was->second});
        } else if (was == beforeByKey.end() || was->second != record.value) {
            edits.push_back(Edit{record.key, record.value, false, 1});
        }
    }
    size_t broughtBack = 0;
    for (const Keyed& record : before) {
        if (currentKeys.count(folded(record.key.data(), record.key.size())) != 0) continue;
        ++broughtBack;
        restoring.push_back(Written{record.key, record.value});
    }
    if (!DatabaseFile::mayWrite(arguments)) return ExitCode::PLAYER_RUNNING;
    if (!DatabaseFile::readyToWrite(location)) return ExitCode::WRITE_FAILED;
    DWORD error = ERROR_SUCCESS;
    if (!apply(location.databasePath, &base, edits, restoring, &error)) {
        DatabaseFile::sayNotWritten(location, "written", error);
        return ExitCode::WRITE_FAILED;
    }
    Console::out("%s brought back, %s undone, %s written since kept\n",
                 Console::counted(broughtBack, "record", "records").c_str(), Console::counted(undone, "edit", "edits").c_str(),
                 Console::counted(edits.size(), "record", "records").c_str());
    return ExitCode::OK;
}

}  // namespace Commands
