#include "tool/song_sources.h"

#include <windows.h>

#include "tool/console.h"
#include "tool/folder_scan.h"
#include "tool/playlist_reader.h"
#include "tool/song_collection.h"

namespace SongSources {

namespace {

bool addSource(const char* source) {
    DWORD attributes = GetFileAttributesA(source);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Console::err("loudmark-db: %s: not found\n", source);
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FolderScan::addFolder(source);
    if (PlaylistReader::isPlaylist(source)) return PlaylistReader::addPlaylist(source);
    return SongCollection::add(source, nullptr);  // one song file
}

}  // namespace

bool gather(const std::vector<const char*>& operands, bool playerPlaylist, const DatabaseLocation::Found& location) {
    SongCollection::reset();
    bool complete = true;
    if (playerPlaylist) {
        char playlist[MAX_PATH];
        if (DatabaseLocation::findPlayerPlaylist(location, playlist, sizeof playlist)) {
            Console::err("Player's playlist: %s\n", playlist);
            complete = PlaylistReader::addPlaylist(playlist) && complete;
        } else {
            Console::err("loudmark-db: the player's own playlist (winamp.m3u8 or winamp.m3u) is not there\n");
            complete = false;
        }
    }
    for (const char* source : operands) complete = addSource(source) && complete;
    return complete;
}

}  // namespace SongSources
