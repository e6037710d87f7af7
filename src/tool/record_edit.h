// Setting and removing single records, written as the plug-in writes them (the
// platform's profile functions, the key in its quotes), but into a copy that then takes
// the database's place: a write cut short (a full disk) leaves the database whole.
#pragma once

#include <stddef.h>
#include <windows.h>

namespace RecordEdit {

struct Edit {
    const char* quotedKey;
    int storedValue;
    bool erase;    // remove the record instead
    size_t lines;  // the lines the key stands on now (DatabaseCheck::linesOf): all are set or removed
};

// False when the edits could not all be made and swapped in: the database is then as it
// was, no rebuild file is left behind, and `error` is the platform's error of the step
// that failed.
bool apply(const char* databasePath, const Edit* edits, size_t count, DWORD* error);

// Whether the database holds a line under the key (with any value), as the platform
// finds keys.
bool hasRecord(const char* databasePath, const char* quotedKey);

}  // namespace RecordEdit
