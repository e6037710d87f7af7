// Records whose write failed (the database held open by a virus scanner or a sync
// client, a folder gone read-only): kept in memory and written again at the next song
// change or at shutdown. Bounded: when full, the oldest is given up.
#pragma once

#include "memory/song_key.h"

namespace PendingRecords {

constexpr int CAPACITY = 64;

// Writes the record into `databaseFile`, keeping it for later when the file cannot be
// opened now, and counting it as lost when the write failed part way.
void write(const SongKey& key, int storedValue, const char* databaseFile);
// A newer value for `key` has been written: the kept one must not overwrite it.
void forget(const SongKey& key);
// The value kept for `key`; false when none.
bool find(const SongKey& key, int* storedValue);
// Writes what it can into `databaseFile`, oldest first; the rest stays kept.
void flush(const char* databaseFile);

int count();
// Records given up since the last reset: for lack of room, or after a write that
// failed part way.
int dropped();
void reset();

}  // namespace PendingRecords
