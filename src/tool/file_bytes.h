// A whole file read into memory, as the platform gives it: playlists and the database
// are read this way to be gone through line by line.
#pragma once

#include <windows.h>

#include <vector>

namespace FileBytes {

// The file opened for reading, shared for writing too (the player may hold its own
// playlist open); INVALID_HANDLE_VALUE, with GetLastError() saying why, when it cannot be.
HANDLE open(const char* path);
HANDLE open(const WCHAR* path);
// The whole of a file open() opened, which it then closes. False when it cannot be read,
// or is larger than `largest` bytes.
bool readAll(HANDLE file, DWORD largest, std::vector<char>* bytes);
// Both at once: false when the file cannot be opened or read, or is too large.
bool read(const char* path, DWORD largest, std::vector<char>* bytes);
bool read(const WCHAR* path, DWORD largest, std::vector<char>* bytes);

// The number of bytes a UTF-8 byte-order mark takes at the start, 0 when there is none.
size_t byteOrderMark(const std::vector<char>& bytes);

}  // namespace FileBytes
