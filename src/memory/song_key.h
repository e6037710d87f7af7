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
