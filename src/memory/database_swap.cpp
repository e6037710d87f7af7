#include "memory/database_swap.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/later_windows.h"
#include "adapters/storage_folder.h"

namespace DatabaseSwap {

namespace {

constexpr char BACKUP_SUFFIX[] = ".bak";

bool backupPathOf(const char* databasePath, char* backupPath, size_t capacity) {
    return BoundedText::join(backupPath, capacity, databasePath, BACKUP_SUFFIX);
}

// MoveFileA does not replace an existing target, so the old database steps aside first.
bool putInPlaceKeepingBackup(const char* rebuildPath, const char* databasePath) {
    char backupPath[MAX_PATH];
    if (!backupPathOf(databasePath, backupPath, sizeof backupPath)) return false;
    bool hadDatabase = exists(databasePath);
    if (hadDatabase) {
        // Beside a whole database, a backup is what an earlier finished swap left.
        DeleteFileA(backupPath);
        if (!MoveFileA(databasePath, backupPath)) return false;
    }
    if (!MoveFileA(rebuildPath, databasePath)) {
        if (hadDatabase) MoveFileA(backupPath, databasePath);  // or recoverInterrupted, later
        return false;
    }
    if (hadDatabase) DeleteFileA(backupPath);
    return true;
}

}  // namespace

bool exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool rebuildPathOf(const char* databasePath, char* rebuildPath, size_t capacity) {
    // A cut rebuild path would name some other file.
    return databasePath[0] != '\0' &&
           BoundedText::join(rebuildPath, capacity, databasePath, StorageFolder::REBUILD_SUFFIX);
}

bool prepare(const char* databasePath, const char* rebuildPath) {
    DeleteFileA(rebuildPath);
    return recoverInterrupted(databasePath);
}

bool finish(const char* rebuildPath, const char* databasePath, bool writtenWhole) {
    // The old database stays whole until the new one is complete and in place.
    if (writtenWhole && putInPlace(rebuildPath, databasePath)) return true;
    DeleteFileA(rebuildPath);
    return false;
}

bool putInPlace(const char* rebuildPath, const char* databasePath) {
    switch (LaterWindows::moveReplacing(rebuildPath, databasePath)) {
        case LaterWindows::Replace::Done: return true;
        case LaterWindows::Replace::Failed: return false;
        case LaterWindows::Replace::NotImplemented: break;
    }
    return putInPlaceKeepingBackup(rebuildPath, databasePath);
}

bool recoverInterrupted(const char* databasePath) {
    if (databasePath[0] == '\0') return true;  // no database to speak of
    char backupPath[MAX_PATH];
    if (!backupPathOf(databasePath, backupPath, sizeof backupPath) || !exists(backupPath)) return true;
    if (exists(databasePath)) return true;
    return MoveFileA(backupPath, databasePath) != FALSE;
}

}  // namespace DatabaseSwap
