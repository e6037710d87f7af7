// The database read as the text file it is, line by line, to tell the listener which
// lines the plug-in cannot read as records, by number: the platform's own reading
// (DatabaseIndex) skips them without a word.
#pragma once

#include <vector>

namespace DatabaseCheck {

// Reports every such line of the database at `databasePath`, whose whole text is
// `bytes`, on standard error ("volume.ini:12: ..."); the number of them.
long reportProblems(const char* databasePath, const std::vector<char>& bytes);

}  // namespace DatabaseCheck
