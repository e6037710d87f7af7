// The end-to-end host: plays the player's part for the real gen_loudmark.dll (its 64-bit
// build) under wine64, and checks what the plug-in did against the real platform: the
// version check, the files the real profile functions wrote, song changes on real
// timers, the tray icon, the hotkeys, the window hook, and a host that goes on running
// after the plug-in has quit and been unloaded; then the same plug-in under a 2.x and a
// 5.9 host (profile_scenarios.h). "latency" (a measurement) and the whole sessions run
// only when named; several names, comma-separated, run in that order in one process.
//
//   loudmark_wine_host.exe <gen_loudmark.dll> <work folder> [scenario[,scenario...]]
//
// Prints one line per check and "N passed, N failed" last; exits non-zero on a failure.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dialog_scenarios.h"
#include "host_files.h"
#include "host_player.h"
#include "keyboard_input.h"
#include "message_box_watcher.h"
#include "message_pump.h"
#include "plugin_record_view.h"
#include "plugin_traces.h"
#include "profile_scenarios.h"
#include "scenario_kit.h"
#include "tray_spy.h"

namespace {

HWND sideWindow = nullptr;  // the host's second window: "another program" holding hotkeys

using ScenarioKit::check;
using ScenarioKit::checkEqual;
using ScenarioKit::freshFolder;
using ScenarioKit::pluginFolder;
using ScenarioKit::loadPlugin;
using ScenarioKit::Plugin;
using ScenarioKit::scenario;
using ScenarioKit::SETTINGS_AFTER_DEFAULTS;
using ScenarioKit::song;
using ScenarioKit::unloaded;

// ---------------------------------------------------------------------------
// What the plug-in has put in place, as another program on the machine sees it

using PluginTraces::deleteTrayIcon;
using PluginTraces::hookInstalled;
using PluginTraces::HOTKEY_DOWN;
using PluginTraces::MAIN_TIMER_ID;
using PluginTraces::tipPassed;
using PluginTraces::TRAY_CALLBACK;
using PluginTraces::TRAY_ICON_ID;
using PluginTraces::trayIconPresent;
using PluginTraces::volumeDownCommands;

// Held by someone else when our own registration of it is refused as taken.
bool hotkeyTaken(UINT modifiers, UINT key) {
    constexpr int PROBE_ID = 77;
    if (RegisterHotKey(sideWindow, PROBE_ID, modifiers, key)) {
        UnregisterHotKey(sideWindow, PROBE_ID);
        return false;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

// ---------------------------------------------------------------------------
// The listener's hands on the keyboard

using KeyboardInput::holdCtrl;
using KeyboardInput::releaseCtrl;
using KeyboardInput::tap;

// ---------------------------------------------------------------------------
// Scenarios

void anOldHostIsWarnedAndLeftOff() {
    scenario("An old host: the plug-in says so, with no owner, and stays off");
    HostPlayer::setVersion(0x2004);
    HostPlayer::setPlaylist({{song("a.mp3", 1000), 2000}});
    Plugin plugin = loadPlugin(pluginFolder("old-host"));
    if (plugin.record == nullptr) return;
    checkEqual(plugin.record->version, 0x10, "the record's version is 0x10");
    checkEqual(plugin.record->description ? plugin.record->description : "(null)", "",
               "the description is empty until init");

    MessageBoxWatcher::clear();
    checkEqual(plugin.record->init(), 0, "init answers 0");
    const auto& boxes = MessageBoxWatcher::boxes();
    checkEqual(static_cast<long long>(boxes.size()), 1, "one message box");
    if (!boxes.empty()) {
        checkEqual(boxes[0].text, "WinAmp Version 2.05 required.\nLoudmark not enabled.", "its text");
        checkEqual(boxes[0].caption, "Warning", "its caption");
        check(boxes[0].owner == nullptr, "it has no owner window");
        check(boxes[0].hasOk && !boxes[0].hasCancel && !boxes[0].hasYes && !boxes[0].hasNo, "an OK button only");
    }
    checkEqual(plugin.record->description, "Tamsel Loudmark Plug-In v0.5 (gen_loudmark.dll)",
               "the description names the module");
    int iconsLoaded = 0;
    for (int id : {102, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114}) {
        iconsLoaded += LoadIconA(plugin.module, MAKEINTRESOURCEA(id)) != nullptr;
    }
    checkEqual(iconsLoaded, 11, "the module's eleven icons load");
    check(!hookInstalled(), "the host's window procedure is left alone");
    check(!trayIconPresent(), "no tray icon");
    check(!hotkeyTaken(MOD_CONTROL, VK_UP) && !hotkeyTaken(MOD_CONTROL, VK_DOWN), "no hotkeys registered");

    plugin.record->quit();
    checkEqual(static_cast<long long>(GetPrivateProfileIntA("Tamsel Loudmark", "\"Enabled\"", -1,
                                                            (plugin.folder + "\\plugin.ini").c_str())),
               0, "quit saves \"Enabled\" as 0");
    FreeLibrary(plugin.module);
    check(unloaded(plugin), "FreeLibrary unloads the module");
    HostPlayer::setVersion(HostPlayer::DEFAULT_VERSION);
}

void settingsThatSayDisabled() {
    scenario("Settings that say disabled: nothing installed; quit still saves every setting");
    HostPlayer::setPlaylist({{song("a.mp3", 1000), 2000}});
    HostPlayer::play(0);
    std::string folder = pluginFolder("disabled");
    HostFiles::write(folder + "\\plugin.ini", "[Other]\r\nkeep=1\r\n[Tamsel Loudmark]\r\n\"Enabled\"=0\r\n\"TrimTo\"=2\r\n");
    Plugin plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return;

    HostPlayer::clearReceived();
    MessageBoxWatcher::clear();
    plugin.record->init();
    check(MessageBoxWatcher::boxes().empty(), "no message");
    check(!hookInstalled(), "no hook");
    check(!trayIconPresent(), "no tray icon");
    check(!hotkeyTaken(MOD_CONTROL, VK_UP) && !hotkeyTaken(MOD_CONTROL, VK_DOWN), "no hotkeys");
    MessagePump::forMs(1300);
    checkEqual(HostPlayer::countRequests(HostProtocol::IPC_ISPLAYING), 0, "no tracker asking the playing host anything for 1.3 s");

    plugin.record->quit();
    checkEqual(HostFiles::read(folder + "\\plugin.ini"),
               "[Other]\r\nkeep=1\r\n[Tamsel Loudmark]\r\n\"Enabled\"=0\r\n\"TrimTo\"=2\r\n\"Trim\"=0\r\n"
               "\"Hotkey\"=1\r\n\"UpMod\"=3\r\n\"UpKey\"=38\r\n\"DownMod\"=3\r\n\"DownKey\"=40\r\n",
               "quit writes all eight keys, the other section kept");
    FreeLibrary(plugin.module);
    check(unloaded(plugin), "unloaded");
    HostPlayer::stop();
}

void hotkeysTrayAndHook() {
    scenario("A fresh start: a taken hotkey is reported, the icon shows, the hook passes everything on");
    HostPlayer::setPlaylist({{song("a.mp3", 1000), 2000}});
    HostPlayer::setVolume(130);
    // Another program holds Ctrl+Up already.
    bool heldElsewhere = RegisterHotKey(sideWindow, 1, MOD_CONTROL, VK_UP) != FALSE;
    check(heldElsewhere, "another window holds Ctrl+Up first");
    Plugin plugin = loadPlugin(pluginFolder("fresh"));
    if (plugin.record == nullptr) return;

    TraySpy::clear();
    check(TraySpy::watch(plugin.module), "the module's tray calls can be watched");

    MessageBoxWatcher::clear();
    plugin.record->init();
    const auto& boxes = MessageBoxWatcher::boxes();
    checkEqual(static_cast<long long>(boxes.size()), 1, "one message box");
    if (!boxes.empty()) {
        checkEqual(boxes[0].text, "Registration failed for hotkey UP", "the up hotkey's warning");
        checkEqual(boxes[0].caption, "Warning", "its caption");
        check(boxes[0].owner == HostPlayer::window(), "owned by the host's main window");
        check(boxes[0].hasOk && !boxes[0].hasCancel && !boxes[0].hasYes, "an OK button only");
        check(boxes[0].iconShown, "with its warning icon");
    }
    check(hookInstalled(), "our procedure is on the host's window");
    check(trayIconPresent(), "the tray icon is there");
    checkEqual(TraySpy::currentTip(), "Reference Volume is 130", "its tip at rest names the reference volume");
    if (!TraySpy::calls().empty()) {
        TraySpy::Image shown = TraySpy::imageOf(TraySpy::calls().back().icon);
        checkEqual(shown.width, GetSystemMetrics(SM_CXSMICON), "its image is the small-icon size of the scale");
        checkEqual(shown.bitsPerPixel, 32, "in 32-bit colour");
    }
    check(hotkeyTaken(MOD_CONTROL, VK_DOWN), "Ctrl+Down is registered");

    // Every message reaches the host with its parameters, and the host's answer comes back.
    HostPlayer::clearReceived();
    HWND host = HostPlayer::window();
    checkEqual(SendMessageA(host, WM_APP + 7, 0x1234, 0x5678), HostPlayer::UNKNOWN_MESSAGE_ANSWER,
               "the host's answer comes back through the hook");
    SendMessageA(host, WM_TIMER, 4242, 0);
    SendMessageA(host, WM_HOTKEY, 4242, 0);
    SendMessageA(host, TRAY_CALLBACK, TRAY_ICON_ID, WM_MOUSEMOVE);
    PostMessageA(host, WM_APP + 8, 1, 2);
    checkEqual(SendMessageA(host, WM_USER, 0, 0), HostPlayer::DEFAULT_VERSION, "a request the host answers");
    MessagePump::dispatchWaiting();
    check(HostPlayer::count(WM_APP + 7, 0x1234, 0x5678) == 1 && HostPlayer::count(WM_TIMER, 4242, 0) == 1 &&
              HostPlayer::count(WM_HOTKEY, 4242, 0) == 1 &&
              HostPlayer::count(TRAY_CALLBACK, TRAY_ICON_ID, WM_MOUSEMOVE) == 1 &&
              HostPlayer::count(WM_APP + 8, 1, 2) == 1,
          "the host saw each message once, as sent");

    // Both Ctrl keys and Down: eight steps down, and the host sees the hotkey too.
    HostPlayer::clearReceived();
    holdCtrl(true, true);
    tap(VK_DOWN);
    bool stepped = MessagePump::until([] { return volumeDownCommands() >= 8; }, 2000);
    MessagePump::forMs(100);
    releaseCtrl();
    check(stepped, "a press of both Ctrl keys and Down reaches the plug-in");
    checkEqual(volumeDownCommands(), 8, "eight volume-down steps");
    checkEqual(HostPlayer::volume(), 130 - 8 * HostPlayer::VOLUME_STEP, "the host's volume went down by them");
    checkEqual(HostPlayer::countMessages(WM_HOTKEY, HOTKEY_DOWN), 1,
               "the host saw the hotkey message");

    // One Ctrl key only: the press arrives but the configured combination is both.
    HostPlayer::clearReceived();
    holdCtrl(true, false);
    tap(VK_DOWN);
    bool arrived = MessagePump::until([] { return HostPlayer::countMessages(WM_HOTKEY, HOTKEY_DOWN) > 0; }, 2000);
    MessagePump::forMs(100);
    releaseCtrl();
    check(arrived, "a press of left Ctrl and Down arrives");
    checkEqual(volumeDownCommands(), 0, "and is ignored");

    check(MessagePump::until([] { return tipPassed("Volume Down"); }, 1000),
          "the icon's tip said \"Volume Down\" while the steps' animation ran");

    // A double click makes the current volume the reference: the tip at rest says so.
    PostMessageA(host, TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    const std::string newRest = "Reference Volume is " + std::to_string(HostPlayer::volume());
    check(MessagePump::until([&newRest] { return TraySpy::currentTip() == newRest; }, 3000) &&
              tipPassed("Reference Volume Adjusted"),
          "after a double click's animation the tip names the volume of the moment as the reference");

    // "TaskbarCreated" with the icon still there (a scale change on Windows 10): the add
    // fails, and the icon is handed over again.
    TraySpy::clear();
    SendMessageA(host, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    const auto& again = TraySpy::calls();
    check(again.size() == 2 && again[0].action == NIM_ADD && !again[0].answer && again[1].action == NIM_MODIFY &&
              again[1].answer && again[1].tip == newRest,
          "\"TaskbarCreated\" while the icon is there modifies it after the add fails");

    // Explorer restarted: the icon comes back on "TaskbarCreated".
    deleteTrayIcon();
    SendMessageA(host, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    check(trayIconPresent(), "the icon is added again after \"TaskbarCreated\"");
    checkEqual(TraySpy::calls().empty() ? std::string() : TraySpy::calls().back().tip, newRest,
               "with the current reference in its tip");

    plugin.record->quit();
    check(!hookInstalled(), "quit gives the host its own window procedure back");
    check(!trayIconPresent(), "quit removes the tray icon");
    check(!hotkeyTaken(MOD_CONTROL, VK_DOWN), "quit unregisters the hotkeys");
    checkEqual(HostFiles::read(plugin.folder + "\\plugin.ini"), SETTINGS_AFTER_DEFAULTS,
               "the settings file as the profile functions wrote it");
    FreeLibrary(plugin.module);
    check(unloaded(plugin), "unloaded");
    if (heldElsewhere) UnregisterHotKey(sideWindow, 1);
}

void songsOnRealTimers() {
    scenario("Songs on real timers: a turned-down song is remembered and comes back at its volume");
    std::string a = song("a.mp3", 1000);
    std::string b = song("b.mp3", 2000);
    HostPlayer::setPlaylist({{a, 3000}, {b, 2000}, {song("c.mp3", 3000), 2000}});
    HostPlayer::setVolume(130);
    HostPlayer::play(0);
    Plugin plugin = loadPlugin(pluginFolder("songs"));
    if (plugin.record == nullptr) return;
    std::string database = plugin.folder + "\\volume.ini";

    HostPlayer::clearReceived();
    plugin.record->init();
    auto volumesSetReach = [](size_t n) { return [n] { return HostPlayer::volumesSet().size() >= n; }; };

    check(MessagePump::until(volumesSetReach(1), 3000), "the playing song is picked up within the first second");
    if (HostPlayer::volumesSet().size() < 1) return;
    checkEqual(HostPlayer::volumesSet()[0], 130, "a song with no record starts at the reference");
    HostPlayer::setVolume(100);  // the listener turns a.mp3 down

    check(MessagePump::until(volumesSetReach(2), 5000), "the change to b.mp3 is noticed after a.mp3's end");
    if (HostPlayer::volumesSet().size() < 2) return;
    checkEqual(HostPlayer::position(), 1, "b.mp3 is playing");
    checkEqual(HostPlayer::volumesSet()[1], 130, "b.mp3 starts at the reference");
    checkEqual(HostFiles::read(database), "[Tamsel Loudmark]\r\n\"a.mp3[1000]\"=225\r\n",
               "a.mp3 is recorded 30 below the reference, in the real profile format");
    check(HostPlayer::count(WM_TIMER, MAIN_TIMER_ID, 0) >= 2, "the main timer's ticks reach the host too");

    HostPlayer::play(0);  // the listener jumps back to a.mp3
    check(MessagePump::until(volumesSetReach(3), 4000), "the jump is noticed at b.mp3's scheduled tick");
    if (HostPlayer::volumesSet().size() < 3) return;
    checkEqual(HostPlayer::volumesSet()[2], 100, "a.mp3 comes back at its remembered volume");
    checkEqual(HostFiles::read(database), "[Tamsel Loudmark]\r\n\"a.mp3[1000]\"=225\r\n",
               "b.mp3 ended at the reference: nothing written for it");

    // Double click at volume 90 makes it the reference; the right button starts over.
    HostPlayer::setVolume(90);
    HostPlayer::play(0);
    PostMessageA(HostPlayer::window(), TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    PostMessageA(HostPlayer::window(), TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONUP);
    check(MessagePump::until(volumesSetReach(4), 2500), "after a right click the playing song is picked up afresh");
    if (HostPlayer::volumesSet().size() >= 4) {
        checkEqual(HostPlayer::volumesSet()[3], 60, "at its record relative to the new reference 90");
    }

    // Quit with the new-song animation still running, unload, and keep the host going.
    plugin.record->quit();
    check(!hookInstalled(), "quit gives the host its own window procedure back");
    check(!trayIconPresent(), "quit removes the tray icon");
    checkEqual(HostFiles::read(plugin.folder + "\\plugin.ini"), SETTINGS_AFTER_DEFAULTS, "the settings file");
    FreeLibrary(plugin.module);
    check(unloaded(plugin), "unloaded");

    PluginTraces::hostGoesOnAfterUnload(2500);
    HostPlayer::stop();
}

// Another plug-in that subclasses the host's window after us and stays there.
WNDPROC underOther = nullptr;
int otherSaw = 0;
LRESULT CALLBACK otherModuleProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ++otherSaw;
    return CallWindowProcA(underOther, window, message, wParam, lParam);
}

void chainedOverThenReloaded() {
    scenario("Another module chains over ours: quit keeps the module loaded; a reload works");
    HostPlayer::setPlaylist({{song("a.mp3", 1000), 2000}});
    HostPlayer::setVolume(130);
    HostPlayer::stop();
    Plugin plugin = loadPlugin(pluginFolder("chained"));
    if (plugin.record == nullptr) return;
    HWND host = HostPlayer::window();
    plugin.record->init();
    underOther = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(otherModuleProcedure)));

    plugin.record->quit();
    check(GetWindowLongPtrA(host, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(otherModuleProcedure),
          "quit leaves the other module's procedure in place");
    check(!trayIconPresent(), "the tray icon is gone");
    FreeLibrary(plugin.module);
    check(!unloaded(plugin), "the module stays loaded after FreeLibrary");

    HostPlayer::clearReceived();
    otherSaw = 0;
    checkEqual(SendMessageA(host, WM_APP + 7, 1, 2), HostPlayer::UNKNOWN_MESSAGE_ANSWER,
               "messages still pass through both procedures to the host");
    check(otherSaw == 1 && HostPlayer::count(WM_APP + 7, 1, 2) == 1, "each saw the message once");
    holdCtrl(true, true);
    SendMessageA(host, WM_HOTKEY, HOTKEY_DOWN, MAKELPARAM(MOD_CONTROL, VK_DOWN));
    releaseCtrl();
    SendMessageA(host, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    SendMessageA(host, TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONUP);
    MessagePump::forMs(1300);
    check(volumeDownCommands() == 0 && !trayIconPresent() && HostPlayer::countRequests(HostProtocol::IPC_ISPLAYING) == 0,
          "after quit nothing is acted on: no steps, no icon, no ticks");

    // The host loads the plug-in again: the same module, still in the chain.
    HMODULE again = LoadLibraryA(plugin.path.c_str());
    check(again == plugin.module, "loading it again gives the same module");
    GetPluginRecord getPlugin = findPluginExport(again);
    check(getPlugin != nullptr, "the module loaded again still exports winampGetGeneralPurposePlugin");
    if (getPlugin == nullptr) return;
    PluginRecordView* record = getPlugin();
    record->hwndParent = host;
    record->hDllInstance = again;
    HostPlayer::clearReceived();
    record->init();
    check(GetWindowLongPtrA(host, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(otherModuleProcedure),
          "init does not put our procedure in the chain a second time");
    check(trayIconPresent(), "the icon is back");
    check(hotkeyTaken(MOD_CONTROL, VK_DOWN), "the hotkeys are registered again");
    check(MessagePump::until([] { return HostPlayer::countRequests(HostProtocol::IPC_ISPLAYING) > 0; }, 1500), "the tracker ticks again");
    holdCtrl(true, true);
    SendMessageA(host, WM_HOTKEY, HOTKEY_DOWN, MAKELPARAM(MOD_CONTROL, VK_DOWN));
    releaseCtrl();
    checkEqual(volumeDownCommands(), 8, "a hotkey is acted on once: eight steps, not sixteen");

    record->quit();
    FreeLibrary(again);
    check(!trayIconPresent() && !hotkeyTaken(MOD_CONTROL, VK_DOWN), "the second quit cleans up too");
}

void configurationDialog() {
    scenario("The configuration dialog: every control as the template says; a session clicked through; OK saves");
    DialogScenarios::session(check, ScenarioKit::builtDll, pluginFolder("dialog"));
}

using HostPlayer::WINAMP_2X;
using HostPlayer::WINAMP_59;

struct Scenario {
    const char* name;
    void (*run)();
    const HostPlayer::Profile* profile;  // the host's main window while it runs
    bool byDefault;
};

const Scenario SCENARIOS[] = {
    {"old-host", anOldHostIsWarnedAndLeftOff, &WINAMP_2X, true},
    {"disabled", settingsThatSayDisabled, &WINAMP_2X, true},
    {"fresh", hotkeysTrayAndHook, &WINAMP_2X, true},
    {"songs", songsOnRealTimers, &WINAMP_2X, true},
    {"dialog", configurationDialog, &WINAMP_2X, true},
    {"replay-2x", ProfileScenarios::playlistPlayedTwice, &WINAMP_2X, true},
    {"jump-2x", ProfileScenarios::jumpInMidSong, &WINAMP_2X, true},
    {"edits-2x", ProfileScenarios::playlistEditedWhilePlaying, &WINAMP_2X, true},
    {"held-2x", ProfileScenarios::databaseHeldAtSongChange, &WINAMP_2X, true},
    {"nowhere-2x", ProfileScenarios::noFolderWritable, &WINAMP_2X, true},
    {"clean-2x", ProfileScenarios::cleanWithUnreadableDatabase, &WINAMP_2X, true},
    {"marked-2x", ProfileScenarios::unicodeSavedThenCut, &WINAMP_2X, true},
    {"replay-5.9", ProfileScenarios::playlistPlayedTwice, &WINAMP_59, true},
    {"jump-5.9", ProfileScenarios::jumpInMidSong, &WINAMP_59, true},
    {"edits-5.9", ProfileScenarios::playlistEditedWhilePlaying, &WINAMP_59, true},
    {"title-5.9", ProfileScenarios::titleOutsideCodePage, &WINAMP_59, true},
    {"names-5.9", ProfileScenarios::namesOutsideCodePage, &WINAMP_59, true},
    {"held-5.9", ProfileScenarios::databaseHeldAtSongChange, &WINAMP_59, true},
    {"nowhere-5.9", ProfileScenarios::noFolderWritable, &WINAMP_59, true},
    {"clean-5.9", ProfileScenarios::cleanWithUnreadableDatabase, &WINAMP_59, true},
    {"latency", ProfileScenarios::songChangeLatency, &WINAMP_59, false},
    {"clean-bench", ProfileScenarios::cleanPassTiming, &WINAMP_59, false},
    {"session-2x", ProfileScenarios::wholeSession, &WINAMP_2X, false},
    {"session-5.9", ProfileScenarios::wholeSession, &WINAMP_59, false},
    // Last of the defaults: it leaves the module pinned for the rest of the process.
    {"chained", chainedOverThenReloaded, &WINAMP_2X, true},
};

void run(const Scenario& s) {
    if (std::strcmp(HostPlayer::profile().name, s.profile->name) != 0) HostPlayer::create(*s.profile);
    s.run();
}

// The named scenarios in the order given; a name not in the table is a failure, so that
// a misspelt one cannot pass by running nothing.
void runNamed(const std::string& names) {
    size_t from = 0;
    while (from <= names.size()) {
        size_t comma = names.find(',', from);
        const std::string name = names.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        const Scenario* found = nullptr;
        for (const Scenario& s : SCENARIOS) {
            if (name == s.name) found = &s;
        }
        if (found != nullptr) run(*found);
        else check(false, "a scenario named \"" + name + "\"");
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: loudmark_wine_host <gen_loudmark.dll> <work folder> [scenario[,scenario...]]\n");
        return 2;
    }
    ScenarioKit::builtDll = argv[1];
    ScenarioKit::workFolder = argv[2];

    HostPlayer::create();
    sideWindow = CreateWindowExA(0, "STATIC", "another program", 0, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    MessageBoxWatcher::start();
    if (argc > 3) {
        runNamed(argv[3]);
    } else {
        for (const Scenario& s : SCENARIOS) {
            if (s.byDefault) run(s);
        }
    }
    MessageBoxWatcher::stop();

    std::printf("%d passed, %d failed\n", ScenarioKit::passed(), ScenarioKit::failed());
    std::fflush(stdout);
    return ScenarioKit::failed() == 0 ? 0 : 1;
}
