#include "memory/song_paths.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/side_thread.h"
#include "memory/database_maintenance_size.h"
#include "memory/song_key.h"

namespace SongPaths {

namespace {

// One thread asks the sizes of the first part of the list, a second those of the rest:
// the platform answers both at once (they never wait on each other under Wine either).
constexpr int SIZING_THREADS = 2;
constexpr int SONGS_WORTH_A_THREAD = 256;
// A path's length in a large library, about: what a chunk's paths are made room for.
constexpr size_t TYPICAL_PATH = 128;

void* allocate(size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }
void freeMemory(void* memory) {
    if (memory != nullptr) HeapFree(GetProcessHeap(), 0, memory);
}

struct SizingJob {
    Table* table;
    int begin;
    int end;
    LaterWindows::FileAttributesQuery query;
};

DWORD WINAPI sizeRange(LPVOID parameter) {
    SizingJob* job = static_cast<SizingJob*>(parameter);
    for (int i = job->begin; i < job->end; ++i) {
        if (job->table->sizes[i] != DatabaseMaintenance::SongList::SIZE_UNKNOWN) continue;
        const char* path = pathOf(*job->table, i);
        job->table->sizes[i] = path != nullptr ? DatabaseMaintenance::quickFileSize(path, job->query) : -1;
    }
    return 0;
}

// Sizes every song, the second half on a thread of its own when there are enough of
// them; a thread that cannot be had leaves its share to this one.
void sizeAll(Table* table) {
    SizingJob jobs[SIZING_THREADS];
    HANDLE threads[SIZING_THREADS] = {};
    int share = (table->count + SIZING_THREADS - 1) / SIZING_THREADS;
    LaterWindows::FileAttributesQuery query = LaterWindows::fileAttributesQuery();
    for (int t = 0; t < SIZING_THREADS; ++t) {
        int begin = t * share;
        int end = begin + share < table->count ? begin + share : table->count;
        jobs[t] = SizingJob{table, begin < end ? begin : end, end, query};
    }
    // Sizes a folder listing gave need no asking: a thread only for enough that do.
    int unknown = 0;
    for (int i = 0; i < table->count; ++i) unknown += table->sizes[i] == DatabaseMaintenance::SongList::SIZE_UNKNOWN;
    bool parallel = unknown >= SONGS_WORTH_A_THREAD;
    for (int t = 1; t < SIZING_THREADS && parallel; ++t) threads[t] = SideThread::start(sizeRange, &jobs[t]);
    sizeRange(&jobs[0]);
    for (int t = 1; t < SIZING_THREADS; ++t) SideThread::finish(threads[t], sizeRange, &jobs[t]);
}

}  // namespace

bool gather(const DatabaseMaintenance::SongList& songs, int first, int count, Table* table) {
    if (count < 0) count = 0;
    if (count > CHUNK) count = CHUNK;
    // Made for the first chunk, the largest: the rest fit where it was.
    if (table->offsets == nullptr) {
        size_t slots = static_cast<size_t>(count) + 1;
        table->offsets = static_cast<uint32_t*>(allocate(sizeof(uint32_t) * slots));
        table->sizes = static_cast<int*>(allocate(sizeof(int) * slots));
        table->capacity = count;
        table->text.expect(static_cast<size_t>(count) * TYPICAL_PATH);
    }
    if (table->offsets == nullptr || table->sizes == nullptr || count > table->capacity) return false;
    table->count = count;
    table->text.length = 0;
    // The list's own questions (the host's, for a playlist) come from this thread only.
    for (int i = 0; i < table->count; ++i) {
        table->offsets[i] = NO_PATH;
        table->sizes[i] = -1;
        // Copied straight to its place in the table.
        char* path = table->text.room(SONG_KEY_CAPACITY);
        if (path == nullptr) return false;
        if (!songs.pathOf(songs.context, first + i, path, SONG_KEY_CAPACITY)) continue;
        table->sizes[i] = songs.knownSizeOf != nullptr ? songs.knownSizeOf(songs.context, first + i)
                                                       : DatabaseMaintenance::SongList::SIZE_UNKNOWN;
        size_t length = BoundedText::length(path, SONG_KEY_CAPACITY);
        table->offsets[i] = static_cast<uint32_t>(table->text.length);
        table->text.length += length + 1;  // with its zero
    }
    sizeAll(table);
    if (songs.wideSizeOf != nullptr) {
        for (int i = 0; i < table->count; ++i) {
            if (table->offsets[i] != NO_PATH && table->sizes[i] == -1) {
                table->sizes[i] = songs.wideSizeOf(songs.context, first + i);
            }
        }
    }
    return true;
}

const char* pathOf(const Table& table, int index) {
    if (index < 0 || index >= table.count || table.offsets[index] == NO_PATH) return nullptr;
    return table.text.bytes + table.offsets[index];
}

void release(Table* table) {
    table->text.release();
    freeMemory(table->offsets);
    freeMemory(table->sizes);
    *table = Table();
}

}  // namespace SongPaths
