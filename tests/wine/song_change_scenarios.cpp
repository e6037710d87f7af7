// Song changes as the listener lives them, under the 2.x host (noticed on the plug-in's
// own timer) and the 5.9 host (announced by the host at every start).
#include <windows.h>

#include "../common/config_dialog_controls.h"
#include "dialog_driver.h"
#include "host_files.h"
#include "host_player.h"
#include "message_box_watcher.h"
#include "message_pump.h"
#include "profile_scenarios.h"
#include "scenario_kit.h"

namespace ProfileScenarios {

namespace {

using namespace ScenarioKit;

// What tests/wine/run.sh puts beside the module in locked\replay-5.9.
constexpr char ORIGINAL_RECORDS[] = "\"old.mp3[5]\"=300\r\n";
constexpr char SETTINGS_FROM_ORIGINAL[] =
    "[Tamsel Loudmark]\r\n\"TrimTo\"=2\r\n\"Enabled\"=1\r\n\"Trim\"=0\r\n\"Hotkey\"=1\r\n"
    "\"UpMod\"=3\r\n\"UpKey\"=38\r\n\"DownMod\"=3\r\n\"DownKey\"=40\r\n";
int volumeQueries() {
    int n = 0;
    for (const HostPlayer::Received& r : HostPlayer::received()) {
        n += r.message == WM_USER && r.lParam == HostProtocol::IPC_SETVOLUME &&
             static_cast<int>(r.wParam) == HostProtocol::VOLUME_QUERY;
    }
    return n;
}

}  // namespace

void playlistPlayedTwice() {
    const bool five = fiveHost();
    scenarioOnHost(five ? "module folder locked: played through twice, the records in the host's settings folder "
                          "+ Plugins, the originals copied in once"
                        : "module folder locked: played through twice, the records in %APPDATA%\\Loudmark");
    const std::string module = lockedFolder("replay-" + profileName());
    check(cannotCreateIn(module), "the module folder is locked (tests/wine/run.sh locks it)");
    const std::string appData = freshFolder("appdata-" + profileName());
    useAppData(appData);
    const std::string settingsFolder = freshFolder("winamp-settings-" + profileName());
    HostPlayer::setIniDirectory(settingsFolder);
    const std::string data = absentFolder(five ? "winamp-settings-" + profileName() + "\\Plugins"
                                               : "appdata-" + profileName() + "\\Loudmark");
    const std::string database = data + "\\volume.ini";

    const int ms = shortSongMs();
    freshPlayer({{song("a.mp3", 1000), ms}, {song("b.mp3", 2000), ms}, {song("c.mp3", 3000), ms}}, true);
    Plugin plugin = loadPlugin(module);
    if (plugin.record == nullptr) return;
    plugin.record->init();
    check(MessageBoxWatcher::boxes().empty(), "no warning: a writable folder was found");
    if (five) {
        checkEqual(HostFiles::read(database), HostFiles::read(module + "\\volume.ini"),
                   "init copied the module folder's volume.ini into the settings folder's Plugins");
        checkEqual(HostFiles::read(data + "\\plugin.ini"), HostFiles::read(module + "\\plugin.ini"), "and plugin.ini");
    }

    // The listener turns a.mp3 down to 100, leaves b.mp3 alone and turns c.mp3 up to 170;
    // the list starts over after c.mp3, which records it.
    HostPlayer::play(0);
    const int chosen[] = {100, -1, 170};
    for (int i = 0; i < 3; ++i) {
        if (!waitForVolumesSet(i + 1, 3000)) break;
        if (chosen[i] >= 0) HostPlayer::setVolume(chosen[i]);
    }
    check(waitForVolumesSet(4, 3000), "four songs started and each got a volume");
    const std::string records = std::string(SECTION) + (five ? ORIGINAL_RECORDS : "") +
                                "\"a.mp3[1000]\"=225\r\n\"c.mp3[3000]\"=295\r\n";
    checkEqual(HostFiles::read(database), records, "a.mp3 and c.mp3 recorded, b.mp3 (at the reference) not");
    if (five) {
        check(volumeQueries() > 0, "the volume is read from the slider (-666) while the wave-out stays full");
    } else {
        checkEqual(volumeQueries(), 0, "a 2.x host is never sent -666 (it would set the volume to 102)");
    }
    quitAndUnload(plugin);
    checkEqual(HostFiles::read(data + "\\plugin.ini"), five ? SETTINGS_FROM_ORIGINAL : SETTINGS_AFTER_DEFAULTS,
               "quit saved the settings there too");
    if (five) check(!HostFiles::exists(appData + "\\Loudmark"), "%APPDATA% is left alone");

    // The player starts again another day.
    freshPlayer({{song("a.mp3", 1000), ms}, {song("b.mp3", 2000), ms}, {song("c.mp3", 3000), ms}}, false);
    plugin = loadPlugin(module);
    if (plugin.record == nullptr) return;
    plugin.record->init();
    checkEqual(HostFiles::read(database), records, "a second start copies nothing over the records");
    HostPlayer::play(0);
    check(waitForVolumesSet(3, 5000), "the three songs played again");
    std::vector<int> sets = HostPlayer::volumesSet();
    sets.resize(3);
    check(sets == std::vector<int>({100, 130, 170}), "each came back at its own volume: 100, 130, 170");
    quitAndUnload(plugin);
    HostPlayer::stop();
}

void jumpInMidSong() {
    const bool five = fiveHost();
    scenarioOnHost(five ? "a jump in mid-song is acted on at once; a restart changes nothing"
                        : "a jump in mid-song is noticed at the old song's scheduled tick");
    const std::string folder = pluginFolder("jump-" + profileName());
    const std::string database = folder + "\\volume.ini";
    const std::string before = std::string(SECTION) + "\"b.mp3[2000]\"=235\r\n";  // b.mp3 at 110
    HostFiles::write(database, before);
    freshPlayer({{song("a.mp3", 1000), 3000}, {song("b.mp3", 2000), 6000}}, false);
    Plugin plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return;
    plugin.record->init();
    checkEqual(listing(folder), "gen_loudmark.dll volume.ini volume.ini.loudmark-whole",
               "init leaves nothing behind but its whole copy of the database");

    HostPlayer::play(0);
    check(waitForVolumesSet(1, 2000), "a.mp3 is picked up");
    HostPlayer::setVolume(90);
    HostPlayer::play(1);  // the listener jumps to b.mp3
    if (five) {
        // a.mp3's end-of-song tick is seconds away: only the announcement can do this.
        check(waitForVolumesSet(2, 500), "b.mp3's volume is set within half a second of the jump");
    } else {
        MessagePump::forMs(1000);
        checkEqual(static_cast<long long>(HostPlayer::volumesSet().size()), 1,
                   "a second after the jump nothing has happened yet");
        check(waitForVolumesSet(2, 3000), "b.mp3's volume is set at a.mp3's scheduled tick");
    }
    if (HostPlayer::volumesSet().size() < 2) return;
    checkEqual(HostPlayer::volumesSet()[1], 110, "b.mp3 starts at its remembered volume");
    const std::string after = before + "\"a.mp3[1000]\"=215\r\n";
    checkEqual(HostFiles::read(database), after, "a.mp3 recorded at the 90 it ended with");

    if (five) {
        HostPlayer::setVolume(200);
        HostPlayer::play(1);  // Play pressed again: b.mp3 restarts
        MessagePump::forMs(600);
        checkEqual(static_cast<long long>(HostPlayer::volumesSet().size()), 2, "a restart of b.mp3 sets no volume");
        checkEqual(HostFiles::read(database), after, "and records nothing");
    }
    quitAndUnload(plugin);
    HostPlayer::stop();
}

// The listener edits the playlist around the playing song, and turns Loudmark off and
// on while the player goes on: every record lands under the song that played.
void playlistEditedWhilePlaying() {
    scenarioOnHost("entries inserted, removed and sorted around the playing song, Loudmark off and on: each "
                   "record under the song that played");
    const std::string folder = pluginFolder("edits-" + profileName());
    const std::string database = folder + "\\volume.ini";
    HostFiles::write(database, std::string(SECTION) + "\"a.mp3[1000]\"=200\r\n");
    const int ms = 3000;
    freshPlayer({{song("a.mp3", 1000), ms}, {song("b.mp3", 2000), ms}, {song("c.mp3", 3000), ms},
                 {song("d.mp3", 4000), ms}},
                false);
    Plugin plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return;
    plugin.record->init();
    auto recordOf = [&](const char* key) {
        return static_cast<long long>(static_cast<int>(GetPrivateProfileIntA("Tamsel Loudmark", key, -1, database.c_str())));
    };

    HostPlayer::play(1);  // b.mp3
    check(waitForVolumesSet(1, 2500), "b.mp3 is picked up");
    HostPlayer::setVolume(100);
    HostPlayer::insertEntry(0, {song("new.mp3", 5000), ms});  // b.mp3 moves to 2, a.mp3 to 1
    check(waitForVolumesSet(2, 6000), "c.mp3 starts after b.mp3");
    checkEqual(recordOf("\"b.mp3[2000]\""), 225, "b.mp3 recorded at the 100 it ended with");
    checkEqual(recordOf("\"a.mp3[1000]\""), 200, "a.mp3, now at b's old index, untouched");

    HostPlayer::setVolume(90);
    HostPlayer::removeEntry(0);                               // c.mp3 moves from 3 to 2
    HostPlayer::insertEntry(0, {song("zz.mp3", 6000), ms});   // and back to 3
    HostPlayer::sortByFileName();  // a, b, c, d, zz: c.mp3 at 2 again
    check(waitForVolumesSet(3, 6000), "d.mp3 starts after c.mp3");
    checkEqual(recordOf("\"c.mp3[3000]\""), 215, "c.mp3 recorded at 90 after the sort");
    checkEqual(recordOf("\"b.mp3[2000]\""), 225, "b.mp3 left as it was");

    // Loudmark off while d.mp3 ends and zz.mp3 starts, then on again.
    HostPlayer::setVolume(170);
    auto toggle = [&] {
        DialogDriver::Session listener;
        listener.caption = "Configure Loudmark";
        listener.idleTicksAtEnd = 5;
        listener.steps = {[](HWND dialog) { DialogDriver::click(dialog, ConfigDialogTable::ENABLE); },
                          [](HWND dialog) { DialogDriver::click(dialog, IDOK); }};
        PluginRecordView* record = plugin.record;
        DialogDriver::run(listener, [record] { record->config(); });
    };
    toggle();
    MessagePump::until([] { return HostPlayer::position() == 4; }, 6000);
    toggle();
    check(waitForVolumesSet(4, 3000), "zz.mp3 is picked up once Loudmark is back");
    checkEqual(recordOf("\"d.mp3[4000]\""), -1, "d.mp3 ended unseen: nothing recorded for it");
    quitAndUnload(plugin);
    HostPlayer::stop();
}

}  // namespace ProfileScenarios
