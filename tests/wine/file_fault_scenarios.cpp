// Files the plug-in cannot have: the database held open without sharing by another
// program at a song change and at Clean, no folder it may write at all, and files an
// editor saved as Unicode text or a crash cut short.
#include <windows.h>

#include "../common/config_dialog_controls.h"
#include "dialog_driver.h"
#include "host_files.h"
#include "host_player.h"
#include "message_box_watcher.h"
#include "profile_scenarios.h"
#include "scenario_kit.h"

namespace ProfileScenarios {

namespace {

using namespace ScenarioKit;

// Another program (a virus scanner, a sync client) holding the file without sharing.
struct HeldFile {
    HANDLE handle;
    explicit HeldFile(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() { release(); }
    bool held() const { return handle != INVALID_HANDLE_VALUE; }
    void release() {
        if (held()) CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
};

}  // namespace

void databaseHeldAtSongChange() {
    scenarioOnHost("another program holds the database at a song change: the record arrives at the next change; "
                   "still held at quit, a warning");
    const std::string folder = pluginFolder("held-" + profileName());
    const std::string database = folder + "\\volume.ini";
    const std::string before = "[Tamsel Loudmark]\r\n\"old.mp3[5]\"=300\r\n";
    HostFiles::write(database, before);
    const int ms = shortSongMs();
    freshPlayer({{song("a.mp3", 1000), ms}, {song("b.mp3", 2000), ms}, {song("c.mp3", 3000), ms}}, true);
    Plugin plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return;
    plugin.record->init();

    HostPlayer::play(0);
    check(waitForVolumesSet(1, 3000), "a.mp3 is picked up");
    HostPlayer::setVolume(100);
    HeldFile scanner(database);
    check(scanner.held(), "the database is held open without sharing");
    check(waitForVolumesSet(2, 3000), "the change to b.mp3 comes while it is held");
    scanner.release();
    // Else the next check would pass whether or not the record was kept.
    checkEqual(HostFiles::read(database), before, "the hold kept a.mp3's record out of the file at that change");
    check(waitForVolumesSet(3, 3000), "the change to c.mp3 comes with the file free");
    checkEqual(HostFiles::read(database), before + "\"a.mp3[1000]\"=225\r\n", "a.mp3's record arrives with it");

    HostPlayer::setVolume(170);
    HeldFile again(database);
    check(waitForVolumesSet(4, 3000), "the change from c.mp3 comes while the file is held again");
    MessageBoxWatcher::clear();
    plugin.record->quit();
    const auto& boxes = MessageBoxWatcher::boxes();
    check(boxes.size() == 1 && boxes[0].caption == "Warning" && startsWith(boxes[0].text, "Loudmark could not save"),
          "quit with c.mp3's record still unwritten says so: one \"Warning\", \"Loudmark could not save...\"");
    again.release();
    FreeLibrary(plugin.module);
    check(unloaded(plugin), "unloaded");
    HostPlayer::stop();
}

void noFolderWritable() {
    const bool five = fiveHost();
    scenarioOnHost(five ? "no folder writable (module, settings folder, %APPDATA%): one warning, and it still plays"
                        : "no folder writable (module, %APPDATA%): one warning, and it still plays");
    const std::string module = lockedFolder("nowhere-" + profileName());
    const std::string elsewhere = lockedFolder("nowhere-elsewhere");
    check(cannotCreateIn(module) && cannotCreateIn(elsewhere),
          "the module folder and the one standing in for the others are locked (tests/wine/run.sh)");
    useAppData(elsewhere);
    HostPlayer::setIniDirectory(elsewhere);
    freshPlayer({{song("a.mp3", 1000), 5000}}, false);
    Plugin plugin = loadPlugin(module);
    if (plugin.record == nullptr) return;
    plugin.record->init();

    const auto& boxes = MessageBoxWatcher::boxes();
    checkEqual(static_cast<long long>(boxes.size()), 1, "one message box");
    if (!boxes.empty()) {
        check(boxes[0].caption == "Warning" && startsWith(boxes[0].text, "Loudmark cannot write"),
              "\"Warning\": \"Loudmark cannot write...\"");
        check(boxes[0].owner == HostPlayer::window(), "owned by the host's main window");
    }
    const size_t boxesAtInit = boxes.size();
    HostPlayer::play(0);
    check(waitForVolumesSet(1, 2500), "the song is picked up");
    if (!HostPlayer::volumesSet().empty()) {
        // run.sh left a.mp3's record (215) in the module folder's volume.ini.
        checkEqual(HostPlayer::volumesSet()[0], 90, "at the record read from the module folder's own file");
    }
    quitAndUnload(plugin);
    checkEqual(static_cast<long long>(boxes.size()), static_cast<long long>(boxesAtInit), "quit adds no message");
    HostPlayer::stop();
}

void cleanWithUnreadableDatabase() {
    scenarioOnHost("Clean while another program holds the database: a warning instead of \"Done\", the file as it was");
    const std::string folder = pluginFolder("clean-" + profileName());
    const std::string database = folder + "\\volume.ini";
    const std::string before = "[Tamsel Loudmark]\r\n\"kept.mp3[1000]\"=300\r\n\"gone.mp3[1000]\"=300\r\n";
    HostFiles::write(database, before);
    freshPlayer({{song("kept.mp3", 1000), 60000}}, false);
    Plugin plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return;
    plugin.record->init();

    HeldFile scanner(database);
    check(scanner.held(), "the database is held open without sharing");
    DialogDriver::Session listener;
    listener.caption = "Configure Loudmark";
    listener.idleTicksAtEnd = 5;
    listener.steps = {
        [](HWND dialog) { DialogDriver::click(dialog, ConfigDialogTable::CLEAN); },
        [](HWND dialog) { DialogDriver::click(dialog, IDOK); },
    };
    PluginRecordView* record = plugin.record;
    const DialogDriver::Outcome outcome = DialogDriver::run(listener, [record] { record->config(); });
    scanner.release();

    check(outcome.dialog != nullptr && !outcome.closedByDriver, "the dialog opened and OK closed it");
    const auto& boxes = outcome.boxes;
    checkEqual(static_cast<long long>(boxes.size()), 1, "one message box");
    if (!boxes.empty()) {
        const std::string start = "The volume database could not be";
        checkEqual(boxes[0].caption + ": " + boxes[0].text.substr(0, start.size()), "Warning: " + start,
                   "\"Warning\": \"" + start + "...\"");
    }
    checkEqual(HostFiles::read(database), before, "the database byte for byte as before");
    checkEqual(listing(folder), "gen_loudmark.dll plugin.ini volume.ini volume.ini.loudmark-whole",
               "no rebuild file left behind, nor an undo copy of a pass that did nothing");
    quitAndUnload(plugin);
}

// The listener saved both files in an editor as "UTF-8" (with a byte-order mark), then
// Windows stopped while the database was being rewritten: the next start has them back
// as plain text, and every record the cut lost comes back from the whole copy.
void unicodeSavedThenCut() {
    scenarioOnHost("files saved as UTF-8 come back as ANSI text; a database cut short gets its records back");
    const std::string folder = pluginFolder("marked-" + profileName());
    const std::string database = folder + "\\volume.ini";
    HostFiles::write(database, "\xEF\xBB\xBF[Tamsel Loudmark]\r\n\"Caf\xC3\xA9.mp3[1000]\"=225\r\n\"b.mp3[2000]\"=300\r\n");
    HostFiles::write(folder + "\\plugin.ini", "\xEF\xBB\xBF[Tamsel Loudmark]\r\n\"TrimTo\"=3\r\n");
    const std::string plain = "[Tamsel Loudmark]\r\n\"Caf\xE9.mp3[1000]\"=225\r\n\"b.mp3[2000]\"=300\r\n";
    freshPlayer({{song("Caf\xE9.mp3", 1000), 1000}}, false);
    Plugin plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return;
    plugin.record->init();
    checkEqual(HostFiles::read(database), plain, "volume.ini as ANSI text, every record kept");
    checkEqual(HostFiles::read(folder + "\\plugin.ini"), "[Tamsel Loudmark]\r\n\"TrimTo\"=3\r\n", "plugin.ini too");
    checkEqual(static_cast<long long>(MessageBoxWatcher::boxes().size()), 2, "one word for each file");
    HostPlayer::play(0);
    check(waitForVolumesSet(1, 3000) && HostPlayer::volumesSet()[0] == 100, "Caf\xE9.mp3 starts at its own 100");
    quitAndUnload(plugin);
    HostPlayer::stop();

    HostFiles::write(database, plain.substr(0, 30));  // cut in the middle of the first record
    plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return;
    plugin.record->init();
    checkEqual(HostFiles::read(database), plain, "both records back from the whole copy");
    quitAndUnload(plugin);
}

}  // namespace ProfileScenarios
