// A folder and every folder under it, as songs: each file found becomes a song, in name
// order, folder by folder, so that the same tree always gives the same list.
#pragma once

#include <windows.h>

namespace FolderScan {

// Adds every file under `folder` to the song collection. False when the folder, or one
// under it, could not be listed, or a path was too long to hand to the player; each is
// reported. Links to folders are not followed (they could lead round in a circle).
bool addFolder(const WCHAR* folder);

}  // namespace FolderScan
