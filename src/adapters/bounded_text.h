// Copies and formatting into fixed buffers. Every function keeps within `capacity`
// (which counts the terminating zero) and always leaves the buffer terminated.
#pragma once

#include <stddef.h>

namespace BoundedText {

// Returns false when the text had to be cut.
bool copy(char* dest, size_t capacity, const char* source);
bool append(char* dest, size_t capacity, const char* source);
bool appendInt(char* dest, size_t capacity, int value);
// `first` + `second`; false, leaving `dest` empty, when they do not fit: a cut path
// would name some other file.
bool join(char* dest, size_t capacity, const char* first, const char* second);
// Length of `text`, looking no further than `limit` characters.
size_t length(const char* text, size_t limit);
// The part after the last backslash, or the whole text when it has none.
const char* afterLastBackslash(const char* path);

// ASCII letters in lower case, every other byte as it is: how the platform compares
// profile keys, and how we compare the file names and extensions we match. Inline: a
// pass folds every character of 100,000 keys.
inline unsigned char folded(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}
// Whether two texts are the same but for the case of ASCII letters.
bool sameFolded(const char* a, const char* b);

}  // namespace BoundedText
