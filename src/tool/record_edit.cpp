#include "tool/record_edit.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/profile_file.h"
#include "memory/database_swap.h"

namespace RecordEdit {

namespace {

constexpr char EDIT_SUFFIX[] = ".new";  // the pass's rebuild file: a leftover of either goes

bool exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool applyOne(const Edit& edit, const char* path) {
    if (edit.erase) return ProfileFile::erase(edit.quotedKey, path);
    return ProfileFile::writeInt(edit.quotedKey, edit.storedValue, path);
}

}  // namespace

bool apply(const char* databasePath, const Edit* edits, size_t count) {
    char editPath[MAX_PATH];
    if (databasePath[0] == '\0' || !BoundedText::copy(editPath, sizeof editPath, databasePath) ||
        !BoundedText::append(editPath, sizeof editPath, EDIT_SUFFIX)) {
        return false;
    }
    // A database an interrupted swap left aside comes back before anything is built on it.
    if (!DatabaseSwap::recoverInterrupted(databasePath)) return false;
    DeleteFileA(editPath);
    bool hadDatabase = exists(databasePath);
    bool done = !hadDatabase || CopyFileA(databasePath, editPath, FALSE);
    for (size_t i = 0; i < count && done; ++i) done = applyOne(edits[i], editPath);
    // Removing from no database leaves nothing to put in place.
    if (done && !hadDatabase && !exists(editPath)) return true;
    if (!done || !DatabaseSwap::putInPlace(editPath, databasePath)) {
        DeleteFileA(editPath);
        return false;
    }
    return true;
}

bool hasRecord(const char* databasePath, const char* quotedKey) {
    // A default no value holds tells "absent" from any value; the platform trims blanks
    // and line breaks off a default, so it cannot be one of those.
    char value[16];
    GetPrivateProfileStringA(SECTION_NAME, quotedKey, "\x01", value, sizeof value, databasePath);
    return !(value[0] == '\x01' && value[1] == '\0');
}

}  // namespace RecordEdit
