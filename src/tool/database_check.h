// The database read as the text file it is, line by line, to tell the listener which
// lines the plug-in cannot read as records, by number: the platform's own reading
// (DatabaseIndex) skips them without a word.
#pragma once

#include <stddef.h>

#include <vector>

namespace DatabaseCheck {

// Reports every such line of the database at `databasePath`, whose whole text is
// `bytes`, on standard error ("volume.ini:12: ..."); the number of them.
long reportProblems(const char* databasePath, const std::vector<char>& bytes);

// How many lines of the database's text `bytes` hold `quotedKey` as the platform finds
// keys (the first section of our name, ASCII letters in either case): the first is the
// record, and each later one becomes it once those before it go.
size_t linesOf(const std::vector<char>& bytes, const char* quotedKey);

}  // namespace DatabaseCheck
