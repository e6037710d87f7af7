#include "memory/database_maintenance_size.h"

#include <windows.h>

#include "adapters/later_windows.h"
#include "memory/song_key.h"

namespace DatabaseMaintenance {

int quickFileSize(const char* path) { return quickFileSize(path, LaterWindows::fileAttributesQuery()); }

int quickFileSize(const char* path, LaterWindows::FileAttributesQuery query) {
    if (query == nullptr) return SongKey::fileSize(path);  // Windows 95: the open it is
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!query(path, GetFileExInfoStandard, &data)) {
        DWORD error = GetLastError();
        // Nothing by that name: the open fails just the same.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return -1;
        // Device names ("nul.mp3") and pipes have no attributes, yet they open: ask the open.
        return SongKey::fileSize(path);
    }
    // A link reports its own size, not that of the target the open reaches.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return SongKey::fileSize(path);
    // The open refuses a folder.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return static_cast<int>(data.nFileSizeLow);
}

}  // namespace DatabaseMaintenance
