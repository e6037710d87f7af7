// The demo: the simulated player plays a small playlist of real files in accelerated
// virtual time with Loudmark loaded, the listener adjusts a few songs, and the second
// time round the remembered volumes come back. Then the same plug-in in Winamp 5.9,
// installed in Program Files and run by a standard user. It prints what happened as it
// happens.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <windows.h>

#include "controls/resource_ids.h"
#include "controls/tray_indicator.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "memory/song_tracker.h"
#include "player/simulated_player.h"
#include "sim/dialogs.h"
#include "sim/platform.h"

#include "demo_records.h"

extern "C" PluginRecord* winampGetGeneralPurposePlugin();

namespace player = sim::player;

namespace {

constexpr char PLUGIN_PATH[] = "C:\\Program Files\\Winamp\\Plugins\\gen_loudmark.dll";
// Where Winamp 5.9 lives today: a folder a standard user may read but not change.
constexpr char MODERN_PLUGINS[] = "C:\\Program Files (x86)\\Winamp\\Plugins";

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

std::string clock(uint32_t ms = sim::now()) {
    char text[32];
    snprintf(text, sizeof text, "%02u:%02u.%03u", ms / 60000, (ms / 1000) % 60, ms % 1000);
    return text;
}

void say(const std::string& what, const std::string& detail = "") {
    std::printf("[%s] %s%s\n", clock().c_str(), what.c_str(), detail.c_str());
}

// For what happened between two looks, at the moment it happened.
void sayAt(uint32_t ms, const std::string& what, const std::string& detail) {
    std::printf("[%s] %s%s\n", clock(ms).c_str(), what.c_str(), detail.c_str());
}

std::string songName(int index) {
    if (index < 0 || index >= SONG_COUNT) return "(none)";
    return SONGS[index].name;
}

// Songs started over the whole story: both passes through the playlist, and three songs
// on Winamp 5.9.
constexpr int MODERN_SONGS = 3;
constexpr int STORY_SONGS = 2 * SONG_COUNT + MODERN_SONGS;

std::string progressBar(int songsStarted) {
    constexpr int WIDTH = 16;
    int filled = songsStarted * WIDTH / STORY_SONGS;
    std::string bar = "[" + std::string(static_cast<size_t>(filled), '#') +
                      std::string(static_cast<size_t>(WIDTH - filled), '.') + "] ";
    return bar + std::to_string(songsStarted * 100 / STORY_SONGS) + "%";
}

// What a frame of the tray icon shows, for the account of an animation.
const char* frameName(int icon) {
    switch (icon) {
        case ICON_LOGO: return "logo";
        case ICON_DISC: return "disc";
        case ICON_UP: return "up";
        case ICON_DOWN: return "down";
        case ICON_LOGO_45: return "45";
        case ICON_LOGO_90: return "90";
        case ICON_LOGO_135: return "135";
        case ICON_LOGO_180: return "180";
        case ICON_LOGO_225: return "225";
        case ICON_LOGO_270: return "270";
        case ICON_LOGO_315: return "315";
        default: return "?";
    }
}

// Watches what the listener would notice and reports each change once.
struct Observer {
    size_t requestsSeen = 0;
    std::string tip;
    std::string database;
    int position = -1;
    int songsStarted = 0;
    int icon = 0;
    std::string frames;  // of the animation playing, as the icon showed them
    int frameCount = 0;

    void look() {
        const auto& requests = player::requests();
        for (; requestsSeen < requests.size(); ++requestsSeen) {
            const auto& request = requests[requestsSeen];
            // -666 asks a 5.x player for its slider; any other value sets the volume.
            if (request.message == WM_USER && request.lParam == 122 && static_cast<INT_PTR>(request.wParam) != -666) {
                sayAt(request.atMs, "Loudmark sets the volume for \"",
                      songName(player::position()) + "\" to " + std::to_string(static_cast<int>(request.wParam)));
            }
        }
        if (player::position() != position && player::playing()) {
            position = player::position();
            ++songsStarted;
            say("the player starts ", "\"" + songName(position) + "\"  (song " + std::to_string(position + 1) + "/" +
                                         std::to_string(SONG_COUNT) + ")  " + progressBar(songsStarted));
        }
        sim::TrayIcon shown;
        bool present = sim::findTrayIcon(player::window(), TRAY_ICON_ID, &shown);
        std::string nowTip = present ? shown.tip : "(no icon)";
        int nowIcon = present ? sim::iconResourceNumber(shown.icon) : 0;
        bool resting = nowTip.rfind("Reference Volume is", 0) == 0;
        if (!resting && (nowIcon != icon || frameCount == 0)) {
            frames += (frames.empty() ? "" : " ") + std::string(frameName(nowIcon));
            ++frameCount;
        }
        icon = nowIcon;
        if (nowTip != tip) {
            if (resting && frameCount > 0) {
                say("tray animation ended: ", std::to_string(frameCount) + " frames shown (" + frames + ")");
                frames.clear();
                frameCount = 0;
            }
            tip = nowTip;
            say(resting ? "tray icon at rest: " : "tray animation: ", "\"" + tip + "\"");
        }
        std::string nowDatabase = sim::readFile(SettingsStore::databasePath);
        if (nowDatabase != database) {
            reportRecords(database, nowDatabase);
            database = nowDatabase;
        }
    }

    // A new player: its log starts afresh, and so does what we have seen of it.
    void newPlayer() {
        requestsSeen = 0;
        position = -1;
        database.clear();
        tip.clear();
    }

    static void reportRecords(const std::string& before, const std::string& after) {
        for (const std::string& line : DemoRecords::newRecordLines(before, after)) {
            say("record written: ", line + DemoRecords::describeOffset(line));
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
    listener("opens the configuration dialog, presses \"Clean Volume Database\", then OK");
    size_t boxesBefore = sim::messageBoxes().size();
    sim::whileDialogOpen([](HWND dialog) {
        sim::click(dialog, IDC_CLEAN_DATABASE);
        observer.look();
        sim::click(dialog, IDOK);
    });
    record->config();
    for (size_t i = boxesBefore; i < sim::messageBoxes().size(); ++i) {
        say("notice \"" + sim::messageBoxes()[i].caption + "\": ", sim::messageBoxes()[i].text);
    }
    for (const auto& problem : sim::dialogErrors()) say("dialog trouble: ", problem);
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

    std::printf("\n== The same plug-in in Winamp 5.9, in Program Files, run by a standard user\n");
    std::string modulePath = std::string(MODERN_PLUGINS) + "\\gen_loudmark.dll";
    sim::setModulePath(sim::pluginInstance(), modulePath);
    sim::writeFile(modulePath, "MZ");
    sim::refuseWritesIn(MODERN_PLUGINS);
    HWND modern = player::startModern();
    player::setPlaylist(playlist);
    player::setVolume(130);
    observer.newPlayer();
    record->hwndParent = modern;
    record->init();
    say("Winamp 5.9 loaded Loudmark; its Plugins folder cannot be written, so the files live in ",
        SettingsStore::databasePath);
    player::play();
    listener("presses Play");
    run(10);
    listener("turns \"Morning Light\" down to 90, and 5 s later double-clicks \"Quiet Harbour\"");
    player::setVolume(90);
    run(5);
    player::jumpTo(2);
    sim::pump();
    observer.look();
    say("the player announced the new song: its volume is set as it starts, and \"Morning Light\" is "
        "recorded with the volume it had");
    run(SONGS[2].lengthSeconds + 2);
    record->quit();
    say("the player unloaded Loudmark");
    printFile("volume database", SettingsStore::databasePath);
    printFile("settings", SettingsStore::settingsPath);
    std::printf("\nThe real plug-in is build/win32/gen_loudmark.dll: build it with\n"
                "    cmake --preset win32 && cmake --build --preset win32\n"
                "or make the zip and the installer in dist/ with scripts/package.sh.\n");
    std::printf("Install it by copying it into Winamp's Plugins folder (e.g. C:\\Program Files\\Winamp\\Plugins)\n"
                "and restarting Winamp, or run dist/loudmark-0.5-setup.exe. The same story with the\n"
                "real DLL under Wine: scripts/demo.sh --wine\n");
    return 0;
}
