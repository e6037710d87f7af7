// Paths and names between the encodings the tool meets: the ANSI code page (.m3u
// playlists, the player's ANSI paths and so the song keys), UTF-8 (.m3u8 playlists,
// JSON) and the platform's wide text (the command line, folder listings).
#pragma once

#include <stddef.h>
#include <windows.h>

namespace TextEncoding {

// False when the text does not fit, or (for UTF-8) is not well-formed.
bool ansiToWide(const char* ansi, WCHAR* wide, size_t capacity);
bool utf8ToWide(const char* utf8, size_t length, WCHAR* wide, size_t capacity);
// The ANSI path the player would hand out for a wide one: characters the code page
// lacks become what the platform makes of them, and `lossy` says so (such a path names
// no file; the plug-in then sizes the song through the wide path).
bool wideToAnsi(const WCHAR* wide, char* ansi, size_t capacity, bool* lossy);
// The ANSI path a 5.x player hands the plug-in for the file at `wide`: its ANSI form when
// the code page holds it, else its 8.3 short path where the file has one, else the ANSI
// form with stand-ins. `lossy` says the ANSI form lost letters, so that the file is best
// opened through its wide path (the plug-in sizes such a song so on a 5.3 or later player).
bool playerPath(const WCHAR* wide, char* ansi, size_t capacity, bool* lossy);

}  // namespace TextEncoding
