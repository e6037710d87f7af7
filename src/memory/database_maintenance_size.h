// The size the song key's open finds (SongKey::fileSize), asked the cheap way wherever
// that gives the same answer. Under Wine the open costs some 135 us a file, the
// attribute query some 8 us: the difference between seconds and minutes for a pass over
// a big library.
#pragma once

#include "adapters/later_windows.h"

namespace DatabaseMaintenance {

int quickFileSize(const char* path);
// The same with GetFileAttributesExA found once for many calls (LaterWindows::fileAttributesQuery).
int quickFileSize(const char* path, LaterWindows::FileAttributesQuery query);

}  // namespace DatabaseMaintenance
