// The songs the listener names, as the maintenance pass and the tracker take them: one
// path each, as the player would hand it out. They come from the command line (a song
// file, or a key as list shows it), or are gathered from folders (walked to the bottom),
// playlists, single song files, and with --player-playlist the player's own playlist.
#pragma once

#include <stddef.h>
#include <windows.h>

#include <string>
#include <vector>

#include "memory/database_maintenance.h"
#include "memory/song_key.h"
#include "tool/database_location.h"

namespace SongCollection {

void reset();
// Adds a song by its ANSI path; `widePath` (may be null) only for a name outside the
// ANSI code page, whose ANSI path names no file; `knownSize` the size a folder listing
// gave (as the open would find it), or SongList::SIZE_UNKNOWN. False when the
// collection is full.
bool add(const char* ansiPath, const WCHAR* widePath,
         int knownSize = DatabaseMaintenance::SongList::SIZE_UNKNOWN);
// Room for `songs` more paths of `ansiBytes` in all (their zeros counted), made at once.
void makeRoomFor(size_t songs, size_t ansiBytes);
int count();
// The collection as the pass's list; valid until the next add() or reset().
DatabaseMaintenance::SongList asSongList();

// A source named on the command line, and the songs it gave.
struct Source {
    std::string shown;
    int songs;
};

// Gathers every song of `sources` (paths as typed) into the collection, in order, and
// tells how many each gave (into `gathered`, may be null). False when a source, or part
// of one, could not be read (each reported): a pass that trusted the rest would drop the
// records of the songs it missed.
bool gather(const std::vector<const WCHAR*>& sources, bool playerPlaylist, const DatabaseLocation::Found& location,
            std::vector<Source>* gathered = nullptr);

// The key the song tracker builds for the song file at `path` (as typed): its name as the
// player hands the path out (the short name where the code page cannot hold the long
// one), its size as the open finds it (through the wide path where the ANSI one names no
// file, as on a 5.3 or later player; -1 when it cannot be opened). Not storable when the
// plug-in would keep no record for it.
SongKey keyOfFile(const WCHAR* path, int* size);

// The key of a song named by the listener ("Song.mp3[4123]", the quotes optional), as
// the plug-in would build it; false, having said why unless `quiet`, when it is not one.
bool keyFromText(const char* text, char* quotedKey, size_t capacity, bool quiet = false);

}  // namespace SongCollection
