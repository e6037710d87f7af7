// Putting a rebuilt database in place of the old one, for the maintenance pass and the
// database tool's edits alike: the rebuild file beside the database, made ready, then
// swapped in or deleted. Where the platform replaces a file in one step (MoveFileExA, NT
// and later) that is all; Windows 9x has no such step, so there the old database stands
// aside under a name of Loudmark's own (StorageFolder::SWAP_SUFFIX) until the new one
// has taken its name, and a swap cut short leaves every record in one file or the other.
#pragma once

#include <stddef.h>

namespace DatabaseSwap {

// "<databasePath>.new", where the new database is written before it takes the old one's
// place; false when there is no database path, or the rebuild path would not fit.
bool rebuildPathOf(const char* databasePath, char* rebuildPath, size_t capacity);

// Before a new database is written: a database a swap cut short left aside comes back
// first, and a leftover rebuild file contributes nothing. False as recoverInterrupted.
bool prepare(const char* databasePath, const char* rebuildPath);

// The end of a rebuild: a rebuild file written whole is put in place; one that was not,
// or could not be put in place, is deleted. False when the database is as it was.
bool finish(const char* rebuildPath, const char* databasePath, bool writtenWhole);

// The rebuild file becomes the database. False when it did not: the old database is then
// in its place again, or (when even that rename failed) still whole, set aside.
bool putInPlace(const char* rebuildPath, const char* databasePath);
// finish() for a new file written whole, under any name: `newPath` takes `path`'s place.
bool replaceWith(const char* newPath, const char* path);

// A swap cut short may have left the database set aside alone: when the database is
// really missing, what the swap set aside takes its name again. False while it cannot,
// for then writing a new database would bury the set-aside records.
bool recoverInterrupted(const char* databasePath);

// Where the database's records are to be read now: the database, or, while a swap cut
// short cannot be recovered, what it set aside. Into `path`.
void readablePathOf(const char* databasePath, char* path, size_t capacity);

// Whether there is anything by that name.
bool exists(const char* path);
// Not there at all, as opposed to there but out of reach for the moment.
bool reallyMissing(const char* path);

}  // namespace DatabaseSwap
