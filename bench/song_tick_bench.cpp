// One song change against volume databases of growing size, as a 5.x host announces
// the start: the new song's record is read from memory, the ended song's written with
// the profile functions, whose cost follows the database file's.
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
    sim::player::play();
    SongTracker::state = SongTracker::State();
    SongTracker::start();
    SongTracker::onAnnouncedStart();  // the first song, picked up
}

void BM_SongChangeTick(benchmark::State& state) {
    prepare(static_cast<int>(state.range(0)));
    int round = 0;
    for (auto _ : state) {
        // Each round: the song playing ends at a new volume, and the other one starts.
        sim::player::setVolume(60 + (round % 40));
        sim::player::jumpTo(round++ % 2);
        SongTracker::onAnnouncedStart();  // as a 5.x host announces the start
    }
    // Every round a song change: the song playing when it began has its record (the other
    // one too, from the second round on).
    if (sim::readFile(DATABASE).find("\"next.mp3[2000]\"=") == std::string::npos) {
        state.SkipWithError("the song changes wrote no record");
    }
    state.SetLabel(std::to_string(state.range(0)) + " records");
}

}  // namespace

BENCHMARK(BM_SongChangeTick)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
