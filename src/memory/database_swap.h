// Putting a rebuilt database in place of the old one. Where the platform replaces a file
// in one step (MoveFileExA, NT and later) that is all; Windows 9x has no such step, so
// there the old database stands aside as "volume.ini.bak" until the new one has taken its
// name, and a swap cut short leaves every record in one file or the other.
#pragma once

namespace DatabaseSwap {

// The rebuild file becomes the database. False when it did not: the old database is then
// in its place again, or (when even that rename failed) still whole as the backup.
bool putInPlace(const char* rebuildPath, const char* databasePath);

// A swap cut short may have left the database as its backup alone: it takes the
// database's name again. False while it cannot, for then writing a new database would
// bury the backup's records.
bool recoverInterrupted(const char* databasePath);

}  // namespace DatabaseSwap
