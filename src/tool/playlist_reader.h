// Playlists as songs: .m3u (ANSI, as the player writes it), .m3u8 (UTF-8) and .pls,
// Winamp's own winamp.m3u and winamp.m3u8 among them. Each entry is a song in the
// playlist's order, read as the player reads it: forward slashes as backslashes, a
// relative entry taken from the playlist's own folder and one that starts with a
// backslash from its drive. Streams ("http://...") are songs too: the player keys them
// as it keys a file it cannot open. An entry whose file is missing is a song all the
// same (its record goes, as with the dialog's Clean), and is named on standard error.
#pragma once

#include <windows.h>

namespace PlaylistReader {

// Whether `path` names a playlist, by its extension.
bool isPlaylist(const char* path);

// Adds every entry to the song collection. False when the playlist cannot be read, a
// line of it could not be read (each is reported with its line number), or entries lie
// in a folder that is not there (a drive unplugged, a folder renamed): cleaning then
// would cost every song in it its record.
bool addPlaylist(const WCHAR* path);

}  // namespace PlaylistReader
