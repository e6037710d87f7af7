// The paths of a pass's songs, gathered a chunk at a time and sized all at once: asking a
// file's size is most of a big pass's time, and those questions, unlike the host's, may
// be asked from a second thread.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "adapters/heap_buffer.h"
#include "memory/database_maintenance.h"

namespace SongPaths {

// A chunk of the songs at a time: the same memory serves every chunk, where a whole
// library's paths would take megabytes afresh (under Wine every page touched anew costs
// a fault, some 11 us here).
constexpr int CHUNK = 16384;

struct Table {
    HeapBuffer text;             // every path of the chunk, each ended by its zero
    uint32_t* offsets = nullptr; // per song: where its path starts in `text`, or NO_PATH
    int* sizes = nullptr;        // per song: as SongKey::fileSize would answer
    int count = 0;
    int capacity = 0;            // songs the arrays have room for
};

constexpr uint32_t NO_PATH = 0xFFFFFFFFu;

// Copies the paths of songs first .. first + count - 1 (at most CHUNK of them, and no
// more than the first chunk it was given) over the table's previous chunk, and asks every
// size (through a wide path, where the list has one, for a path that names no file).
// False when memory ran out.
bool gather(const DatabaseMaintenance::SongList& songs, int first, int count, Table* table);
const char* pathOf(const Table& table, int index);  // the chunk's song `index`; null when it has none
void release(Table* table);

}  // namespace SongPaths
