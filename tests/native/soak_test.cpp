// A long listening session with the plug-in loaded: thousands of song changes while the
// listener turns the volume, jumps, pauses, stops, edits the playlist, re-encodes songs,
// uses the hotkeys and the tray icon, changes the trim settings and runs the Clean and
// Trim passes, all at random from a fixed seed. A small model of its own says what the
// database must hold; every tick of the tracker and every pass is checked against it.
//
// LOUDMARK_SOAK_CHANGES sets how many song changes to run (10,000 by default);
// LOUDMARK_SOAK_SEED picks another session.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "controls/tray_indicator.h"
#include "plugin/host_window_hook.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "memory/database_maintenance.h"
#include "memory/song_tracker.h"
#include "plugin_test_support.h"

extern "C" PluginRecord* winampGetGeneralPurposePlugin();

using namespace testsupport;
namespace player = sim::player;

namespace {

constexpr int SET_VOLUME = 122;

long environmentNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtol(text, nullptr, 10) : fallback;
}

std::string folded(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// One file the playlist can name; two entries may name the same file, and two files in
// different folders may share a name and a size (and so a record).
struct SongFile {
    std::string path;
    std::string name;
    int size;  // -1: the file is missing
    int lengthSeconds;
};

// What the records must be, worked out from what the listener and the player did.
struct Model {
    std::map<std::string, int> records;  // by key with letters folded, as the platform matches them
    std::vector<int> playlist;           // indices into the files
    int reference = 130;
    int lastPosition = -1;
    // The song followed since it started: its path, and its key as it was then.
    std::string playingPath;
    std::string playingKey;

    static bool inBand(int choice, int value) {
        int lower = 98, upper = 162;
        if (choice == 2) lower = 82, upper = 178;
        if (choice == 3) lower = 66, upper = 194;
        return value > lower && value < upper;
    }
};

struct Figures {
    long songChanges = 0;
    long recordsWritten = 0;
    long volumesApplied = 0;
    long ticks = 0;
    long passes = 0;
    long actions = 0;
};

class Soak : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        HostWindowHook::state = HostWindowHook::State();
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
        self = this;
    }

    void TearDown() override {
        self = nullptr;
        PluginScenario::TearDown();
    }

    std::string keyOf(int fileIndex) const {
        const SongFile& file = files[fileIndex];
        return folded("\"" + file.name + "[" + std::to_string(file.size) + "]\"");
    }

    void makeFiles(std::mt19937& random) {
        const char* folders[] = {"C:\\Music\\", "C:\\Music\\Live\\", "D:\\Backup\\"};
        for (int i = 0; i < 30; ++i) {
            SongFile file;
            file.name = "song " + std::to_string(i) + (i % 4 == 0 ? ".ogg" : ".mp3");
            file.path = folders[i % 3] + file.name;
            file.lengthSeconds = 5 + static_cast<int>(random() % 40);
            file.size = 100 + static_cast<int>(random() % 3000);
            if (i % 11 == 10) {
                file.size = -1;  // on the playlist, gone from the disk
            } else {
                sim::writeFile(file.path, std::string(static_cast<size_t>(file.size), 'x'));
            }
            files.push_back(file);
        }
        // The same song in another folder, in other letters: one record for both.
        SongFile twin = files[1];
        twin.path = "D:\\Copies\\SONG 1.MP3";
        twin.name = "SONG 1.MP3";
        sim::writeFile(twin.path, std::string(static_cast<size_t>(twin.size), 'x'));
        files.push_back(twin);
    }

    player::Entry entryOf(int fileIndex) const { return {files[fileIndex].path, files[fileIndex].lengthSeconds}; }

    // ---- the tracker's ticks, seen just before and just after the plug-in handles them

    static LRESULT CALLBACK spy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        bool tick = message == WM_TIMER && wParam == SongTracker::state.timerId && settings.enabled;
        if (!tick) return CallWindowProcA(self->pluginProcedure, window, message, wParam, lParam);
        self->beforeTick();
        LRESULT result = CallWindowProcA(self->pluginProcedure, window, message, wParam, lParam);
        self->afterTick();
        return result;
    }

    struct Expectation {
        bool change = false;
        bool volumeExpected = false;
        int volume = 0;
    } expected;
    size_t requestsBefore = 0;

    void beforeTick() {
        ++figures.ticks;
        expected = Expectation();
        requestsBefore = player::requests().size();
        if (!player::playing()) return;
        int position = player::position();
        const SongFile& now = files[model.playlist[position]];
        // Another song is another file, wherever it stands: the same file at another
        // index (entries inserted or removed above it) sets nothing and records nothing.
        bool first = model.lastPosition == -1;
        if (!first && now.path == model.playingPath) {
            model.lastPosition = position;
            return;
        }
        expected.change = true;

        std::string endedKey = model.playingKey;
        model.lastPosition = position;
        model.playingPath = now.path;
        model.playingKey = keyOf(model.playlist[position]);
        int endVolume = player::volume();
        // The new song's volume comes from its record as it stands before the ended
        // song's record is written.
        auto record = model.records.find(model.playingKey);
        int volume = record == model.records.end() ? model.reference : record->second + model.reference - 255;
        expected.volumeExpected = true;
        expected.volume = volume < 0 ? 0 : volume > 255 ? 255 : volume;
        if (first) return;
        ++figures.songChanges;
        if (endVolume == model.reference) return;
        if (settings.trim && Model::inBand(settings.trimTo, endVolume)) return;
        model.records[endedKey] = endVolume - model.reference + 255;
        ++figures.recordsWritten;
    }

    void afterTick() {
        std::vector<int> sent;
        const auto& requests = player::requests();
        for (size_t i = requestsBefore; i < requests.size(); ++i) {
            if (requests[i].message == WM_USER && requests[i].lParam == SET_VOLUME) {
                sent.push_back(static_cast<int>(requests[i].wParam));
            }
        }
        if (expected.volumeExpected) {
            ++figures.volumesApplied;
            EXPECT_EQ(sent, std::vector<int>{expected.volume}) << where();
        } else {
            EXPECT_TRUE(sent.empty()) << where();
        }
        EXPECT_EQ(SongTracker::state.lastPosition, model.lastPosition) << where();
        checkDatabase();
    }

    // The database as the platform wrote it, one record per key, against the model.
    void checkDatabase() {
        std::string bytes = sim::readFile(DATABASE_PATH);
        std::map<std::string, int> found;
        size_t start = 0;
        bool inSection = false;
        while (start < bytes.size()) {
            size_t end = bytes.find("\r\n", start);
            std::string line = bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
            start = end == std::string::npos ? bytes.size() : end + 2;
            if (line == "[Tamsel Loudmark]") {
                inSection = true;
                continue;
            }
            size_t equals = line.find('=');
            ASSERT_TRUE(inSection && equals != std::string::npos) << "stray line [" << line << "] " << where();
            std::string key = folded(line.substr(0, equals));
            EXPECT_EQ(found.count(key), 0u) << "two records for " << key << " " << where();
            found[key] = std::atoi(line.c_str() + equals + 1);
        }
        if (found != model.records) {
            ADD_FAILURE() << "the database differs from the model " << where() << "\nfile:\n" << bytes;
            model.records = found;  // report once, then go on from what is there
        }
    }

    std::string where() const {
        return "(after " + std::to_string(figures.songChanges) + " song changes, at " + std::to_string(sim::now()) +
               " ms)";
    }

    // ---- the listener

    void hotkey(int vk) {
        sim::keyDown(VK_LCONTROL);
        sim::keyDown(VK_RCONTROL);
        sim::pressKey(vk);
        sim::releaseAllKeys();
    }

    void maintenance(bool trim) {
        ++figures.passes;
        if (trim) {
            DatabaseMaintenance::trim();
        } else {
            DatabaseMaintenance::clean();
        }
        std::map<std::string, bool> onPlaylist;
        for (int fileIndex : model.playlist) onPlaylist[keyOf(fileIndex)] = true;
        bool trimming = trim || settings.trim;
        for (auto it = model.records.begin(); it != model.records.end();) {
            bool keep = onPlaylist.count(it->first) != 0 && !(trimming && Model::inBand(settings.trimTo, it->second));
            it = keep ? std::next(it) : model.records.erase(it);
        }
        checkDatabase();
    }

    void act(std::mt19937& random) {
        ++figures.actions;
        int size = static_cast<int>(model.playlist.size());
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        int roll = pick(100);
        if (roll < 30) {
            // Mostly near the reference, where the trim band and "no change" live.
            player::setVolume(pick(3) == 0 ? pick(256) : model.reference - 40 + pick(81));
        } else if (roll < 40) {
            player::jumpTo(pick(size));
        } else if (roll < 46) {
            player::pause();
        } else if (roll < 49) {
            player::stop();
        } else if (roll < 55) {
            player::play();
        } else if (roll < 58) {
            player::next();
        } else if (roll < 63) {
            int at = pick(size + 1);
            int fileIndex = pick(static_cast<int>(files.size()));
            player::insertEntry(at, entryOf(fileIndex));
            model.playlist.insert(model.playlist.begin() + at, fileIndex);
        } else if (roll < 67 && size > 4) {
            int at = pick(size);
            player::removeEntry(at);
            model.playlist.erase(model.playlist.begin() + at);
        } else if (roll < 69) {
            // The listener re-encodes a song: same name, another size, another key.
            SongFile& file = files[pick(static_cast<int>(files.size()))];
            if (file.size >= 0) {
                file.size = 100 + pick(3000);
                sim::writeFile(file.path, std::string(static_cast<size_t>(file.size), 'x'));
            }
        } else if (roll < 76) {
            hotkey(pick(2) == 0 ? VK_UP : VK_DOWN);
        } else if (roll < 79) {
            model.reference = player::volume();  // the double click adopts the current volume
            sim::trayMouse(player::window(), TRAY_ICON_ID, WM_LBUTTONDBLCLK);
        } else if (roll < 82) {
            model.lastPosition = -1;  // the right click starts the tracker over
            model.playingPath.clear();
            sim::trayMouse(player::window(), TRAY_ICON_ID, WM_RBUTTONUP);
        } else if (roll < 84) {
            const int choices[] = {-1, 1, 2, 3, 5};
            settings.trim = pick(2);
            settings.trimTo = choices[pick(5)];
        } else if (roll < 86) {
            maintenance(pick(2) == 0);
        }
        // Otherwise the listener just listens.
        sim::advance(static_cast<uint32_t>(200 + pick(25000)));
    }

    static Soak* self;
    WNDPROC pluginProcedure = nullptr;
    std::vector<SongFile> files;
    Model model;
    Figures figures;
};

Soak* Soak::self = nullptr;

TEST_F(Soak, EveryRecordAndEveryAppliedVolumeMatchesTheModelThroughALongSession) {
    const long changes = environmentNumber("LOUDMARK_SOAK_CHANGES", 10000);
    std::mt19937 random(static_cast<uint32_t>(environmentNumber("LOUDMARK_SOAK_SEED", 20261208)));
    makeFiles(random);
    std::vector<player::Entry> entries;
    for (int i = 0; i < 24; ++i) {
        int fileIndex = static_cast<int>(random() % files.size());
        model.playlist.push_back(fileIndex);
        entries.push_back(entryOf(fileIndex));
    }
    player::setPlaylist(entries);
    player::setRepeat(true);

    PluginRecord* record = winampGetGeneralPurposePlugin();
    record->hwndParent = player::window();
    record->hDllInstance = sim::pluginInstance();
    record->init();
    ASSERT_EQ(settings.enabled, 1);
    // Our spy sits over the plug-in's hook and sees each tick before and after it.
    pluginProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(player::window(), GWLP_WNDPROC));
    SetWindowLongPtrA(player::window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&spy));
    player::play();

    while (figures.songChanges < changes && !HasFailure()) {
        act(random);
        if (player::requests().size() > 100000) player::clearLog();
    }

    SetWindowLongPtrA(player::window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pluginProcedure));
    record->quit();
    EXPECT_TRUE(sim::messageBoxes().empty());
    EXPECT_GT(figures.recordsWritten, figures.songChanges / 4);
    EXPECT_GT(figures.passes, 0);
    std::printf("soak: %ld song changes, %ld records written, %ld volumes applied, %ld ticks, %ld passes, "
                "%ld listener actions, %.1f virtual hours, %zu records at the end\n",
                figures.songChanges, figures.recordsWritten, figures.volumesApplied, figures.ticks, figures.passes,
                figures.actions, sim::now() / 3600000.0, model.records.size());
}

}  // namespace
