// The plug-in loaded into a host, through its record, against everything that can go
// wrong around it: paths and names the profile format cannot hold, database and
// settings files that are huge, binary, cut short or lack their section, a host that
// answers nonsense, and a platform that refuses timers, hotkeys, the tray, deletes,
// renames and writes. It must never crash, never send the host a volume outside
// 0..255, and leave the files holding exactly what they should.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "controls/hotkey_control.h"
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

constexpr char SECTION[] = "[Tamsel Loudmark]\r\n";
constexpr char REBUILD_PATH[] = "C:\\Program Files\\Winamp\\Plugins\\volume.ini.new";

// What the host may answer instead of the truth; INT_MIN leaves the real answer.
struct Lies {
    int position = INT_MIN;
    int positionMs = INT_MIN;
    bool noPaths = false;
};
Lies lies;
WNDPROC playerProcedure = nullptr;

LRESULT CALLBACK lyingHost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        if (lParam == 125 && lies.position != INT_MIN) return lies.position;
        if (lParam == 105 && wParam == 0 && lies.positionMs != INT_MIN) return lies.positionMs;
        if (lParam == 211 && lies.noPaths) return 0;
    }
    return CallWindowProcA(playerProcedure, window, message, wParam, lParam);
}

class HostileInput : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        HostWindowHook::state = HostWindowHook::State();  // a new load of the module
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
        lies = Lies();
        record = winampGetGeneralPurposePlugin();
        record->hwndParent = player::window();
        record->hDllInstance = sim::pluginInstance();
    }

    void TearDown() override {
        if (loaded) record->quit();
        // Whatever happened, the host was only ever asked for volumes on its own scale.
        for (int volume : player::volumesSet()) {
            EXPECT_GE(volume, 0);
            EXPECT_LE(volume, 255);
        }
    }

    void load() {
        record->init();
        loaded = true;
    }

    // The host's answers pass through `lyingHost` first; the plug-in's hook goes on top.
    void hostLies() {
        playerProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(player::window(), GWLP_WNDPROC));
        SetWindowLongPtrA(player::window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&lyingHost));
    }

    static void wait(double seconds) { sim::advance(static_cast<uint32_t>(seconds * 1000)); }

    static int lastVolumeSet() {
        auto volumes = player::volumesSet();
        return volumes.empty() ? -1 : volumes.back();
    }

    static int recordUnder(const std::string& quotedKey) {
        return static_cast<int>(GetPrivateProfileIntA("Tamsel Loudmark", quotedKey.c_str(), -1, DATABASE_PATH));
    }

    // Plays the playlist from its first entry with the plug-in loaded, leaving each song
    // at the volume given for it; every song lasts 10 s and is picked up 1 s in.
    void playAtVolumes(const std::vector<int>& volumes) {
        player::play();
        if (!loaded) load();
        wait(1);
        for (int volume : volumes) {
            player::setVolume(volume);
            wait(10);
        }
    }

    // The listener starts `index` over with a right click: its volume comes at once.
    void replay(int index) {
        player::jumpTo(index);
        sim::trayMouse(player::window(), TRAY_ICON_ID, WM_RBUTTONUP);
        wait(1);
    }

    PluginRecord* record = nullptr;
    bool loaded = false;
};

std::string longFolder(size_t length) { return "C:\\" + std::string(length, 'f') + "\\"; }

// ---------------------------------------------------------------------------
// Paths and names

TEST_F(HostileInput, LongPathsKeepTheirNameWithoutASizeAndTooLongOnesAreNeverRecorded) {
    std::string over260 = longFolder(280) + "long.mp3";        // the platform cannot open it
    std::string over512 = longFolder(600) + "deep.mp3";        // too long to keep while a tick runs
    std::string hugeName = std::string(600, 'n') + ".mp3";     // its key cannot fit the key buffer
    player::setPlaylist({{over260, 10}, {over512, 10}, {hugeName, 10}, song("normal.mp3", 10), song("end.mp3", 10)});

    playAtVolumes({100, 110, 120, 140});

    // The song's file cannot be opened, so its size is -1, as for any missing file.
    EXPECT_EQ(sim::readFile(DATABASE_PATH),
              std::string(SECTION) + "\"long.mp3[-1]\"=225\r\n\"normal.mp3[1000]\"=265\r\n");
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{130, 130, 130, 130, 130}));

    replay(0);
    EXPECT_EQ(lastVolumeSet(), 100);
    replay(2);
    EXPECT_EQ(lastVolumeSet(), 130);  // no record can exist for it
}

TEST_F(HostileInput, NamesWithProfileSyntaxAndHighBytesRoundTripExceptAnEqualsSign) {
    const std::string highBytes = "caf\xE9 \x80\x9D\xFF.mp3";
    player::setPlaylist({song("a=b.mp3", 10), {"C:\\Music\\say \"hi\".mp3", 10}, song("; not a comment.mp3", 10),
                         song("[Tamsel Loudmark].mp3", 10), song("x]y[z.mp3", 10), song(highBytes, 10),
                         {"C:\\Music\\line\r\nbreak.mp3", 10}, song("end.mp3", 10)});
    playAtVolumes({100, 101, 102, 103, 104, 105, 106});

    // A name holding '=' would be cut at it when read back, one holding a line break
    // would end its line: neither is ever written.
    EXPECT_EQ(sim::readFile(DATABASE_PATH).find("a=b"), std::string::npos);
    EXPECT_EQ(sim::readFile(DATABASE_PATH).find("break"), std::string::npos);
    // A quote is not allowed in a file name, so that file cannot exist: size -1.
    EXPECT_EQ(recordUnder("\"say \"hi\".mp3[-1]\""), 101 - 130 + 255);
    EXPECT_EQ(recordUnder("\"; not a comment.mp3[1000]\""), 102 - 130 + 255);
    EXPECT_EQ(recordUnder("\"[Tamsel Loudmark].mp3[1000]\""), 103 - 130 + 255);
    EXPECT_EQ(recordUnder("\"x]y[z.mp3[1000]\""), 104 - 130 + 255);
    EXPECT_EQ(recordUnder("\"" + highBytes + "[1000]\""), 105 - 130 + 255);

    const int expected[] = {130, 101, 102, 103, 104, 105};
    for (int i = 0; i < 6; ++i) {
        replay(i);
        EXPECT_EQ(lastVolumeSet(), expected[i]) << "entry " << i;
    }
}

TEST_F(HostileInput, AModulePathTooLongForTheFilePathsTouchesNeitherFile) {
    std::string modulePath = longFolder(300) + "gen_loudmark.dll";
    sim::setModulePath(sim::pluginInstance(), modulePath);
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});
    playAtVolumes({100, 110});
    record->quit();
    loaded = false;

    EXPECT_EQ(std::string(record->description).find("Tamsel Loudmark Plug-In v0.5 ("), 0u);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{130, 130, 130}));  // it still works, forgetting
    EXPECT_FALSE(sim::fileExists(DATABASE_PATH));
    EXPECT_FALSE(sim::fileExists(SETTINGS_PATH));
    EXPECT_FALSE(sim::fileExists("C:\\volume.ini"));
    EXPECT_FALSE(sim::fileExists("C:\\plugin.ini"));
}

// ---------------------------------------------------------------------------
// Database and settings files

TEST_F(HostileInput, HugeFilesAreReadAndExtendedByTheRules) {
    std::string database = SECTION;
    std::string settingsFile = SECTION;
    for (int i = 0; i < 60000; ++i) {
        database += "\"filler " + std::to_string(i) + ".mp3[4000000]\"=" + std::to_string(i % 511) + "\r\n";
        settingsFile += "\"Other" + std::to_string(i) + "\"=" + std::to_string(i) + "\r\n";
    }
    database += "\"a.mp3[1000]\"=300\r\n";
    sim::writeFile(DATABASE_PATH, database);
    sim::writeFile(SETTINGS_PATH, settingsFile + "\"TrimTo\"=2\r\n");
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});

    playAtVolumes({90});
    EXPECT_EQ(settings.trimTo, 2);
    record->quit();
    loaded = false;
    // The eight keys are written over and after the listener's own lines, which stay.
    EXPECT_EQ(sim::readFile(SETTINGS_PATH), settingsFile + "\"TrimTo\"=2\r\n\"Enabled\"=1\r\n\"Trim\"=0\r\n"
                                            "\"Hotkey\"=1\r\n\"UpMod\"=3\r\n\"UpKey\"=38\r\n\"DownMod\"=3\r\n"
                                            "\"DownKey\"=40\r\n");

    EXPECT_EQ(player::volumesSet().front(), 175);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), database.substr(0, database.size() - 6) + "=215\r\n");

    DatabaseMaintenance::clean();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=215\r\n");
}

TEST_F(HostileInput, ABinaryDatabaseReadsAsEmptyAndTakesNewRecordsAfterItsBytes) {
    std::mt19937 random(8);
    std::string junk;
    for (int i = 0; i < 20000; ++i) {
        char c = static_cast<char>(random() & 0xFF);
        junk += c == '[' ? '{' : c;  // a stray section header would change where records go
    }
    sim::writeFile(DATABASE_PATH, junk);
    sim::writeFile(SETTINGS_PATH, junk);
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});

    playAtVolumes({90});

    EXPECT_EQ(settings.enabled, 1);
    EXPECT_EQ(settings.upKey, 38);
    EXPECT_EQ(player::volumesSet().front(), 130);
    EXPECT_EQ(recordUnder("\"a.mp3[1000]\""), 215);
    std::string now = sim::readFile(DATABASE_PATH);
    const std::string added = std::string(SECTION) + "\"a.mp3[1000]\"=215\r\n";
    ASSERT_GT(now.size(), added.size());
    EXPECT_EQ(now.substr(now.size() - added.size()), added);
}

TEST_F(HostileInput, ATruncatedDatabaseKeepsWhatItsLinesSay) {
    // Cut in the middle of a value, and in the middle of a key.
    sim::writeFile(DATABASE_PATH, std::string(SECTION) + "\"a.mp3[1000]\"=30\r\n\"b.mp3[1000]\"=3");
    sim::writeFile(SETTINGS_PATH, std::string(SECTION) + "\"Enabled\"=1\r\n\"Trim\"=1\r\n\"TrimTo\"=3\r\n\"Hot");
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});

    playAtVolumes({130, 180});

    EXPECT_EQ(settings.trim, 1);
    EXPECT_EQ(settings.trimTo, 3);
    EXPECT_EQ(settings.hotkey, 1);
    // a: stored 30 applies 0 (30 + 130 is below 255); b: stored 3 likewise.
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{0, 0, 130}));
    // a ended at the reference: kept; b ended at 180, inside the 24% band: kept too.
    EXPECT_EQ(sim::readFile(DATABASE_PATH),
              std::string(SECTION) + "\"a.mp3[1000]\"=30\r\n\"b.mp3[1000]\"=3");
}

TEST_F(HostileInput, FilesWithoutTheSectionReadAsEmptyAndKeepTheirLines) {
    const std::string orphanRecords = "\"a.mp3[1000]\"=300\r\n[Other]\r\n\"b.mp3[1000]\"=300\r\n";
    sim::writeFile(DATABASE_PATH, orphanRecords);
    sim::writeFile(SETTINGS_PATH, "\"Enabled\"=0\r\n\"UpKey\"=33\r\n");
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});

    playAtVolumes({100, 110});

    EXPECT_EQ(settings.enabled, 1);
    EXPECT_EQ(settings.upKey, 38);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{130, 130, 130}));
    EXPECT_EQ(sim::readFile(DATABASE_PATH),
              orphanRecords + SECTION + "\"a.mp3[1000]\"=225\r\n\"b.mp3[1000]\"=235\r\n");
}

TEST_F(HostileInput, WildRecordsNeverSendAVolumeOffTheHostScale) {
    sim::writeFile(DATABASE_PATH, std::string(SECTION) +
                                      "\"a.mp3[1000]\"=-2147483648\r\n\"b.mp3[1000]\"=2147483647\r\n"
                                      "\"c.mp3[1000]\"=-300\r\n\"d.mp3[1000]\"=99999\r\n\"e.mp3[1000]\"=0x7fffffff\r\n"
                                      "\"f.mp3[1000]\"=abc\r\n\"g.mp3[1000]\"=99999999999\r\n");
    std::vector<player::Entry> entries;
    for (char name = 'a'; name <= 'h'; ++name) entries.push_back(song(std::string(1, name) + ".mp3", 10));
    player::setPlaylist(entries);

    playAtVolumes({130, 130, 130, 130, 130, 130, 130});

    // The stored-value arithmetic, then the host's scale: below it 0, above it 255.
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{255, 255, 0, 255, 255, 0, 255, 130}));
}

// ---------------------------------------------------------------------------
// A host that answers nonsense

TEST_F(HostileInput, PositionsWithoutAnEntryApplyNothingAndRecordNothing) {
    sim::writeFile(DATABASE_PATH, std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n");
    player::setPlaylist({song("a.mp3", 600), song("b.mp3", 600)});
    player::overrideReportedLength(-1);  // the tracker polls every second
    hostLies();
    lies.position = 7;  // past the end: the host has no path there
    player::play();
    load();
    wait(1);
    EXPECT_TRUE(player::volumesSet().empty());

    lies.position = INT_MIN;  // back to entry 0
    player::setVolume(90);
    wait(1);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{175});
    EXPECT_EQ(recordUnder("\"a.mp3[1000]\""), 300);  // nothing recorded for "entry 7"

    player::setVolume(80);
    lies.position = -3;
    wait(1);  // from a to "entry -3": a is recorded, nothing is applied
    EXPECT_EQ(recordUnder("\"a.mp3[1000]\""), 80 - 130 + 255);
    EXPECT_EQ(player::volumesSet().size(), 1u);

    lies.position = INT_MIN;
    lies.noPaths = true;  // and now no paths at all
    player::jumpTo(1);
    wait(2);
    lies.noPaths = false;
    wait(1);  // b was taken as started while the host had no paths: not picked up again
    EXPECT_EQ(player::volumesSet().size(), 1u);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=205\r\n");
    EXPECT_EQ(settings.enabled, 1);
}

TEST_F(HostileInput, LengthsAndPositionsThatMakeNoSenseFallBackToPolling) {
    player::setPlaylist({song("a.mp3", 20), song("b.mp3", 20), song("c.mp3", 20), song("d.mp3", 20)});
    hostLies();
    player::play();
    load();
    auto period = [] {
        sim::TimerInfo timer;
        return sim::findTimer(player::window(), SongTracker::FIRST_TIMER_ID, &timer) ? timer.periodMs : 0u;
    };

    // Each 20 s song is picked up within a second of its start: its volume is set then.
    const uint32_t playedAt = sim::now();
    auto pickedUpAfterItsStart = [playedAt](int song) {
        std::vector<uint32_t> moments;
        for (const auto& r : player::requests()) {
            if (r.message == WM_USER && r.lParam == 122 && r.wParam != static_cast<WPARAM>(-666)) moments.push_back(r.atMs);
        }
        size_t index = static_cast<size_t>(song);
        return moments.size() > index ? moments[index] - playedAt - 20000u * index : UINT32_MAX;
    };
    lies.positionMs = 1000000000;  // far past the end of a 20 s song
    wait(1);
    EXPECT_EQ(period(), 1000u);
    lies.positionMs = INT_MIN;
    player::overrideReportedLength(-1);
    wait(20);
    EXPECT_LE(pickedUpAfterItsStart(1), 1000u);
    EXPECT_EQ(period(), 1000u);
    player::overrideReportedLength(INT_MAX);
    wait(20);
    EXPECT_LE(pickedUpAfterItsStart(2), 1000u);
    EXPECT_EQ(period(), 1000u);
    lies.positionMs = -5000;
    player::overrideReportedLength(INT_MIN);
    wait(20);
    EXPECT_LE(pickedUpAfterItsStart(3), 1000u);
    EXPECT_EQ(period(), 1000u);
}

TEST_F(HostileInput, APlaylistLengthOfMinusOneCleansAsAnEmptyPlaylistAndMillionsSkipTheMissingEntries) {
    const std::string database = std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n\"gone.mp3[5]\"=200\r\n";
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});

    sim::writeFile(DATABASE_PATH, database);
    player::overrideReportedListLength(2000000);
    DatabaseMaintenance::clean();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n");

    sim::writeFile(DATABASE_PATH, database);
    player::overrideReportedListLength(-1);
    DatabaseMaintenance::clean();
    EXPECT_FALSE(sim::fileExists(DATABASE_PATH));
    EXPECT_FALSE(sim::fileExists(REBUILD_PATH));
}

TEST_F(HostileInput, AWaveOutDeviceThatDoesNotAnswerRecordsNothingAndKeepsTheReference) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});
    sim::setWaveOutVolumeSource(nullptr);
    playAtVolumes({90, 200});
    sim::trayMouse(player::window(), TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    wait(5);  // c's new-song animation over

    EXPECT_FALSE(sim::fileExists(DATABASE_PATH));
    EXPECT_EQ(trayView().tip, "Reference Volume is 130");
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{130, 130, 130}));
}

// ---------------------------------------------------------------------------
// Refusals of the platform

TEST_F(HostileInput, ARefusedFirstTimerIdentifierStillTracksEverySong) {
    sim::refuseTimerId(SongTracker::FIRST_TIMER_ID);
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10), song("d.mp3", 10)});

    playAtVolumes({100, 110, 120});

    EXPECT_EQ(player::volumesSet().size(), 4u) << "every song's start was picked up";
    EXPECT_EQ(sim::readFile(DATABASE_PATH),
              std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"b.mp3[1000]\"=235\r\n\"c.mp3[1000]\"=245\r\n");
    EXPECT_TRUE(sim::messageBoxes().empty());
}

TEST_F(HostileInput, NoTimerAtAllTurnsThePluginOffAndTheSettingsSayIt) {
    sim::refuseAllTimers(true);
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    playAtVolumes({100});
    record->quit();
    loaded = false;

    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    EXPECT_EQ(sim::messageBoxes()[0].text, "Timer set failed.");
    EXPECT_TRUE(player::volumesSet().empty());
    EXPECT_FALSE(sim::fileExists(DATABASE_PATH));
    EXPECT_EQ(GetPrivateProfileIntA("Tamsel Loudmark", "\"Enabled\"", -1, SETTINGS_PATH), 0u);
    EXPECT_FALSE(sim::findHotkey(player::window(), HOTKEY_UP));
}

TEST_F(HostileInput, ARefusedHotkeyIsReportedAndTheOtherOneAndTheTrackerWorkOn) {
    sim::holdHotkeyElsewhere(MOD_CONTROL, VK_UP);
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    player::play();
    load();
    wait(1);

    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    EXPECT_EQ(sim::messageBoxes()[0].text, "Registration failed for hotkey UP");
    sim::keyDown(VK_LCONTROL);
    sim::keyDown(VK_RCONTROL);
    sim::pressKey(VK_DOWN);
    sim::releaseAllKeys();
    EXPECT_EQ(player::volume(), 130 - 8 * player::VOLUME_STEP);
    wait(10);
    EXPECT_EQ(recordUnder("\"a.mp3[1000]\""), 130 - 8 * player::VOLUME_STEP - 130 + 255);
}

TEST_F(HostileInput, WithoutANotificationAreaEverythingElseWorks) {
    sim::refuseTray(true);
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});
    playAtVolumes({100, 110});
    sim::keyDown(VK_LCONTROL);
    sim::keyDown(VK_RCONTROL);
    sim::pressKey(VK_UP);
    sim::releaseAllKeys();
    wait(3);

    EXPECT_FALSE(sim::findTrayIcon(player::window(), TRAY_ICON_ID));
    EXPECT_EQ(player::volume(), 130 + 8 * player::VOLUME_STEP);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"b.mp3[1000]\"=235\r\n");
    EXPECT_TRUE(sim::messageBoxes().empty());
}

TEST_F(HostileInput, ARefusedDeleteOrRenameLeavesTheDatabaseWholeAndNoRebuildFile) {
    const std::string database = std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n\"gone.mp3[5]\"=200\r\n";
    player::setPlaylist({song("a.mp3", 10)});

    sim::writeFile(DATABASE_PATH, database);
    sim::refuseDelete(DATABASE_PATH);
    DatabaseMaintenance::clean();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), database);
    EXPECT_FALSE(sim::fileExists(REBUILD_PATH));
    player::setPlaylist({});  // nothing survives: the database would be deleted
    DatabaseMaintenance::clean();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), database);

    freshMachine();
    player::setPlaylist({song("a.mp3", 10)});
    sim::writeFile(DATABASE_PATH, database);
    sim::refuseRename(REBUILD_PATH);
    DatabaseMaintenance::trim();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), database);
    EXPECT_FALSE(sim::fileExists(REBUILD_PATH));
}

TEST_F(HostileInput, AFailedWriteLosesOnlyTheNewRecordAndTheTrackerGoesOn) {
    const std::string database = std::string(SECTION) + "\"b.mp3[1000]\"=300\r\n";
    sim::writeFile(DATABASE_PATH, database);
    // The disk takes no more than the file already holds.
    sim::failWritesAfter(DATABASE_PATH, database.size());
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});

    playAtVolumes({100});

    EXPECT_EQ(sim::readFile(DATABASE_PATH), database);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{130, 175}));
    EXPECT_EQ(settings.enabled, 1);

    sim::failWritesAfter(REBUILD_PATH, 25);  // the rebuild file cannot be written whole
    DatabaseMaintenance::clean();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), database);
    EXPECT_FALSE(sim::fileExists(REBUILD_PATH));
}

}  // namespace
