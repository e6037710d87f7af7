// The songs the listener owns, gathered from folders and playlists, as the maintenance
// pass takes them: one path each, as the player would hand it out.
#pragma once

#include <windows.h>

#include "memory/database_maintenance.h"

namespace SongCollection {

void reset();
// Adds a song by its ANSI path; `widePath` (may be null) only for a name outside the
// ANSI code page, whose ANSI path names no file; `knownSize` the size a folder listing
// gave (as the open would find it), or SongList::SIZE_UNKNOWN. False when the
// collection is full.
bool add(const char* ansiPath, const WCHAR* widePath,
         int knownSize = DatabaseMaintenance::SongList::SIZE_UNKNOWN);
int count();
// The collection as the pass's list; valid until the next add() or reset().
DatabaseMaintenance::SongList asSongList();

}  // namespace SongCollection
