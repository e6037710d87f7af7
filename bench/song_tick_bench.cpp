// One song-change tick against volume databases of growing size: the tick reads the new
// song's record and writes the ended song's, so its cost follows the database file's.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "adapters/host_link.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "memory/song_tracker.h"
#include "player/simulated_player.h"
#include "sim/platform.h"

namespace {

constexpr char DATABASE[] = "C:\\Winamp\\Plugins\\volume.ini";

void prepare(int records) {
    std::string root = (std::filesystem::temp_directory_path() / "loudmark-bench-tick").string();
    std::filesystem::remove_all(root);
    sim::reset(root);
    pluginRecord.hwndParent = sim::player::start();
    HostLink::attach(pluginRecord.hwndParent);
    settings = DEFAULT_SETTINGS;
    snprintf(SettingsStore::databasePath, MAX_PATH, "%s", DATABASE);

    std::string file = "[Tamsel Loudmark]\r\n";
    for (int i = 0; i < records; ++i) {
        file += "\"song" + std::to_string(i) + ".mp3[" + std::to_string(4000000 + i) + "]\"=" +
                std::to_string(200 + i % 100) + "\r\n";
    }
    sim::writeFile(DATABASE, file);
    sim::writeFile("C:\\Music\\ended.mp3", std::string(1000, 'x'));
    sim::writeFile("C:\\Music\\next.mp3", std::string(2000, 'x'));
    sim::player::setPlaylist({{"C:\\Music\\ended.mp3", 200}, {"C:\\Music\\next.mp3", 200}});
    sim::player::jumpTo(1);
    SongTracker::state = SongTracker::State();
    SongTracker::start();
}

void BM_SongChangeTick(benchmark::State& state) {
    prepare(static_cast<int>(state.range(0)));
    int volume = 0;
    for (auto _ : state) {
        // Each round: entry 0 ended at a new volume, entry 1 has started.
        SongTracker::state.lastPosition = 0;
        sim::player::setVolume(60 + (volume++ % 40));
        SongTracker::onTick();
    }
    state.SetLabel(std::to_string(state.range(0)) + " records");
}

}  // namespace

BENCHMARK(BM_SongChangeTick)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
