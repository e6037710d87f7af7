// A profile file an editor saved as Unicode text, beginning with a byte-order mark. Only
// Wine reads a UTF-8 one as such: Windows takes the mark for part of the first line, so
// our section is never found and every setting or record in it looks absent, and NT 4
// and 9x cannot read UTF-16 at all. Such a file is written back as the ANSI text the
// profile functions of every Windows read.
#pragma once

#include <stddef.h>

#include "adapters/heap_buffer.h"

namespace ProfileEncoding {

enum class Outcome {
    Plain,         // no mark (or no file): nothing to do
    MadePlain,     // written back as ANSI text, every line kept
    NotMadePlain,  // it has a mark, but could not be rewritten now
};

// A file's bytes as the ANSI text the profile functions read, into `plain`: Plain when
// they have no mark (nothing is put into `plain`), NotMadePlain when they cannot be
// converted. The database tool reads a file it must leave alone so.
Outcome toPlain(const char* bytes, size_t length, HeapBuffer* plain);

// Whether the bytes begin with a UTF-8, UTF-16LE or UTF-16BE byte-order mark.
bool hasMark(const char* bytes, size_t length);

// `replace` puts the rewritten copy (the file's path + ".new") in the file's place, or
// deletes it (unless it is needed to finish a swap cut short).
Outcome makePlain(const char* path, bool (*replace)(const char* newPath, const char* path));

}  // namespace ProfileEncoding
