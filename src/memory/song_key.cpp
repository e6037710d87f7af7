#include "memory/song_key.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/host_link.h"

namespace {

// The profile format splits a line at its first '=' and ends it at a line break, so a
// key holding either could never be read back as written.
bool fitsProfileFormat(char c) { return c != '=' && c != '\r' && c != '\n'; }

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
    char number[16] = "";
    BoundedText::appendInt(number, sizeof number, size);
    // In one pass, as a Clean builds 100,000 of them: the key with its terminating zero
    // must fit the buffer, and hold nothing the profile format cannot read back.
    const char* const parts[] = {"\"", fileName, "[", number, "]\""};
    SongKey key;
    size_t used = 0;
    bool storable = true;
    for (const char* part : parts) {
        for (const char* p = part; *p != '\0' && storable; ++p) {
            storable = used + 1 < sizeof key.text && fitsProfileFormat(*p);
            if (storable) key.text[used++] = *p;
        }
    }
    key.text[storable ? used : 0] = '\0';
    key.storable = storable;
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
