// Where the settings file and the volume database live, the same folder at every start
// for one player and one Windows user, elevated or not. A player that tells its
// settings folder (2.9 and later) has them in that folder's "Plugins\", beside its own
// plug-ins' settings: for a player outside Program Files that is the module's own
// folder. An older player has them beside the module when it may write there, as it
// always did. Otherwise they live in the user's application data folder.
#pragma once

#include <windows.h>

namespace StorageFolder {

// Our files, side by side in whichever folder is chosen.
constexpr char SETTINGS_FILE_NAME[] = "plugin.ini";
constexpr char DATABASE_FILE_NAME[] = "volume.ini";
// Added to the database's name: the new database a pass (or the tool's edit) writes
// beside it before it takes the old one's place.
constexpr char REBUILD_SUFFIX[] = ".new";
// Loudmark's own copies beside the database, named by one rule (the database's name,
// ".loudmark-", what the copy is for), so no file of anyone else's is ever taken for
// one: the database as it was before the last Clean, Trim or edit; the last copy known
// to be whole; and, only while a swap on 9x is under way, the old database set aside.
constexpr char UNDO_SUFFIX[] = ".loudmark-undo";
constexpr char WHOLE_SUFFIX[] = ".loudmark-whole";
constexpr char SWAP_SUFFIX[] = ".loudmark-swap";

enum class Kind {
    BesideModule,    // the module's own folder, as always
    HostSettings,    // the host's settings folder + "Plugins\"
    ApplicationData, // %APPDATA%\Loudmark\ .
    NoneWritable,    // beside the module, read only: nothing we write will stay
};

// The folder the plug-in uses (ending with its backslash) into `folder`, given the
// module's own folder (not empty) and the host's settings folder (null when the host
// does not say). Creates the subfolder it tries when missing; copies and says nothing.
Kind find(const char* moduleFolder, const char* hostSettings, char* folder, size_t capacity);

// The folders our files may have lived in before, other than `folder`: the module's
// own and %APPDATA%\Loudmark\, as they stand (none is created). Answers how many.
constexpr int MOST_EARLIER_FOLDERS = 2;
int earlierFolders(const char* moduleFolder, const char* folder, char (*earlier)[MAX_PATH]);

// find() with the host's answer, for the plug-in at start-up. Given the module's own
// folder, which must be writable-sized and not empty. When no folder can be written, it
// says so in a message box owned by the host's window.
Kind choose(const char* moduleFolder, char* folder, size_t capacity);

// In a folder we moved to, a database emptied by Clean or Trim stays as an empty file:
// gone, it would be copied again from beside the module at the next start, old records
// and all.
bool keepsEmptyDatabase(Kind kind);

// The user's application data folder (%APPDATA%, without a final backslash); false when
// it is not set or does not fit.
bool applicationData(char* folder, size_t capacity);

}  // namespace StorageFolder
