// A file read or written in one go, for files we handle whole: the database, read
// without the platform's profile functions, and the new copies put in its place.
#pragma once

#include <stddef.h>

#include "adapters/heap_buffer.h"

namespace WholeFile {

enum class Read { Whole, Missing, Failed };

// Every byte of the file, appended to `bytes` (with room for one more). Failed when it
// cannot be opened (held without sharing), or changed size while it was read.
Read read(const char* path, HeapBuffer* bytes);

// The file made anew with exactly these bytes, on disk before it returns; false when any
// byte did not get there.
bool write(const char* path, const char* bytes, size_t length);

// The same, for bytes that come a piece at a time: a large file's bytes need not all be
// in memory at once.
struct Stream {
    void* handle;  // INVALID_HANDLE_VALUE when the file could not be made
    bool whole;    // every byte put so far got there
};
Stream create(const char* path);
void put(Stream* stream, const char* bytes, size_t length);
// On disk and closed; false when any byte did not get there.
bool close(Stream* stream);
// Closed as it is, for a file that is to go.
void abandon(Stream* stream);

}  // namespace WholeFile
