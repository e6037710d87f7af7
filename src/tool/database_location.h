// Which volume.ini the tool works on: the one named with --database, or the one the
// plug-in uses: the player's folder found as the installer finds it, its Plugins folder
// as the plug-in's own folder, and the plug-in's rule from there (that folder when it can
// be written, else the player's settings folder + "Plugins\", else %APPDATA%\Loudmark\).
// The settings folder of a Winamp 5.x in Program Files is %APPDATA%\Winamp by default;
// that is the one assumed. A player without a manifest (2.x) run from Program Files is
// virtualized, and its plug-in's files are in the listener's VirtualStore: that copy is
// taken when it is there. Finding it makes no folder and no file.
#pragma once

#include <windows.h>

namespace DatabaseLocation {

struct Found {
    char databasePath[MAX_PATH];
    char settingsPath[MAX_PATH];  // plugin.ini beside it: the trim settings Clean follows
    char playerFolder[MAX_PATH];  // "" when the database was named
    char hostSettings[MAX_PATH];  // the player's settings folder assumed; "" when unknown
    bool playerFound;             // a folder holding winamp.exe was found
    bool playerVirtualized;       // and Windows virtualizes that player (it has no manifest)
    bool keepEmptyDatabase;       // emptied rather than deleted when nothing survives
};

// False when a path does not fit its buffer.
bool find(const char* givenDatabase, Found* found);

// The player's own playlist, as it saves it at exit: winamp.m3u8 (5.x) or winamp.m3u in
// its settings folder, then in its own folder (for a virtualized player, the VirtualStore
// copy of it first). False when there is none.
bool findPlayerPlaylist(const Found& found, char* path, size_t capacity);

}  // namespace DatabaseLocation
