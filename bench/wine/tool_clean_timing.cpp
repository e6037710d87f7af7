// Where the time of `loudmark-db clean --dry-run` goes under the real platform: the
// database read, the folder walk with the line check and the index made beside it, what
// is left of the check to wait for after the walk, and the maintenance pass (which asks
// every song's size and decides what goes); then the check and the index alone.
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
    double read = now();

    // As the command does it: the line check and the index beside the walk.
    DatabaseFile::startCheck(location, &text, true);
    double start = now();
    bool complete = SongCollection::gather(sources, false, location);
    double scanned = now();
    bool indexLoaded = DatabaseFile::finishCheck();
    double checked = now();
    DatabaseMaintenance::PassOptions options;
    options.dryRun = true;
    options.indexLoaded = indexLoaded;
    DatabaseMaintenance::PassReport report = DatabaseMaintenance::rebuild(SongCollection::asSongList(), options, argv[1]);
    double passed = now();

    // The check and the index alone, on this thread, for comparison.
    double aloneStart = now();
    DatabaseFile::startCheck(location, &text, true);
    DatabaseFile::finishCheck();
    DatabaseIndex::release();
    double alone = now();

    printf("database read:        %7.0f ms  (%zu bytes)\n", read - readStart, text.bytes.size());
    printf("folder walk:          %7.0f ms  (%d songs%s), the check and the index beside it\n", scanned - start,
           SongCollection::count(), complete ? "" : ", incomplete");
    printf("waited for the check: %7.0f ms  (it takes %.0f ms alone)\n", checked - scanned, alone - aloneStart);
    printf("maintenance pass:     %7.0f ms  (kept %lu, would go %lu)\n", passed - checked,
           static_cast<unsigned long>(report.kept), static_cast<unsigned long>(report.dropped));
    printf("all of it:            %7.0f ms\n", passed - readStart);
    return report.done ? 0 : 1;
}
