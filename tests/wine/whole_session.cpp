// One whole session with the built DLL, as the player lives it: loaded, its record read
// by offset, init, songs on real timers, a hotkey, the tray's two clicks, the dialog with
// a Clean, quit, unload, and the host going on. Every call into the plug-in goes through
// MisalignedCall. Made for the 32-bit product DLL under emulation, where every process
// start costs a minute: one load does it all.
#include <windows.h>
#include <shellapi.h>

#include "../common/config_dialog_controls.h"
#include "dialog_driver.h"
#include "host_files.h"
#include "host_player.h"
#include "keyboard_input.h"
#include "message_box_watcher.h"
#include "message_pump.h"
#include "misaligned_call.h"
#include "plugin_traces.h"
#include "profile_scenarios.h"
#include "scenario_kit.h"
#include "tray_spy.h"

namespace ProfileScenarios {

namespace {

using namespace ScenarioKit;
using namespace PluginTraces;
using ConfigDialogTable::BAND_18;
using ConfigDialogTable::CLEAN;
using ConfigDialogTable::WIN95;

// Where a host finds the record's fields: an int, then six pointers.
#ifdef _WIN64
constexpr size_t DESCRIPTION_AT = 8, INIT_AT = 16, CONFIG_AT = 24, QUIT_AT = 32, WINDOW_AT = 40, INSTANCE_AT = 48;
constexpr WORD MACHINE = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr size_t DESCRIPTION_AT = 4, INIT_AT = 8, CONFIG_AT = 12, QUIT_AT = 16, WINDOW_AT = 20, INSTANCE_AT = 24;
constexpr WORD MACHINE = IMAGE_FILE_MACHINE_I386;
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the tray record a 32-bit plug-in passes");
#endif

constexpr int SONG_MS = 2500;
constexpr char RECORDS_A_C[] = "\"a.mp3[1000]\"=225\r\n\"c.mp3[3000]\"=295\r\n";
constexpr char SETTINGS_AFTER_OK[] =
    "[Tamsel Loudmark]\r\n\"Enabled\"=1\r\n\"Trim\"=0\r\n\"TrimTo\"=2\r\n\"Hotkey\"=1\r\n"
    "\"UpMod\"=3\r\n\"UpKey\"=38\r\n\"DownMod\"=3\r\n\"DownKey\"=40\r\n";

struct Loaded {
    HMODULE module = nullptr;
    BYTE* record = nullptr;
    int (*init)() = nullptr;
    void (*config)() = nullptr;
    void (*quit)() = nullptr;
};

// The player's compiler keeps the stack 4-byte aligned: in the 32-bit build every call
// into the plug-in comes with it at 4 (mod 16). The 64-bit build has nothing to check.
void checkCalledMisaligned(const std::string& what) {
#ifndef _WIN64
    checkEqual(MisalignedCall::lastRemainder(), 4, what + " was called with the stack at 4 (mod 16)");
#else
    (void)what;
#endif
}

template <typename T>
T fieldAt(const BYTE* record, size_t offset) {
    T value;
    CopyMemory(&value, record + offset, sizeof value);
    return value;
}

bool insideImage(HMODULE module, const void* address) {
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_NT_HEADERS* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const BYTE* at = static_cast<const BYTE*>(address);
    return at >= base && at < base + nt->OptionalHeader.SizeOfImage;
}

WORD machineOf(HMODULE module) {
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew)
        ->FileHeader.Machine;
}

// The record as the player reads it: by offset, from the export's answer.
Loaded loadAndReadRecord(const std::string& path) {
    Loaded loaded;
    loaded.module = LoadLibraryA(path.c_str());
    check(loaded.module != nullptr, "the module loads");
    if (loaded.module == nullptr) return loaded;
    checkEqual(machineOf(loaded.module), MACHINE, "an image for this host's processor");
    GetPluginRecord getPlugin = findPluginExport(loaded.module);
    check(getPlugin != nullptr, "it exports winampGetGeneralPurposePlugin");
    if (getPlugin == nullptr) return loaded;
    BYTE* record = reinterpret_cast<BYTE*>(MisalignedCall::call(getPlugin));
    checkCalledMisaligned("the export");
    check(record != nullptr && insideImage(loaded.module, record), "it answers a record inside the module");
    if (record == nullptr) return loaded;
    checkEqual(fieldAt<int>(record, 0), 0x10, "the version at offset 0 is 0x10");
    const char* description = fieldAt<const char*>(record, DESCRIPTION_AT);
    checkEqual(description ? description : "(null)", "", "the description at " + std::to_string(DESCRIPTION_AT) +
                                                            " is empty until init");
    loaded.init = fieldAt<int (*)()>(record, INIT_AT);
    loaded.config = fieldAt<void (*)()>(record, CONFIG_AT);
    loaded.quit = fieldAt<void (*)()>(record, QUIT_AT);
    check(insideImage(loaded.module, reinterpret_cast<const void*>(loaded.init)) &&
              insideImage(loaded.module, reinterpret_cast<const void*>(loaded.config)) &&
              insideImage(loaded.module, reinterpret_cast<const void*>(loaded.quit)),
          "init, config and quit at " + std::to_string(INIT_AT) + ", " + std::to_string(CONFIG_AT) + " and " +
              std::to_string(QUIT_AT) + " are routines of the module");
    // The player fills these two in by offset before init.
    HWND window = HostPlayer::window();
    HINSTANCE instance = loaded.module;
    CopyMemory(record + WINDOW_AT, &window, sizeof window);
    CopyMemory(record + INSTANCE_AT, &instance, sizeof instance);
    loaded.record = record;
    return loaded;
}

bool notifiedAs(const TraySpy::Call& call, DWORD action) {
    return call.action == action && call.answer && call.size == NOTIFYICONDATAA_V1_SIZE &&
           call.window == HostPlayer::window() && call.id == TRAY_ICON_ID;
}

void checkTrayAdded() {
    const auto& calls = TraySpy::calls();
    check(!calls.empty() && notifiedAs(calls[0], NIM_ADD),
          "init added the icon: NIM_ADD, cbSize " + std::to_string(NOTIFYICONDATAA_V1_SIZE) +
              ", the host's window, id 3021, taken");
    if (calls.empty()) return;
    const TraySpy::Call& add = calls[0];
    check(add.flags == (NIF_ICON | NIF_MESSAGE | NIF_TIP) && add.icon != nullptr && add.callbackMessage == TRAY_CALLBACK,
          "with an icon, the callback message WM_USER + 27 and a tip");
    checkEqual(add.tip, "Reference Volume is 130", "the tip at rest");
}

// a.mp3 turned down to 100, b.mp3 left alone, c.mp3 turned up to 170; d.mp3 (long) starts.
void playThreeSongs(const std::string& database) {
    freshPlayer({{song("a.mp3", 1000), SONG_MS},
                 {song("b.mp3", 2000), SONG_MS},
                 {song("c.mp3", 3000), SONG_MS},
                 {song("d.mp3", 4000), 120000}},
                false);
    HostPlayer::play(0);
    const int chosen[] = {100, -1, 170};
    for (int i = 0; i < 3; ++i) {
        if (!waitForVolumesSet(i + 1, 4000)) break;
        if (chosen[i] >= 0) HostPlayer::setVolume(chosen[i]);
    }
    check(waitForVolumesSet(4, 4000), "four songs started on real timers and each got a volume");
    std::vector<int> sets = HostPlayer::volumesSet();
    sets.resize(4);
    check(sets == std::vector<int>({130, 130, 130, 130}), "each at the reference 130: none has a record yet");
    checkEqual(HostFiles::read(database), SECTION + std::string(RECORDS_A_C),
               "a.mp3 recorded 30 below the reference and c.mp3 40 above; b.mp3 (at the reference) not");
}

// Both Ctrl keys and Down while d.mp3 plays: eight steps down, 130 to 114.
void pressVolumeDown() {
    HostPlayer::clearReceived();
    KeyboardInput::holdCtrl(true, true);
    KeyboardInput::tap(VK_DOWN);
    bool stepped = MessagePump::until([] { return volumeDownCommands() >= 8; }, 4000);
    MessagePump::forMs(100);
    KeyboardInput::releaseCtrl();
    check(stepped, "a press of both Ctrl keys and Down reaches the plug-in");
    checkEqual(volumeDownCommands(), 8, "eight volume-down steps");
    checkEqual(HostPlayer::volume(), 114, "the host's volume went from 130 to 114");
    check(MessagePump::until([] { return tipPassed("Volume Down"); }, 2000), "the tip said \"Volume Down\"");
}

// A double click makes 114 the reference; a jump back to a.mp3 with a right click brings
// it at its record against the new reference: 225 + 114 - 255 = 84.
void clickTheTray(const std::string& database) {
    PostMessageA(HostPlayer::window(), TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    check(MessagePump::until([] { return TraySpy::currentTip() == "Reference Volume is 114"; }, 5000) &&
              tipPassed("Reference Volume Adjusted"),
          "a double click: \"Reference Volume Adjusted\", then the tip at rest names 114");
    HostPlayer::clearReceived();
    HostPlayer::play(0);
    PostMessageA(HostPlayer::window(), TRAY_CALLBACK, TRAY_ICON_ID, WM_RBUTTONUP);
    check(waitForVolumesSet(1, 4000), "after the jump and a right click a.mp3 is picked up");
    if (!HostPlayer::volumesSet().empty()) {
        checkEqual(HostPlayer::volumesSet()[0], 84, "at its record against the new reference");
    }
    checkEqual(HostFiles::read(database), SECTION + std::string(RECORDS_A_C),
               "d.mp3 ended at the reference: nothing written for it");
}

// With a.mp3 alone on the playlist: 18% picked, Clean, OK.
void cleanInTheDialog(void (*config)(), const std::string& database) {
    HostPlayer::setPlaylist({{song("a.mp3", 1000), 60000}});
    DialogDriver::Session listener;
    listener.caption = "Configure Loudmark";
    listener.idleTicksAtEnd = 5;
    listener.steps = {
        [](HWND dialog) {
            check(!IsDlgButtonChecked(dialog, WIN95),
                  "Win95 Mode off: the Windows NT key opened through this process's view of the registry");
            DialogDriver::click(dialog, BAND_18);
        },
        [](HWND dialog) { DialogDriver::click(dialog, CLEAN); },
        [](HWND dialog) { DialogDriver::click(dialog, IDOK); },
    };
    const DialogDriver::Outcome outcome = DialogDriver::run(listener, [config] { MisalignedCall::call(config); });
    checkCalledMisaligned("config");
    check(outcome.dialog != nullptr && outcome.stepsRun == listener.steps.size() && !outcome.closedByDriver,
          "config opened the dialog, the listener clicked through it, OK closed it");
    check(outcome.boxes.size() == 1 && outcome.boxes[0].caption == "Done" &&
              outcome.boxes[0].text == "Volume database cleaned.",
          "one box: \"Done\", \"Volume database cleaned.\"");
    checkEqual(HostFiles::read(database), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n",
               "Clean dropped c.mp3, which is not on the playlist");
}

}  // namespace

void wholeSession() {
    scenarioOnHost("the built DLL for a whole session, every call into it with the stack at 4 (mod 16)");
    const std::string folder = pluginFolder("session-" + profileName());
    const std::string path = folder + "\\gen_loudmark.dll";
    const std::string database = folder + "\\volume.ini";
    CopyFileA(builtDll.c_str(), path.c_str(), FALSE);
    const std::string built = HostFiles::read(builtDll);
    check(!built.empty() && HostFiles::read(path) == built, "the module loaded is byte for byte the built DLL");
    freshPlayer({}, false);
    Loaded plugin = loadAndReadRecord(path);
    if (plugin.record == nullptr) return;

    check(TraySpy::watch(plugin.module), "the module's tray calls can be watched");
    TraySpy::clear();
    checkEqual(MisalignedCall::call(plugin.init), 0, "init answers 0");
    checkCalledMisaligned("init");
    const char* description = fieldAt<const char*>(plugin.record, DESCRIPTION_AT);
    checkEqual(description ? description : "(null)", "Tamsel Loudmark Plug-In v0.5 (gen_loudmark.dll)",
               "the description names the module");
    check(MessageBoxWatcher::boxes().empty(), "no message box");
    check(hookInstalled(), "its procedure is on the host's window");
    checkTrayAdded();

    playThreeSongs(database);
    pressVolumeDown();
    clickTheTray(database);
    cleanInTheDialog(plugin.config, database);

    MisalignedCall::call(plugin.quit);
    checkCalledMisaligned("quit");
    check(!hookInstalled(), "quit gives the host its own window procedure back");
    const auto& calls = TraySpy::calls();
    check(!calls.empty() && notifiedAs(calls.back(), NIM_DELETE) && !trayIconPresent(), "quit deleted the icon");
    bool sameRecord = true;
    for (const TraySpy::Call& call : calls) sameRecord = sameRecord && notifiedAs(call, call.action);
    check(sameRecord, "every one of its " + std::to_string(calls.size()) + " tray calls passed cbSize " +
                          std::to_string(NOTIFYICONDATAA_V1_SIZE) + ", the host's window and id 3021, and was taken");
    bool downFree = RegisterHotKey(nullptr, 78, MOD_CONTROL, VK_DOWN) != FALSE;
    if (downFree) UnregisterHotKey(nullptr, 78);
    check(downFree, "quit unregistered the hotkeys");
    checkEqual(HostFiles::read(folder + "\\plugin.ini"), SETTINGS_AFTER_OK,
               "plugin.ini: all eight settings, 18% among them, as the real profile functions wrote them");
    checkEqual(HostFiles::read(database), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n",
               "volume.ini as Clean left it");
    FreeLibrary(plugin.module);
    check(GetModuleHandleA(path.c_str()) == nullptr, "FreeLibrary unloads the module");
    hostGoesOnAfterUnload(2500);
    HostPlayer::stop();
}

}  // namespace ProfileScenarios
