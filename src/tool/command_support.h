// What several commands share: the database's presence and its lines, the player's
// window, the trim settings the plug-in keeps beside the database.
#pragma once

#include "memory/trim_band.h"
#include "tool/command_line.h"
#include "tool/database_location.h"

namespace CommandSupport {

// False, having said so, when there is no database to work on (or it cannot be opened).
bool databasePresent(const DatabaseLocation::Found& location);
// ExitCode::DATABASE_LINES when some lines cannot be read as records (each reported),
// ExitCode::DATABASE_MISSING when the file cannot be read, otherwise ExitCode::OK.
int checkLines(const DatabaseLocation::Found& location);
// False, having said so, when the player runs and --force was not given: the plug-in
// writes the same file, and one of the two writes would be lost.
bool mayWrite(const ToolArguments& arguments);

// "Always trim" and the trim band as the dialog's Clean finds them in plugin.ini.
struct TrimSettings {
    bool alwaysTrim;
    TrimBand band;
    int choice;  // 1, 2, 3
};
TrimSettings trimSettings(const DatabaseLocation::Found& location, int bandChoice);
const char* bandName(int choice);

// The key of a song named by the listener ("Song.mp3[4123]", the quotes optional), as
// the plug-in would build it; false, having said why, when it is not one.
bool keyFromText(const char* text, char* quotedKey, size_t capacity);

}  // namespace CommandSupport
