// How a song is identified in the volume database: its file name and size, not its
// folder. The key is kept ready-quoted, as it stands in the file.
#pragma once

#include <stddef.h>
#include <windows.h>

constexpr size_t SONG_KEY_CAPACITY = 512;

// A key's text taken apart: the song's file name and its size, pointing into the text.
struct SongKeyParts {
    const char* name;
    size_t nameLength;
    int size;
};

struct SongKey {
    char text[SONG_KEY_CAPACITY];  // "name[size]" with the quotes
    // False when there is no path, or when the key cannot stand in a profile file as
    // it is (too long for the buffer, or holding '=' or a line break, which the profile
    // format cannot read back): such a key is never written or looked up.
    bool storable;

    static SongKey fromPath(const char* path);
    static SongKey fromNameAndSize(const char* fileName, int size);
    // Whether `length` characters of `text` are a key of the shape the plug-in builds,
    // "\"name[size]\"" with the size as "%d" writes an int, within the key's buffer; the
    // name may hold anything, '=' too (a line the profile format splits there). The one
    // reading of that shape, for every part that takes a key's text apart.
    static bool parse(const char* text, size_t length, SongKeyParts* parts);
    // The key of playlist entry `index`, whose path as the host's ANSI request gave it
    // has been copied to `path` (asking the host again may overwrite its answer).
    static SongKey forPlaylistEntry(int index, const char* path);
    // The file's size in bytes (low 32 bits), or -1 when it cannot be opened.
    static int fileSize(const char* path);
    static int fileSizeW(const WCHAR* path);
    // The size of entry `index` through the wide path a 5.3 or later host gives, for an
    // entry whose ANSI path names no file; -1 when there is none or it cannot be opened.
    static int sizeThroughWidePath(int index);
};

// Defined here, so that only the programs that take keys apart carry it: the plug-in
// only builds them, and its linker keeps every function it is given.
inline bool SongKey::parse(const char* text, size_t length, SongKeyParts* parts) {
    if (length < 5 || length >= SONG_KEY_CAPACITY || text[0] != '"' || text[length - 1] != '"' ||
        text[length - 2] != ']') {
        return false;
    }
    // The size follows the last '[': a name may hold brackets of its own.
    size_t close = length - 2;
    size_t open = close;
    while (open > 0 && text[open] != '[') --open;
    if (open == 0) return false;
    // The digits "%d" writes for an int: no '+', no leading zero, no "-0", within 32 bits.
    const char* digits = text + open + 1;
    size_t count = close - open - 1;
    bool negative = count > 0 && digits[0] == '-';
    if (negative) {
        ++digits;
        --count;
    }
    if (count == 0 || count > 10 || (digits[0] == '0' && (count > 1 || negative))) return false;
    long long magnitude = 0;
    for (size_t i = 0; i < count; ++i) {
        if (digits[i] < '0' || digits[i] > '9') return false;
        magnitude = magnitude * 10 + (digits[i] - '0');
    }
    if (magnitude > (negative ? 2147483648LL : 2147483647LL)) return false;
    parts->size = static_cast<int>(negative ? -magnitude : magnitude);
    parts->name = text + 1;
    parts->nameLength = open - 1;
    return true;
}
