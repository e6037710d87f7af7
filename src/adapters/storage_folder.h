// Where the settings file and the volume database live. Beside the module when the
// plug-in may write there (every 2.x install, and 5.x installs outside Program Files);
// otherwise, as for a standard user whose player lives in Program Files, in the folder
// where the player and its other plug-ins keep their own settings, or in the user's
// application data folder.
#pragma once

#include <windows.h>

namespace StorageFolder {

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

}  // namespace StorageFolder
