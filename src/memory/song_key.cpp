#include "memory/song_key.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/host_link.h"

namespace {

// The profile format splits a line at its first '=' and ends it at a line break, so a
// key holding either could never be read back as written.
bool fitsProfileFormat(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '=' || *p == '\r' || *p == '\n') return false;
    }
    return true;
}

}  // namespace

int SongKey::fileSize(const char* path) {
    // Opened for existence only: no access asked, so a file another program holds
    // open for writing still tells its size.
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    DWORD size = GetFileSize(file, nullptr);
    CloseHandle(file);
    return static_cast<int>(size);
}

int SongKey::fileSizeW(const WCHAR* path) {
    HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    DWORD size = GetFileSize(file, nullptr);
    CloseHandle(file);
    return static_cast<int>(size);
}

// A 5.x host gives a name its ANSI code page cannot hold as an 8.3 short path, which
// opens, or with '?' or look-alike letters in it, which does not. Every such song would
// then read as -1 and share one record with every other name of the same length.
int SongKey::sizeThroughWidePath(int index) {
    const WCHAR* widePath = HostLink::getPlaylistFileW(index);
    return widePath != nullptr ? fileSizeW(widePath) : -1;
}

SongKey SongKey::forPlaylistEntry(int index, const char* path) {
    int size = fileSize(path);
    if (size == -1) size = sizeThroughWidePath(index);
    // The name stays as the ANSI path gives it, so that keys written before read alike.
    return fromNameAndSize(BoundedText::afterLastBackslash(path), size);
}

SongKey SongKey::fromNameAndSize(const char* fileName, int size) {
    SongKey key;
    key.text[0] = '\0';
    key.storable = BoundedText::append(key.text, sizeof key.text, "\"") &&
                   BoundedText::append(key.text, sizeof key.text, fileName) &&
                   BoundedText::append(key.text, sizeof key.text, "[") &&
                   BoundedText::appendInt(key.text, sizeof key.text, size) &&
                   BoundedText::append(key.text, sizeof key.text, "]\"") && fitsProfileFormat(key.text);
    if (!key.storable) key.text[0] = '\0';
    return key;
}

SongKey SongKey::fromPath(const char* path) {
    if (path == nullptr) {
        SongKey none;
        none.text[0] = '\0';
        none.storable = false;
        return none;
    }
    return fromNameAndSize(BoundedText::afterLastBackslash(path), fileSize(path));
}
