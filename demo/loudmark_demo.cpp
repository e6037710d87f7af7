// The demo: the simulated player plays a small playlist of real files in accelerated
// virtual time with Loudmark loaded, the listener adjusts a few songs, and the second
// time round the remembered volumes come back. It prints what happened as it happens.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <windows.h>

#include "controls/tray_indicator.h"
#include "host/plugin_record.h"
#include "host/settings_store.h"
#include "memory/database_maintenance.h"
#include "memory/song_tracker.h"
#include "player/simulated_player.h"
#include "sim/platform.h"

extern "C" PluginRecord* winampGetGeneralPurposePlugin();

namespace player = sim::player;

namespace {

constexpr char PLUGIN_PATH[] = "C:\\Program Files\\Winamp\\Plugins\\gen_loudmark.dll";

struct Song {
    const char* name;
    int lengthSeconds;
    int sizeBytes;
};

const Song SONGS[] = {
    {"Morning Light.mp3", 42, 3120451},
    {"Thunder Road (live).mp3", 55, 6410233},
    {"Quiet Harbour.ogg", 38, 2201874},
    {"Neon Rain.mp3", 47, 4088120},
};
constexpr int SONG_COUNT = sizeof SONGS / sizeof SONGS[0];

std::string clock() {
    uint32_t ms = sim::now();
    char text[32];
    snprintf(text, sizeof text, "%02u:%02u.%03u", ms / 60000, (ms / 1000) % 60, ms % 1000);
    return text;
}

void say(const char* format, const std::string& detail = "") {
    std::printf("[%s] %s%s\n", clock().c_str(), format, detail.c_str());
}

std::string songName(int index) {
    if (index < 0 || index >= SONG_COUNT) return "(none)";
    return SONGS[index].name;
}

// Watches what the listener would notice and reports each change once.
struct Observer {
    size_t requestsSeen = 0;
    std::string tip;
    std::string database;
    int position = -1;

    void look() {
        const auto& requests = player::requests();
        for (; requestsSeen < requests.size(); ++requestsSeen) {
            const auto& request = requests[requestsSeen];
            if (request.message == WM_USER && request.lParam == 122) {
                say("Loudmark sets the volume for \"", songName(player::position()) + "\" to " +
                                                           std::to_string(static_cast<int>(request.wParam)));
            }
        }
        if (player::position() != position && player::playing()) {
            position = player::position();
            say("the player starts ", "\"" + songName(position) + "\"  [song " + std::to_string(position + 1) + "/" +
                                         std::to_string(SONG_COUNT) + "]");
        }
        sim::TrayIcon icon;
        std::string nowTip = sim::findTrayIcon(player::window(), TRAY_ICON_ID, &icon) ? icon.tip : "(no icon)";
        if (nowTip != tip) {
            tip = nowTip;
            say("tray icon: ", "\"" + tip + "\"");
        }
        std::string nowDatabase = sim::readFile(SettingsStore::databasePath);
        if (nowDatabase != database) {
            reportRecords(database, nowDatabase);
            database = nowDatabase;
        }
    }

    static void reportRecords(const std::string& before, const std::string& after) {
        size_t start = 0;
        while (start < after.size()) {
            size_t end = after.find('\n', start);
            if (end == std::string::npos) end = after.size();
            std::string line = after.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line[0] == '"' && before.find(line) == std::string::npos) {
                say("record written: ", line);
            }
            start = end + 1;
        }
        if (after.empty() && !before.empty()) say("the volume database is now empty");
    }
};

Observer observer;

void run(double seconds) {
    uint32_t steps = static_cast<uint32_t>(seconds * 4);
    for (uint32_t i = 0; i < steps; ++i) {
        sim::advance(250);
        observer.look();
    }
}

void listener(const std::string& action) {
    std::printf("[%s] >> the listener %s\n", clock().c_str(), action.c_str());
}

void printFile(const char* title, const std::string& windowsPath) {
    std::printf("\n---- %s: %s\n", title, windowsPath.c_str());
    std::string text = sim::readFile(windowsPath);
    std::string clean;
    for (char c : text) {
        if (c != '\r') clean += c;
    }
    std::printf("%s", clean.empty() ? "(no file)\n" : clean.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::string machine = argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "loudmark-demo").string();
    std::filesystem::remove_all(machine);
    sim::reset(machine);
    sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
    sim::setModulePath(sim::pluginInstance(), PLUGIN_PATH);
    sim::writeFile(PLUGIN_PATH, "MZ");  // the module sits in the player's Plugins folder

    std::printf("Loudmark demo: a simulated Winamp with gen_loudmark.dll loaded, in virtual time.\n");
    std::printf("The simulated machine's drives are under %s\n\n", machine.c_str());

    std::vector<player::Entry> playlist;
    for (const Song& song : SONGS) {
        std::string path = std::string("C:\\Music\\") + song.name;
        sim::writeFile(path, std::string(static_cast<size_t>(song.sizeBytes), '\0'));
        playlist.push_back({path, song.lengthSeconds});
    }
    HWND host = player::start();
    player::setPlaylist(playlist);
    player::setVolume(130);

    PluginRecord* record = winampGetGeneralPurposePlugin();
    record->hwndParent = host;
    record->hDllInstance = sim::pluginInstance();
    record->init();
    say("the player loaded ", std::string("\"") + record->description + "\"");
    observer.look();

    std::printf("\n== First time through the playlist\n");
    player::play();
    listener("presses Play");
    run(10);
    listener("finds \"Morning Light\" too loud and turns the volume down to 96");
    player::setVolume(96);
    run(SONGS[0].lengthSeconds - 10 + 2);
    run(15);
    listener("turns \"Thunder Road (live)\" up to 200");
    player::setVolume(200);
    run(SONGS[1].lengthSeconds - 15 + 2);
    run(6);
    listener("holds both Ctrl keys and presses Up: the volume hotkey");
    sim::keyDown(VK_LCONTROL);
    sim::keyDown(VK_RCONTROL);
    sim::pressKey(VK_UP);
    sim::keyUp(VK_RCONTROL);
    sim::keyUp(VK_LCONTROL);
    say("the player's volume is now ", std::to_string(player::volume()));
    run(SONGS[2].lengthSeconds - 6 + 2);
    run(SONG_COUNT > 3 ? SONGS[3].lengthSeconds : 0);

    std::printf("\n== A new reference volume\n");
    player::setVolume(120);
    listener("sets the volume to 120 and double-clicks the tray icon");
    sim::trayMouse(host, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    run(2);
    say("every remembered song now plays relative to ", std::to_string(SongTracker::state.referenceVolume));

    std::printf("\n== Cleaning the database against the playlist\n");
    sim::writeFile(SettingsStore::databasePath, sim::readFile(SettingsStore::databasePath) +
                                                    "\"Old Song No Longer Here.mp3[1234]\"=300\r\n");
    observer.database = sim::readFile(SettingsStore::databasePath);
    say("a record of a song that left the playlist long ago is in the database");
    DatabaseMaintenance::clean();
    listener("presses \"Clean Volume Database\" in the configuration dialog");
    observer.look();
    printFile("volume database after Clean", SettingsStore::databasePath);

    std::printf("\n== Second time through: the remembered volumes come back\n");
    player::jumpTo(0);
    listener("starts the playlist again");
    int total = 0;
    for (const Song& song : SONGS) total += song.lengthSeconds;
    run(total + 2);

    record->quit();
    say("the player unloaded Loudmark");

    printFile("volume database", SettingsStore::databasePath);
    printFile("settings", SettingsStore::settingsPath);
    std::printf("\nThe real plug-in is build/win32/gen_loudmark.dll (scripts/build-dll.sh builds it).\n");
    std::printf("Install it by copying it into Winamp's Plugins folder, e.g. C:\\Program Files\\Winamp\\Plugins\\.\n");
    return 0;
}
