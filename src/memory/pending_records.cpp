#include "memory/pending_records.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/profile_file.h"
#include "memory/database_swap.h"
#include "memory/volume_database.h"

namespace PendingRecords {

namespace {

struct Pending {
    SongKey key;
    int storedValue;
};

// On the heap, and only once something fails: the queue is large, and kept in the
// module's image it would double the DLL's size.
Pending* kept = nullptr;
int keptCount = 0;
int droppedCount = 0;

bool sameKey(const SongKey& a, const SongKey& b) {
    size_t length = BoundedText::length(a.text, SONG_KEY_CAPACITY);
    return length == BoundedText::length(b.text, SONG_KEY_CAPACITY) && ProfileFile::sameKey(a.text, b.text, length);
}

int indexOf(const SongKey& key) {
    for (int i = 0; i < keptCount; ++i) {
        if (sameKey(kept[i].key, key)) return i;
    }
    return -1;
}

void removeAt(int index) {
    for (int i = index; i + 1 < keptCount; ++i) kept[i] = kept[i + 1];
    --keptCount;
}

// Keeps `storedValue` for `key`, replacing what was kept for it.
void keep(const SongKey& key, int storedValue) {
    if (!key.storable) return;
    forget(key);
    if (kept == nullptr) kept = static_cast<Pending*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Pending) * CAPACITY));
    if (kept == nullptr) {
        ++droppedCount;
        return;
    }
    if (keptCount == CAPACITY) {
        removeAt(0);
        ++droppedCount;
    }
    kept[keptCount].key = key;
    kept[keptCount].storedValue = storedValue;
    ++keptCount;
}

}  // namespace

void write(const SongKey& key, int storedValue, const char* databaseFile) {
    forget(key);  // older than this one
    if (!DatabaseSwap::recoverInterrupted(databaseFile)) {
        keep(key, storedValue);
        return;
    }
    switch (VolumeDatabase::write(key, storedValue, databaseFile)) {
        case VolumeDatabase::WriteResult::Written: return;
        case VolumeDatabase::WriteResult::NotNow: keep(key, storedValue); return;
        case VolumeDatabase::WriteResult::Failed: ++droppedCount; return;
    }
}

void forget(const SongKey& key) {
    int index = indexOf(key);
    if (index >= 0) removeAt(index);
}

bool find(const SongKey& key, int* storedValue) {
    int index = indexOf(key);
    if (index < 0) return false;
    *storedValue = kept[index].storedValue;
    return true;
}

void flush(const char* databaseFile) {
    if (keptCount == 0 || !DatabaseSwap::recoverInterrupted(databaseFile)) return;
    for (int i = 0; i < keptCount;) {
        VolumeDatabase::WriteResult result = VolumeDatabase::write(kept[i].key, kept[i].storedValue, databaseFile);
        if (result == VolumeDatabase::WriteResult::NotNow) {
            ++i;
            continue;
        }
        if (result == VolumeDatabase::WriteResult::Failed) ++droppedCount;
        removeAt(i);
    }
}

int count() { return keptCount; }
int dropped() { return droppedCount; }

void reset() {
    if (kept != nullptr) HeapFree(GetProcessHeap(), 0, kept);
    kept = nullptr;
    keptCount = 0;
    droppedCount = 0;
}

}  // namespace PendingRecords
