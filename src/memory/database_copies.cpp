#include "memory/database_copies.h"

#include "adapters/bounded_text.h"
#include "adapters/heap_buffer.h"
#include "adapters/later_windows.h"
#include "adapters/profile_file.h"
#include "adapters/profile_section.h"
#include "adapters/storage_folder.h"
#include "adapters/whole_file.h"
#include "memory/database_index.h"
#include "memory/database_swap.h"
#include "memory/volume_database.h"

namespace DatabaseCopies {

namespace {

size_t keyLengthOf(const char* line, size_t lineLength) {
    size_t length = 0;
    while (length < lineLength && line[length] != '=') ++length;
    return length;
}

void appendLine(HeapBuffer* out, const char* line, size_t length) {
    out->append(line, length);
    out->append("\r\n", 2);
}

struct Missing {
    HeapBuffer* out;
    int count;
};

void addMissing(void* context, DatabaseIndex::Record& record) {
    Missing* missing = static_cast<Missing*>(context);
    if (record.written || record.value == VolumeDatabase::NO_RECORD) return;
    appendLine(missing->out, record.key, record.lineLength);
    ++missing->count;
}

// The database at `intoPath` (its bytes given) with the records of `fromPath` it lacks
// added, written anew through the swap. `lastCut`: its last line ends without a line
// break, so it was cut there, and the copy's record for that key stands instead. Answers
// how many records were added; -1 when the new database could not be written.
int addMissingRecords(const char* intoPath, const HeapBuffer& intoBytes, const char* fromPath, bool lastCut) {
    HeapBuffer listing;
    if (ProfileSection::parse(intoBytes.bytes, intoBytes.length, &listing) != ProfileSection::Result::Listed ||
        !DatabaseIndex::load(fromPath)) {
        listing.release();
        return -1;
    }
    HeapBuffer out;
    out.append("[", 1);
    out.append(SECTION_NAME, sizeof SECTION_NAME - 1);
    out.append("]\r\n", 3);
    for (size_t start = 0; start < listing.length;) {
        const char* line = listing.bytes + start;
        size_t length = BoundedText::length(line, listing.length - start);
        start += length + 1;
        size_t keyLength = keyLengthOf(line, length);
        char key[SONG_KEY_CAPACITY];
        DatabaseIndex::Record* known = nullptr;
        if (keyLength < sizeof key) {
            BoundedText::copy(key, keyLength + 1, line);
            known = DatabaseIndex::find(key);
        }
        if (lastCut && start >= listing.length) break;  // the copy's record, or none, stands
        if (known != nullptr) known->written = true;
        appendLine(&out, line, length);
    }
    Missing missing{&out, 0};
    DatabaseIndex::forEach(addMissing, &missing);
    DatabaseIndex::release();
    listing.release();

    int result = missing.count;
    char newPath[MAX_PATH];
    if ((missing.count > 0 || lastCut) &&
        (out.failed || !DatabaseSwap::rebuildPathOf(intoPath, newPath, sizeof newPath) ||
         !DatabaseSwap::finish(newPath, intoPath, WholeFile::write(newPath, out.bytes, out.length)))) {
        result = -1;
    }
    out.release();
    return result;
}

// The newest of `name` in the earlier folders, into `path`; false when none has it.
bool newestEarlier(const char (*earlier)[MAX_PATH], int count, const char* name, char* path) {
    bool found = false;
    FILETIME newest = {};
    for (int i = 0; i < count; ++i) {
        char candidate[MAX_PATH];
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!BoundedText::join(candidate, sizeof candidate, earlier[i], name) || !LaterWindows::fileData(candidate, &data)) {
            continue;
        }
        const FILETIME& time = data.ftLastWriteTime;
        bool newer = time.dwHighDateTime > newest.dwHighDateTime ||
                     (time.dwHighDateTime == newest.dwHighDateTime && time.dwLowDateTime > newest.dwLowDateTime);
        if (found && !newer) continue;
        newest = data.ftLastWriteTime;
        found = BoundedText::copy(path, MAX_PATH, candidate);
    }
    return found;
}

}  // namespace

bool pathOf(const char* databasePath, Copy copy, char* path, size_t capacity) {
    const char* suffix = copy == Copy::Undo ? StorageFolder::UNDO_SUFFIX : StorageFolder::WHOLE_SUFFIX;
    return databasePath[0] != '\0' && BoundedText::join(path, capacity, databasePath, suffix);
}

bool keepUndo(const char* databasePath) {
    char undo[MAX_PATH];
    if (!pathOf(databasePath, Copy::Undo, undo, sizeof undo)) return false;
    if (DatabaseSwap::reallyMissing(databasePath)) return DeleteFileA(undo) || DatabaseSwap::reallyMissing(undo);
    return CopyFileA(databasePath, undo, FALSE) != FALSE;
}

bool refreshWhole(const char* databasePath) {
    char whole[MAX_PATH];
    if (!pathOf(databasePath, Copy::Whole, whole, sizeof whole)) return false;
    if (DatabaseSwap::reallyMissing(databasePath)) return WholeFile::write(whole, "", 0);
    return CopyFileA(databasePath, whole, FALSE) != FALSE;
}

bool settled(const char* databasePath) {
    char whole[MAX_PATH];
    return pathOf(databasePath, Copy::Whole, whole, sizeof whole) && !DatabaseSwap::reallyMissing(whole);
}

int restoreFromWhole(const char* databasePath) {
    char whole[MAX_PATH];
    if (!pathOf(databasePath, Copy::Whole, whole, sizeof whole) || DatabaseSwap::reallyMissing(whole)) return 0;
    HeapBuffer bytes;
    int restored = 0;
    // A database that is not there was deleted on purpose: a write cut short leaves one.
    if (WholeFile::read(databasePath, &bytes) == WholeFile::Read::Whole) {
        char last = bytes.length == 0 ? '\n' : bytes.bytes[bytes.length - 1];
        restored = addMissingRecords(databasePath, bytes, whole, last != '\n' && last != '\r');
    }
    bytes.release();
    return restored;
}

bool carryOver(const char* folder, const char (*earlier)[MAX_PATH], int count) {
    bool complete = true;
    const char* const names[] = {StorageFolder::SETTINGS_FILE_NAME, StorageFolder::DATABASE_FILE_NAME};
    for (const char* name : names) {
        char from[MAX_PATH];
        char to[MAX_PATH];
        if (!newestEarlier(earlier, count, name, from) || !BoundedText::join(to, sizeof to, folder, name)) continue;
        if (DatabaseSwap::reallyMissing(to)) {
            complete = CopyFileA(from, to, TRUE) && complete;
            continue;
        }
        // The folder's own settings stand; its records are never replaced by older ones.
        if (name == StorageFolder::SETTINGS_FILE_NAME) continue;
        HeapBuffer bytes;
        complete = WholeFile::read(to, &bytes) == WholeFile::Read::Whole &&
                   addMissingRecords(to, bytes, from, false) >= 0 && complete;
        bytes.release();
    }
    return complete;
}

}  // namespace DatabaseCopies
