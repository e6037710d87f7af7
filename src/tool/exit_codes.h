// The tool's exit statuses, one per kind of trouble, so that a script can tell them
// apart. Where several apply, the highest is the one returned.
#pragma once

namespace ExitCode {

constexpr int OK = 0;
constexpr int USAGE = 1;                // the command line asks for something the tool does not do
constexpr int DATABASE_MISSING = 2;     // no database where it was looked for, or it cannot be opened
constexpr int DATABASE_LINES = 3;       // lines of the database the plug-in cannot read as records
constexpr int SOURCE_UNREADABLE = 4;    // a folder, playlist, line of one, or song file that cannot be read
constexpr int WRITE_FAILED = 5;         // the database could not be written; it is as it was
constexpr int PLAYER_RUNNING = 6;       // the player is running: nothing was written (see --force)

inline int worst(int a, int b) { return a > b ? a : b; }

}  // namespace ExitCode
