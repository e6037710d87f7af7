#include "memory/song_key.h"

#include <windows.h>

#include "common/bounded_text.h"

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
