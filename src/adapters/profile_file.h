// The one place that knows the section name and how keys are quoted in both profile
// files (the settings and the volume database).
#pragma once

#include <stddef.h>

#include "adapters/bounded_text.h"

constexpr char SECTION_NAME[] = "Tamsel Loudmark";

namespace ProfileFile {

constexpr int ABSENT = -1;

// `word` wrapped in double quotes; false (and an empty key) when it does not fit.
bool quoteKey(const char* word, char* quotedKey, size_t capacity);
// The value under an already quoted key in our section, or ABSENT.
int readInt(const char* quotedKey, const char* path);
bool writeInt(const char* quotedKey, int value, const char* path);  // false when not written
bool erase(const char* quotedKey, const char* path);                 // false when not written
// Windows 95, 98 and ME keep the most recent profile file in a cache of their own: what
// it holds goes to the file, and the file is read afresh next time. Elsewhere nothing is
// asked: NT-based Windows writes every change through, and under Wine the call would
// read and parse the whole file for nothing.
void flush(const char* path);
// Whether two keys of `length` characters name one entry, as the platform compares them:
// ASCII letters in either case.
bool sameKey(const char* a, const char* b, size_t length);
using BoundedText::folded;

}  // namespace ProfileFile
