// stats: how big the database is, how much of it the listener's songs still match, and
// how the values spread.
#include <stdio.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "memory/database_maintenance.h"
#include "memory/trim_band.h"
#include "memory/volume_database.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/database_file.h"
#include "tool/exit_codes.h"
#include "tool/song_collection.h"

namespace Commands {

namespace {

constexpr long long BUCKET_STEPS = 32;
// The steps a record of the plug-in's can hold, -255..+255; hand-edited values beyond
// fall into the two outer buckets.
constexpr long long FIRST_BUCKET = -8;
constexpr long long LAST_BUCKET = 7;
constexpr size_t BAR_WIDTH = 40;

long long bucketOf(int value) {
    long long steps = VolumeDatabase::stepsFromReference(value);
    long long bucket = steps >= 0 ? steps / BUCKET_STEPS : -((-steps + BUCKET_STEPS - 1) / BUCKET_STEPS);
    return std::min(std::max(bucket, FIRST_BUCKET), LAST_BUCKET);
}

void printSpread(const std::vector<DatabaseFile::Record>& records) {
    std::vector<int> values;
    for (const auto& record : records) values.push_back(record.value);
    std::sort(values.begin(), values.end());
    Console::out("Stored values: lowest %d, median %d, highest %d\n", values.front(), values[values.size() / 2],
                 values.back());
    Console::out("Steps from the reference (stored value - 255):\n");
    size_t buckets[LAST_BUCKET - FIRST_BUCKET + 1] = {};
    for (int value : values) ++buckets[bucketOf(value) - FIRST_BUCKET];
    size_t fullest = *std::max_element(std::begin(buckets), std::end(buckets));
    for (long long bucket = FIRST_BUCKET; bucket <= LAST_BUCKET; ++bucket) {
        size_t count = buckets[bucket - FIRST_BUCKET];
        if (count == 0) continue;
        char from[16] = "   ...";
        char to[16] = "   ...";
        if (bucket != FIRST_BUCKET) snprintf(from, sizeof from, "%+6lld", bucket * BUCKET_STEPS);
        if (bucket != LAST_BUCKET) snprintf(to, sizeof to, "%+6lld", bucket * BUCKET_STEPS + BUCKET_STEPS - 1);
        char number[32];
        std::string bar((count * BAR_WIDTH + fullest - 1) / fullest, '#');
        Console::out("  %s .. %s  %9s  %s\n", from, to, Console::count(count, number, sizeof number), bar.c_str());
    }
    Console::out("Inside the trim bands:");
    for (int choice = 1; choice <= 3; ++choice) {
        TrimBand band = TrimBand::forChoice(choice);
        size_t inside = 0;
        for (int value : values) inside += band.contains(value) ? 1 : 0;
        char number[32];
        Console::out(" %s %s%s", CommandLine::bandName(choice), Console::count(inside, number, sizeof number),
                     choice < 3 ? "," : "\n");
    }
}

}  // namespace

int stats(const ToolArguments& arguments, const DatabaseLocation::Found& location) {
    DatabaseFile::Text text;
    bool present = false;
    int status = DatabaseFile::read(location, &text, &present);
    if (!present) return status;
    std::vector<DatabaseFile::Record> records;
    if (!DatabaseFile::records(text, &records)) {
        Console::err("loudmark-db: %s cannot be read\n", location.databasePath);
        return ExitCode::DATABASE_MISSING;
    }
    size_t unmatchable = 0;
    for (const auto& record : records) unmatchable += record.unmatchable != DatabaseFile::Unmatchable::No ? 1 : 0;
    char number[32];
    char other[32];
    DatabaseLocation::explain(location, true);
    Console::out("Records: %s (%s never matched)\n", Console::count(records.size(), number, sizeof number),
                 Console::count(unmatchable, other, sizeof other));

    if (!arguments.operands.empty() || arguments.playerPlaylist) {
        if (!SongCollection::gather(arguments.wideOperands, arguments.playerPlaylist, location)) {
            status = ExitCode::worst(status, ExitCode::SOURCE_UNREADABLE);
        }
        // The pass itself, changing nothing: matched is what a clean would keep.
        DatabaseMaintenance::PassOptions options;
        options.dryRun = true;
        DatabaseMaintenance::PassReport report;
        if (!text.fromUnicode) {
            report = DatabaseMaintenance::rebuild(SongCollection::asSongList(), options, location.databasePath);
        }
        if (report.done) {
            size_t songs = static_cast<size_t>(SongCollection::count());
            Console::out("The %s in the sources match%s %s; %s match%s no song.\n",
                         Console::counted(songs, "song", "songs").c_str(), songs == 1 ? "es" : "",
                         Console::counted(report.kept, "record", "records").c_str(),
                         Console::counted(report.dropped, "record", "records").c_str(), report.dropped == 1 ? "es" : "");
        } else {
            if (text.fromUnicode) DatabaseFile::sayNotPassedAsUnicode(location);
            else Console::err("loudmark-db: %s cannot be read\n", location.databasePath);
            status = ExitCode::worst(status, ExitCode::DATABASE_MISSING);
        }
    }
    if (!records.empty()) printSpread(records);
    return status;
}

}  // namespace Commands
