// Copies and formatting into fixed buffers. Every function keeps within `capacity`
// (which counts the terminating zero) and always leaves the buffer terminated.
#pragma once

#include <stddef.h>

namespace BoundedText {

// Returns false when the text had to be cut.
bool copy(char* dest, size_t capacity, const char* source);
bool append(char* dest, size_t capacity, const char* source);
bool appendInt(char* dest, size_t capacity, int value);
// Length of `text`, looking no further than `limit` characters.
size_t length(const char* text, size_t limit);
// The part after the last backslash, or the whole text when it has none.
const char* afterLastBackslash(const char* path);

}  // namespace BoundedText
