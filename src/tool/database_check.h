// The database read as the text file it is, line by line, to tell the listener which
// lines the plug-in cannot read as records, by number: the platform's own reading
// (DatabaseIndex) skips them without a word.
#pragma once

#include <stddef.h>

namespace DatabaseCheck {

constexpr long CANNOT_READ = -1;

// Reports every such line on standard error ("volume.ini:12: ..."); the number of them,
// or CANNOT_READ when the file cannot be read.
long reportProblems(const char* databasePath);

}  // namespace DatabaseCheck
