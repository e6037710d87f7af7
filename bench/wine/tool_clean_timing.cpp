// Where the time of `loudmark-db clean --dry-run` goes under the real platform: the
// database read and checked line by line as the command does first, the folder walk, the
// database read into the index alone, and the whole maintenance pass (which reads the
// index again, asks every song's size and decides what goes).
// Usage: loudmark_db_timing.exe <volume.ini> <folder>
#include <windows.h>

#include <cstdio>
#include <vector>

#include "memory/database_maintenance.h"
#include "memory/database_index.h"
#include "tool/console.h"
#include "tool/database_location.h"
#include "tool/database_file.h"
#include "tool/song_collection.h"

namespace {

double now() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void toStderr(void*, Console::Stream, const char* text, size_t length) { fwrite(text, 1, length, stderr); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 1;
    Console::attach(Console::Sink{toStderr, nullptr, false, nullptr});
    DatabaseLocation::Found location;
    DatabaseLocation::find(argv[1], &location);
    WCHAR folder[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, folder, MAX_PATH);
    std::vector<const WCHAR*> sources = {folder};

    double readStart = now();
    DatabaseFile::Text text;
    bool present = false;
    DatabaseFile::read(location, &text, &present, DatabaseFile::Purpose::Pass);
    double checked = now();

    double start = now();
    bool complete = SongCollection::gather(sources, false, location);
    double scanned = now();
    DatabaseIndex::load(argv[1]);
    DatabaseIndex::release();
    double indexed = now();
    DatabaseMaintenance::PassOptions options;
    options.dryRun = true;
    DatabaseMaintenance::PassReport report = DatabaseMaintenance::rebuild(SongCollection::asSongList(), options, argv[1]);
    double passed = now();

    printf("database checked: %7.0f ms  (%zu bytes)\n", checked - readStart, text.bytes.size());
    printf("folder walk:      %7.0f ms  (%d songs%s)\n", scanned - start, SongCollection::count(),
           complete ? "" : ", incomplete");
    printf("index alone:      %7.0f ms\n", indexed - scanned);
    printf("maintenance pass: %7.0f ms  (kept %lu, would go %lu)\n", passed - indexed,
           static_cast<unsigned long>(report.kept), static_cast<unsigned long>(report.dropped));
    printf("checked + walk + pass: %7.0f ms\n", (checked - readStart) + (scanned - start) + (passed - indexed));
    return report.done ? 0 : 1;
}
