// What several commands share: the database's presence, its lines and its records, the
// player's window, and song keys named by the listener.
#pragma once

#include <stddef.h>

#include <vector>

#include "memory/song_key.h"
#include "tool/command_line.h"
#include "tool/database_location.h"
#include "tool/database_records.h"

namespace CommandSupport {

// False, having said so, when there is no database to work on (or it cannot be opened).
bool databasePresent(const DatabaseLocation::Found& location);
// Whether the folder of the database is there, for a new one to be made in it.
bool folderOfDatabaseThere(const DatabaseLocation::Found& location);
// The database read as text, once, and its lines checked (each problem reported):
// ExitCode::DATABASE_LINES when some lines cannot be read as records,
// ExitCode::DATABASE_MISSING when the file cannot be read, otherwise ExitCode::OK.
// When it is not there or cannot be opened, said as databasePresent says it, that is
// DATABASE_MISSING too, and `present` (may be null) false.
int checkLines(const DatabaseLocation::Found& location, bool* present);
// For the commands that go through every record: the lines checked, then the records
// read. False when there is nothing to go through; `status` is the exit status so far.
bool readRecords(const DatabaseLocation::Found& location, std::vector<DatabaseRecords::Record>* records, int* status);
// The lines of the database that `quotedKey` stands on now (DatabaseCheck::linesOf).
size_t linesOf(const DatabaseLocation::Found& location, const char* quotedKey);
// False, having said so, when the player runs and --force was not given: the plug-in
// writes the same file, and one of the two writes would be lost.
bool mayWrite(const ToolArguments& arguments);
// Before the database is written through a new copy beside it: false, having said why
// (the file, and the system's reason), when that cannot be done. A read-only database is
// left as it is; a read-only copy an earlier failure left loses its attribute, so that
// it can go; the folder must take the new copy.
bool readyToWrite(const DatabaseLocation::Found& location);
// "could not be written (reason); it is as it was", for the database after a failed write.
void sayNotWritten(const DatabaseLocation::Found& location, const char* what, DWORD error);

// The key the song tracker builds for the song file at `path` (as typed): its name as the
// player hands the path out (the short name where the code page cannot hold the long
// one), its size as the open finds it (through the wide path where the ANSI one names no
// file, as on a 5.3 or later player; -1 when it cannot be opened). Not storable when the
// plug-in would keep no record for it.
SongKey keyOfFile(const WCHAR* path, int* size);

// The key of a song named by the listener ("Song.mp3[4123]", the quotes optional), as
// the plug-in would build it; false, having said why unless `quiet`, when it is not one.
bool keyFromText(const char* text, char* quotedKey, size_t capacity, bool quiet = false);

}  // namespace CommandSupport
