// Where the settings file and the volume database live. Beside the module when the
// plug-in may write there (every 2.x install, and 5.x installs outside Program Files);
// otherwise, as for a standard user whose player lives in Program Files, in the folder
// where the player and its other plug-ins keep their own settings, or in the user's
// application data folder.
#pragma once

#include <windows.h>

namespace StorageFolder {

// Our files, side by side in whichever folder is chosen.
constexpr char SETTINGS_FILE_NAME[] = "plugin.ini";
constexpr char DATABASE_FILE_NAME[] = "volume.ini";
// Added to the database's name: the new database a pass (or the tool's edit) writes
// beside it before it takes the old one's place.
constexpr char REBUILD_SUFFIX[] = ".new";

enum class Kind {
    BesideModule,    // the module's own folder, as always
    HostSettings,    // the host's settings folder + "Plugins\"
    ApplicationData, // %APPDATA%\Loudmark\ .
    NoneWritable,    // beside the module, read only: nothing we write will stay
};

// The folder the plug-in uses (ending with its backslash) into `folder`, given the
// module's own folder (not empty) and the host's settings folder (null when the host
// does not say): the first of the three that can be written, or the module's own.
// Creates the subfolder it tries when missing; copies and says nothing.
Kind find(const char* moduleFolder, const char* hostSettings, char* folder, size_t capacity);

// find() with the host's answer, for the plug-in at start-up. Given the module's own
// folder, which must be writable-sized and not empty. Leaving the module's folder, it
// copies each of our files found there into the new folder when that lacks it; when no
// folder can be written, it says so in a message box owned by the host's window.
Kind choose(const char* moduleFolder, char* folder, size_t capacity);

// In a folder we moved to, a database emptied by Clean or Trim stays as an empty file:
// gone, it would be copied again from beside the module at the next start, old records
// and all.
bool keepsEmptyDatabase(Kind kind);

// The user's application data folder (%APPDATA%, without a final backslash); false when
// it is not set or does not fit.
bool applicationData(char* folder, size_t capacity);

}  // namespace StorageFolder
