// Our section of a profile file, read from the file itself rather than listed by the
// platform: the listing of every Windows before 7 stops at 32,767 characters, and on
// 9x it comes back empty while another program has the file open. What it yields is
// what GetPrivateProfileSectionA lists on Windows 7: "key=value" lines, each ended by a
// zero, the first section of our name only, comment lines left out.
#pragma once

#include "adapters/heap_buffer.h"

namespace ProfileSection {

enum class Result {
    Listed,  // the whole section (perhaps empty) is in the listing
    NoFile,  // there is no such file: no records at all
    Unsure,  // the file could not be read whole, or not as the platform reads it: nothing
             // in it may be taken as missing
};

Result read(const char* path, HeapBuffer* listing);

// The same, from the file's bytes already in memory.
Result parse(const char* bytes, size_t length, HeapBuffer* listing);

}  // namespace ProfileSection
