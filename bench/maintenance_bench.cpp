// The Clean pass over a big library: the fast pass (one read of the database, one write
// of the rebuild file) beside the step-by-step pass through the per-key profile
// functions, in one run so that their figures compare. Every playlist entry is a real
// file with a record; nothing is trimmed, so every record is written again.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "adapters/bounded_text.h"
#include "adapters/host_link.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "memory/database_maintenance.h"
#include "memory/database_maintenance_literal.h"
#include "player/simulated_player.h"
#include "sim/platform.h"

namespace {

constexpr char DATABASE[] = "C:\\Plugins\\volume.ini";
constexpr int SONGS_PER_FOLDER = 1000;

struct Library {
    std::vector<sim::player::Entry> playlist;
    std::string database;
};

// `songs` files of a few hundred bytes in folders of a thousand, and the database that
// holds a record for each. The files stay on disk between runs.
const Library& libraryOf(int songs) {
    static std::vector<std::pair<int, Library>> made;
    for (const auto& entry : made) {
        if (entry.first == songs) return entry.second;
    }
    std::mt19937 random(songs);
    Library library;
    library.database = "[Tamsel Loudmark]\r\n";
    for (int i = 0; i < songs; ++i) {
        std::string folder = "C:\\Library\\" + std::to_string(songs) + "\\" + std::to_string(i / SONGS_PER_FOLDER);
        std::string name = "Artist " + std::to_string(i % 97) + " - Track " + std::to_string(i) + ".mp3";
        int size = 100 + static_cast<int>(random() % 400);
        std::string path = folder + "\\" + name;
        if (!sim::fileExists(path) || sim::readFile(path).size() != static_cast<size_t>(size)) {
            sim::writeFile(path, std::string(static_cast<size_t>(size), 'x'));
        }
        library.playlist.push_back({path, 200});
        int stored = static_cast<int>(random() % 510);
        if (stored >= 255) ++stored;  // the tracker never writes 255
        library.database += "\"" + name + "[" + std::to_string(size) + "]\"=" + std::to_string(stored) + "\r\n";
    }
    made.emplace_back(songs, library);
    return made.back().second;
}

void setUpMachine(int songs) {
    sim::reset("/tmp/loudmark-maintenance-bench");
    pluginRecord.hwndParent = sim::player::start();
    HostLink::attach(pluginRecord.hwndParent);
    BoundedText::copy(SettingsStore::databasePath, MAX_PATH, DATABASE);
    settings = DEFAULT_SETTINGS;
    sim::player::setPlaylist(libraryOf(songs).playlist);
}

void runPass(benchmark::State& state, void (*pass)(bool)) {
    int songs = static_cast<int>(state.range(0));
    setUpMachine(songs);
    const Library& library = libraryOf(songs);
    for (auto _ : state) {
        state.PauseTiming();
        sim::writeFile(DATABASE, library.database);
        state.ResumeTiming();
        pass(false);
    }
    if (sim::readFile(DATABASE) != library.database) state.SkipWithError("the pass lost or changed records");
    state.counters["per_entry"] =
        benchmark::Counter(static_cast<double>(songs) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

void FastPass(benchmark::State& state) {
    runPass(state, [](bool trim) { DatabaseMaintenance::rebuild(trim); });
}
void LiteralPass(benchmark::State& state) { runPass(state, DatabaseMaintenance::rebuildLiteral); }

}  // namespace

BENCHMARK(FastPass)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LiteralPass)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
