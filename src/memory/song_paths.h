// The paths of a pass's songs, gathered first and sized all at once: asking a file's
// size is most of a big pass's time, and those questions, unlike the host's, may be
// asked from a second thread.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "adapters/heap_buffer.h"
#include "memory/database_maintenance.h"

namespace SongPaths {

struct Table {
    HeapBuffer text;             // every path, each ended by its zero
    uint32_t* offsets = nullptr; // per song: where its path starts in `text`, or NO_PATH
    int* sizes = nullptr;        // per song: as SongKey::fileSize would answer
    int count = 0;
};

constexpr uint32_t NO_PATH = 0xFFFFFFFFu;

// Copies every song's path and asks every size (through a wide path, where the list has
// one, for a path that names no file). False when memory ran out.
bool gather(const DatabaseMaintenance::SongList& songs, Table* table);
const char* pathOf(const Table& table, int index);  // null when the song has none
void release(Table* table);

}  // namespace SongPaths
