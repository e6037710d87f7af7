// What the listener owns, named on the command line: folders (walked to the bottom),
// playlists, single song files, and with --player-playlist the player's own playlist.
#pragma once

#include <vector>

#include "tool/database_location.h"

namespace SongSources {

// Gathers every song of `sources` (paths as typed) into the song collection, in order.
// False when a source, or part of one, could not be read (each reported): a pass that
// trusted the rest would drop the records of the songs it missed.
bool gather(const std::vector<const WCHAR*>& sources, bool playerPlaylist, const DatabaseLocation::Found& location);

}  // namespace SongSources
