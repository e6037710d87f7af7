// A whole file read into memory, as the platform gives it: playlists and the database
// are read this way to be gone through line by line.
#pragma once

#include <windows.h>

#include <vector>

namespace FileBytes {

// False when the file cannot be opened or read, or is larger than `largest` bytes.
bool read(const char* path, DWORD largest, std::vector<char>* bytes);

// The number of bytes a UTF-8 byte-order mark takes at the start, 0 when there is none.
size_t byteOrderMark(const std::vector<char>& bytes);

}  // namespace FileBytes
