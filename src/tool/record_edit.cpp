#include "tool/record_edit.h"

#include <windows.h>

#include "adapters/profile_file.h"
#include "memory/database_swap.h"

namespace RecordEdit {

namespace {

// The profile functions change only the first line of a key: the lines after it, in
// other letter cases, go one by one, the first of them each time. A key on one line keeps
// its place, as the plug-in's write keeps it.
bool applyOne(const Edit& edit, const char* path) {
    size_t erasures = edit.erase ? edit.lines : (edit.lines > 1 ? edit.lines : 0);
    bool done = true;
    for (size_t i = 0; i < erasures && done; ++i) done = ProfileFile::erase(edit.quotedKey, path);
    if (edit.erase || !done) return done;
    return ProfileFile::writeInt(edit.quotedKey, edit.storedValue, path);
}

}  // namespace

bool apply(const char* databasePath, const Edit* edits, size_t count, DWORD* error) {
    // The edits are made in the pass's rebuild file, so a leftover of either goes.
    *error = ERROR_SUCCESS;
    char editPath[MAX_PATH];
    if (!DatabaseSwap::rebuildPathOf(databasePath, editPath, sizeof editPath)) return false;
    if (!DatabaseSwap::prepare(databasePath, editPath)) {
        *error = GetLastError();
        return false;
    }
    bool hadDatabase = DatabaseSwap::exists(databasePath);
    bool done = !hadDatabase || CopyFileA(databasePath, editPath, FALSE);
    // The copy carries the database's attributes; it must take the edits, and go if they fail.
    if (done && hadDatabase) SetFileAttributesA(editPath, FILE_ATTRIBUTE_NORMAL);
    for (size_t i = 0; i < count && done; ++i) done = applyOne(edits[i], editPath);
    if (!done) *error = GetLastError();
    // Removing from no database leaves nothing to put in place.
    if (done && !hadDatabase && !DatabaseSwap::exists(editPath)) return true;
    if (DatabaseSwap::finish(editPath, databasePath, done)) return true;
    if (done) *error = GetLastError();
    return false;
}

bool hasRecord(const char* databasePath, const char* quotedKey) {
    // A default no value holds tells "absent" from any value; the platform trims blanks
    // and line breaks off a default, so it cannot be one of those.
    char value[16];
    GetPrivateProfileStringA(SECTION_NAME, quotedKey, "\x01", value, sizeof value, databasePath);
    return !(value[0] == '\x01' && value[1] == '\0');
}

}  // namespace RecordEdit
