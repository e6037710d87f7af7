// Loudmark's own copies of the database, beside it and named by one rule
// (StorageFolder::UNDO_SUFFIX, WHOLE_SUFFIX): the database as it was before the last
// Clean, Trim or edit, which an undo brings back; and the last copy known to be whole,
// from which records a crash or a full disk cut from the database are brought back. The
// whole copy's presence also says that our files have settled in their folder: until it
// is there, what earlier folders hold is carried over.
#pragma once

#include <stddef.h>
#include <windows.h>

namespace DatabaseCopies {

enum class Copy { Undo, Whole };
// The copy's path beside the database; false when it would not fit.
bool pathOf(const char* databasePath, Copy copy, char* path, size_t capacity);

// Before a pass or an edit replaces the database: the database as it is now becomes the
// undo copy (no database: none). False when it could not be kept.
bool keepUndo(const char* databasePath);

// The whole copy follows the database, after a pass or an edit and at start-up once the
// database is known whole. A database that is not there leaves an empty copy, so that
// the folder still counts as settled.
bool refreshWhole(const char* databasePath);

// At start-up: the records of the whole copy that the database lacks, brought back (the
// tracker only ever adds records, and a Clean, Trim or edit renews the copy, so a record
// missing is one a crash or a full disk cut off). A database that ends in the middle of
// a line was cut there: that line's record comes from the copy. Answers how many records
// came back; -1 when they could not be written.
int restoreFromWhole(const char* databasePath);

// Whether our files have settled in the database's folder.
bool settled(const char* databasePath);

// Our files in `folder` (ending with its backslash) as they stand in the newest of the
// earlier folders: a settings file the folder lacks is copied; records the folder's
// database lacks are added, the folder's own never replaced. False when something that
// was there could not be brought over (to be tried again at the next start).
bool carryOver(const char* folder, const char (*earlier)[MAX_PATH], int count);

}  // namespace DatabaseCopies
