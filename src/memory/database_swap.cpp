#include "memory/database_swap.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/later_windows.h"

namespace DatabaseSwap {

namespace {

constexpr char BACKUP_SUFFIX[] = ".bak";

bool exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool backupPathOf(const char* databasePath, char* backupPath, size_t capacity) {
    return BoundedText::copy(backupPath, capacity, databasePath) &&
           BoundedText::append(backupPath, capacity, BACKUP_SUFFIX);
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
