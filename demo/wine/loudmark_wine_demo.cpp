// The demo's story with the real plug-in: the 64-bit build of gen_loudmark.dll, loaded
// under wine64 by a host that plays Winamp's part (tests/wine/host_player) with a
// playlist of short real files in real time. The listener turns one song down and
// another up, presses the volume hotkey, double-clicks the tray icon, runs a Clean pass
// from the real configuration dialog, and the second time round the remembered volumes
// come back. Prints the account as it happens, then the two files.
//
//   loudmark_wine_demo.exe <gen_loudmark.dll> <work folder>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo_account.h"
#include "dialog_driver.h"
#include "host_files.h"
#include "host_player.h"
#include "keyboard_input.h"
#include "message_box_watcher.h"
#include "plugin_record_view.h"
#include "tray_spy.h"

namespace {

// What the plug-in and its tray icon answer to (src/controls/); a host knows them as
// any program on the machine would.
constexpr UINT TRAY_ICON_ID = 3021;
constexpr UINT TRAY_CALLBACK = WM_USER + 27;
constexpr UINT VOLUME_UP_COMMAND = 40058;
constexpr WPARAM HOTKEY_UP = 1999;
constexpr char SECTION[] = "Tamsel Loudmark";
constexpr char DIALOG_CAPTION[] = "Configure Loudmark";
constexpr int CLEAN_BUTTON = 1601;

struct Song {
    const char* name;
    int lengthMs;  // whole seconds: the host reports lengths in seconds
    int sizeBytes;
};

// Short songs: the plug-in notices each change about a second after the song's end, and
// five seconds leave its 4.25 s new-song animation time to finish before the next one.
const Song SONGS[] = {
    {"Morning Light.mp3", 5000, 3120451},
    {"Thunder Road (live).mp3", 5000, 6410233},
    {"Quiet Harbour.ogg", 5000, 2201874},
    {"Neon Rain.mp3", 5000, 4088120},
};
constexpr int SONG_COUNT = sizeof SONGS / sizeof SONGS[0];
constexpr DWORD PICK_UP_TIMEOUT_MS = 9000;

// Cleared when something the story waits for does not happen; the exit status says so.
bool storyHeld = true;

using DemoAccount::listener;
using DemoAccount::say;
using DemoAccount::section;

void makeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

void printFile(const std::string& title, const std::string& path) {
    std::printf("\n---- %s: %s\n", title.c_str(), path.c_str());
    std::string clean;
    for (char c : HostFiles::read(path)) {
        if (c != '\r') clean += c;
    }
    std::printf("%s", clean.empty() ? "(no file)\n" : clean.c_str());
    std::fflush(stdout);
}

bool waitForPickUp(int count) {
    bool picked = DemoAccount::waitUntil([count] { return DemoAccount::volumesSetSoFar() >= count; }, PICK_UP_TIMEOUT_MS);
    storyHeld = storyHeld && picked;
    if (!picked) say("(Loudmark did not set a volume within " + std::to_string(PICK_UP_TIMEOUT_MS / 1000) + " s)");
    return picked;
}

int volumeUpCommands() { return HostPlayer::count(WM_COMMAND, VOLUME_UP_COMMAND, 0); }

void pressVolumeHotkey() {
    listener("holds both Ctrl keys and presses Up: the volume hotkey");
    int before = volumeUpCommands();
    int hotkeysBefore = HostPlayer::countMessages(WM_HOTKEY, HOTKEY_UP);
    KeyboardInput::holdCtrl(true, true);
    KeyboardInput::tap(VK_UP);
    bool stepped = DemoAccount::waitUntil([before] { return volumeUpCommands() >= before + 8; }, 2000);
    KeyboardInput::releaseCtrl();
    storyHeld = storyHeld && stepped;
    // The plug-in passes the hotkey message on to the player's window, so the host sees it too.
    bool delivered = HostPlayer::countMessages(WM_HOTKEY, HOTKEY_UP) > hotkeysBefore;
    say(std::string("(real key events through SendInput: left Ctrl down, right Ctrl down, Up; ") +
        (delivered ? "the platform delivered the registered hotkey to the player's window)"
                   : "no hotkey message reached the player's window)"));
    say(std::string(stepped ? "" : "(fewer steps than expected) ") + "Loudmark sent " +
        std::to_string(volumeUpCommands() - before) + " volume-up commands; the player's volume is now " +
        std::to_string(HostPlayer::volume()));
}

void cleanFromTheDialog(PluginRecordView* record) {
    listener("opens the configuration dialog, presses \"Clean Volume Database\", then OK");
    DialogDriver::Session session;
    session.caption = DIALOG_CAPTION;
    session.steps = {
        [](HWND dialog) { DialogDriver::click(dialog, CLEAN_BUTTON); },
        [](HWND dialog) { DialogDriver::click(dialog, IDOK); },
    };
    DialogDriver::Outcome outcome = DialogDriver::run(session, [record] { record->config(); });
    if (outcome.dialog == nullptr) say("(the dialog did not come up)");
    storyHeld = storyHeld && outcome.dialog != nullptr && !outcome.closedByDriver && outcome.boxes.size() == 1;
    for (const DialogDriver::Box& box : outcome.boxes) {
        say("notice \"" + box.caption + "\": " + box.text + " (answered " + (box.yesNo ? "Yes" : "OK") + ")");
    }
    if (outcome.closedByDriver) say("(OK did not close the dialog; the demo closed it)");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: loudmark_wine_demo <gen_loudmark.dll> <work folder>\n");
        return 2;
    }
    const std::string builtDll = argv[1];
    const std::string work = argv[2];

    // A fresh player folder and music folder each run.
    const std::string player = work + "\\Winamp";
    const std::string plugins = player + "\\Plugins";
    const std::string music = work + "\\Music";
    makeFolder(work);
    makeFolder(player);
    makeFolder(plugins);
    makeFolder(music);
    const std::string dllPath = plugins + "\\gen_loudmark.dll";
    const std::string databasePath = plugins + "\\volume.ini";
    const std::string settingsPath = plugins + "\\plugin.ini";
    for (const std::string& old : {databasePath, settingsPath, databasePath + ".new"}) DeleteFileA(old.c_str());
    if (!CopyFileA(builtDll.c_str(), dllPath.c_str(), FALSE)) {
        std::printf("cannot copy %s to %s\n", builtDll.c_str(), dllPath.c_str());
        return 1;
    }

    std::printf("Loudmark demo under wine64: the real gen_loudmark.dll (64-bit build of the same source), loaded by\n");
    std::printf("a small host playing Winamp's part with %d short real files, in real time.\n", SONG_COUNT);
    std::printf("The player's folder is %s\n\n", player.c_str());

    std::vector<HostPlayer::Entry> playlist;
    std::vector<std::string> names;
    for (const Song& song : SONGS) {
        std::string path = music + "\\" + song.name;
        HostFiles::write(path, std::string(static_cast<size_t>(song.sizeBytes), '\0'));
        playlist.push_back({path, song.lengthMs});
        names.push_back(song.name);
    }
    HostPlayer::create();
    HostPlayer::setPlaylist(playlist);
    HostPlayer::setVolume(130);
    MessageBoxWatcher::start();

    HMODULE module = LoadLibraryA(dllPath.c_str());
    GetPluginRecord getRecord = module ? findPluginExport(module) : nullptr;
    PluginRecordView* record = getRecord ? getRecord() : nullptr;
    if (record == nullptr) {
        std::printf("cannot load %s or find its export (error %lu)\n", dllPath.c_str(), GetLastError());
        return 1;
    }
    bool spying = TraySpy::watch(module);
    DemoAccount::begin(names, databasePath, module);
    if (!spying) say("(the tray icon's calls could not be watched: no tips in this account)");
    record->hwndParent = HostPlayer::window();
    record->hDllInstance = module;
    record->init();
    say(std::string("the player loaded \"") + record->description + "\"");
    for (const MessageBoxWatcher::Box& box : MessageBoxWatcher::boxes()) {
        say("message box \"" + box.caption + "\": " + box.text);
    }
    DemoAccount::look();

    section("First time through the playlist");
    HostPlayer::play(0);
    listener("presses Play");
    waitForPickUp(1);
    DemoAccount::waitFor(1000);
    listener("finds \"Morning Light\" too loud and turns the volume down to 96");
    HostPlayer::setVolume(96);
    waitForPickUp(2);
    DemoAccount::waitFor(1000);
    listener("turns \"Thunder Road (live)\" up to 200");
    HostPlayer::setVolume(200);
    waitForPickUp(3);
    DemoAccount::waitFor(800);
    pressVolumeHotkey();
    waitForPickUp(4);
    DemoAccount::waitUntil([] { return !HostPlayer::playing(); }, PICK_UP_TIMEOUT_MS);
    DemoAccount::waitFor(500);

    section("A new reference volume");
    HostPlayer::setVolume(120);
    listener("sets the volume to 120 and double-clicks the tray icon");
    say("(the tray's double click is posted to the player's window as the shell sends it: "
        "the tray callback message with WM_LBUTTONDBLCLK)");
    PostMessageA(HostPlayer::window(), TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    DemoAccount::waitFor(2000);
    say("the tray icon's tip says: \"" + TraySpy::currentTip() + "\"");

    section("Cleaning the database against the playlist");
    WritePrivateProfileStringA(SECTION, "\"Old Song No Longer Here.mp3[1234]\"", "300", databasePath.c_str());
    DemoAccount::forgetDatabase();
    say("a record of a song that left the playlist long ago is in the database");
    printFile("volume database before Clean", databasePath);
    cleanFromTheDialog(record);
    DemoAccount::look();
    printFile("volume database after Clean", databasePath);

    section("Second time through: the remembered volumes come back");
    HostPlayer::play(0);
    listener("starts the playlist again");
    for (int n = 1; n <= SONG_COUNT; ++n) waitForPickUp(4 + n);
    DemoAccount::waitUntil([] { return !HostPlayer::playing(); }, PICK_UP_TIMEOUT_MS);
    DemoAccount::waitFor(500);

    record->quit();
    DemoAccount::look();
    FreeLibrary(module);
    say("the player unloaded Loudmark");
    MessageBoxWatcher::stop();

    printFile("volume database", databasePath);
    printFile("settings", settingsPath);
    if (!storyHeld) std::printf("\nSomething in the story did not happen as told (see the lines in brackets).\n");
    return storyHeld ? 0 : 1;
}
