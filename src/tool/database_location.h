// Which volume.ini the tool works on: the one named with --database, or the one the
// plug-in uses. That one is found in three steps, and the tool can say each:
// - the player's folder, found as the installer finds it (dist/installer/loudmark.nsi):
//   the default value of HKCU\Software\Winamp, then the folder of the UninstallString of
//   the player's Add/Remove Programs entry (HKLM, then HKCU), the first that holds
//   winamp.exe; otherwise the 32-bit Program Files folder + "\Winamp";
// - the player's settings folder, as the player finds it at start-up: where the inidir of
//   a paths.ini beside it points, else its own folder;
// - the plug-in's folder, by the plug-in's own rule (StorageFolder::find) from there. A
//   player without a manifest (2.x) run from Program Files is virtualized, and its
//   plug-in's files are then in the listener's VirtualStore: that copy is taken when it
//   is there.
// Finding it makes no folder and no file.
#pragma once

#include <stddef.h>
#include <windows.h>

namespace DatabaseLocation {

enum class PlayerSource { Named, UserKey, MachineUninstall, UserUninstall, ProgramFiles };
enum class FolderRule { Named, SettingsPlugins, ApplicationData, NoneWritable, VirtualStore };

struct Found {
    char databasePath[MAX_PATH];
    char settingsPath[MAX_PATH];  // plugin.ini beside it: the trim settings Clean follows
    char playerFolder[MAX_PATH];  // "" when the database was named
    char hostSettings[MAX_PATH];  // the player's settings folder; "" when unknown
    char playlistFolder[MAX_PATH];  // where the player saves its own playlist; "" when unknown
    bool playerFound;             // a folder holding winamp.exe was found
    bool playerVirtualized;       // and Windows virtualizes that player (it has no manifest)
    bool settingsNamed;           // a paths.ini names the settings folder
    bool keepEmptyDatabase;       // emptied rather than deleted when nothing survives
    PlayerSource playerSource;
    FolderRule folderRule;
};

// False when a path does not fit its buffer.
bool find(const char* givenDatabase, Found* found);

// "Database: PATH" and, one line each, why: the player, its settings folder and the
// plug-in's folder (or that the database was named). To standard output (stats) or error.
void explain(const Found& found, bool onStandardOutput);

// The player's own playlist, as it saves it at exit: winamp.m3u8 (5.x) or winamp.m3u in
// the folder it saves playlists in, then in its own folder (for a virtualized player, the
// VirtualStore copy of it first). False when there is none.
bool findPlayerPlaylist(const Found& found, char* path, size_t capacity);

}  // namespace DatabaseLocation
