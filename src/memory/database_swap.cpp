#include "memory/database_swap.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/later_windows.h"
#include "adapters/storage_folder.h"

namespace DatabaseSwap {

namespace {

bool setAsidePathOf(const char* databasePath, char* path, size_t capacity) {
    return BoundedText::join(path, capacity, databasePath, StorageFolder::SWAP_SUFFIX);
}

// MoveFileA does not replace an existing target, so the old database steps aside first.
bool putInPlaceSettingAside(const char* rebuildPath, const char* databasePath) {
    char asidePath[MAX_PATH];
    if (!setAsidePathOf(databasePath, asidePath, sizeof asidePath)) return false;
    bool hadDatabase = exists(databasePath);
    if (hadDatabase) {
        // Beside a whole database, a file of this name is what an earlier swap left.
        DeleteFileA(asidePath);
        if (!MoveFileA(databasePath, asidePath)) return false;
    }
    if (!MoveFileA(rebuildPath, databasePath)) {
        if (hadDatabase) MoveFileA(asidePath, databasePath);  // or recoverInterrupted, later
        return false;
    }
    if (hadDatabase) DeleteFileA(asidePath);
    return true;
}

}  // namespace

bool reallyMissing(const char* path) {
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool rebuildPathOf(const char* databasePath, char* rebuildPath, size_t capacity) {
    // A cut rebuild path would name some other file.
    return databasePath[0] != '\0' &&
           BoundedText::join(rebuildPath, capacity, databasePath, StorageFolder::REBUILD_SUFFIX);
}

bool prepare(const char* databasePath, const char* rebuildPath) {
    // A swap cut short is put right first: its rebuild file is what marks it.
    bool recovered = recoverInterrupted(databasePath);
    DeleteFileA(rebuildPath);
    return recovered;
}

bool finish(const char* rebuildPath, const char* databasePath, bool writtenWhole) {
    // The old database stays whole until the new one is complete and in place.
    if (writtenWhole && putInPlace(rebuildPath, databasePath)) return true;
    // While the old database is set aside, the rebuild file marks the swap cut short.
    char asidePath[MAX_PATH];
    bool cutShort = setAsidePathOf(databasePath, asidePath, sizeof asidePath) && exists(asidePath) &&
                    reallyMissing(databasePath);
    if (!cutShort) DeleteFileA(rebuildPath);
    return false;
}

bool replaceWith(const char* newPath, const char* path) { return finish(newPath, path, true); }

bool putInPlace(const char* rebuildPath, const char* databasePath) {
    switch (LaterWindows::moveReplacing(rebuildPath, databasePath)) {
        case LaterWindows::Replace::Done: return true;
        case LaterWindows::Replace::Failed: return false;
        case LaterWindows::Replace::NotImplemented: break;
    }
    return putInPlaceSettingAside(rebuildPath, databasePath);
}

bool recoverInterrupted(const char* databasePath) {
    if (databasePath[0] == '\0') return true;  // no database to speak of
    char asidePath[MAX_PATH];
    char rebuildPath[MAX_PATH];
    if (!setAsidePathOf(databasePath, asidePath, sizeof asidePath) ||
        !rebuildPathOf(databasePath, rebuildPath, sizeof rebuildPath)) {
        return true;
    }
    // Only a swap cut short leaves all three so: the old database set aside, the new one
    // short of its place, no database. A set-aside file beside a database, or beside
    // none after a Clean that kept nothing, is what an ended swap could not delete.
    if (!exists(asidePath) || !reallyMissing(databasePath) || !exists(rebuildPath)) return true;
    if (!MoveFileA(asidePath, databasePath)) return false;
    DeleteFileA(rebuildPath);
    return true;
}

void readablePathOf(const char* databasePath, char* path, size_t capacity) {
    BoundedText::copy(path, capacity, databasePath);
    if (recoverInterrupted(databasePath)) return;
    char asidePath[MAX_PATH];
    if (setAsidePathOf(databasePath, asidePath, sizeof asidePath)) BoundedText::copy(path, capacity, asidePath);
}

}  // namespace DatabaseSwap
