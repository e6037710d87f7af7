#include "tool/song_sources.h"

#include <windows.h>

#include "tool/console.h"
#include "tool/folder_scan.h"
#include "tool/playlist_reader.h"
#include "tool/song_collection.h"
#include "tool/text_encoding.h"

namespace SongSources {

namespace {

bool addSource(const WCHAR* source) {
    char shown[MAX_PATH * 2];
    char ansi[MAX_PATH];
    bool lossy = false;
    if (!TextEncoding::wideToAnsi(source, shown, sizeof shown, &lossy)) shown[0] = '\0';
    DWORD attributes = GetFileAttributesW(source);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Console::err("loudmark-db: %s: not found\n", shown);
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FolderScan::addFolder(source);
    if (PlaylistReader::isPlaylist(shown)) return PlaylistReader::addPlaylist(source);
    // One song file, named as the player would hand it out.
    if (!TextEncoding::playerPath(source, ansi, sizeof ansi, &lossy)) {
        Console::err("loudmark-db: %s: the path is too long for the player\n", shown);
        return false;
    }
    return SongCollection::add(ansi, lossy ? source : nullptr);
}

}  // namespace

bool gather(const std::vector<const WCHAR*>& sources, bool playerPlaylist, const DatabaseLocation::Found& location) {
    SongCollection::reset();
    bool complete = true;
    if (playerPlaylist) {
        char playlist[MAX_PATH];
        WCHAR widePlaylist[MAX_PATH];
        if (DatabaseLocation::findPlayerPlaylist(location, playlist, sizeof playlist) &&
            TextEncoding::ansiToWide(playlist, widePlaylist, MAX_PATH)) {
            Console::err("Player's playlist: %s\n", playlist);
            complete = PlaylistReader::addPlaylist(widePlaylist) && complete;
        } else {
            Console::err("loudmark-db: the player's own playlist (winamp.m3u8 or winamp.m3u) is not there\n");
            complete = false;
        }
    }
    for (const WCHAR* source : sources) complete = addSource(source) && complete;
    return complete;
}

}  // namespace SongSources
