// The plug-in on Windows 95, where KERNEL32 lacks GetFileAttributesExA and
// GetModuleHandleExA and its MoveFileExA only fails: Clean still swaps the database in
// without losing a record, even when a rename fails half way, and quit still keeps the
// module loaded when another procedure sits over ours.
#include <gtest/gtest.h>

#include <string>

#include "controls/resource_ids.h"
#include "plugin/plugin_lifecycle.h"
#include "plugin/plugin_record.h"
#include "adapters/later_windows.h"
#include "adapters/settings_store.h"
#include "plugin_test_support.h"
#include "../tool/db_tool_runner.h"
#include "sim/dialogs.h"

using namespace testsupport;
namespace player = sim::player;

namespace {

const std::string BACKUP = std::string(DATABASE_PATH) + ".loudmark-swap";
const std::string REBUILD = std::string(DATABASE_PATH) + ".new";
constexpr char SECTION[] = "[Tamsel Loudmark]\r\n";

class Windows95 : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        sim::runAsWindows95(true);
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
        player::setVolume(130);
    }

    static std::string clean() {
        sim::clearMessageBoxes();
        return cleanInTheDialog();
    }

    // The first of two ten-second songs plays, the listener turns it down to 100, and it
    // ends: its record is written.
    static void playTheFirstSongAt100() {
        player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
        PluginLifecycle::init();
        player::play();
        sim::advance(1000);
        player::setVolume(100);
        sim::advance(10000);
    }
};

TEST_F(Windows95, CleanSwapsTheDatabaseInThroughABackupThatGoesAway) {
    sim::writeFile(DATABASE_PATH, std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"gone.mp3[5]\"=300\r\n");
    player::setPlaylist({song("a.mp3", 10)});
    PluginLifecycle::init();
    EXPECT_EQ(clean(), "Done");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n");
    EXPECT_FALSE(sim::fileExists(BACKUP));
    EXPECT_FALSE(sim::fileExists(REBUILD));
    PluginLifecycle::quit();
}

TEST_F(Windows95, ASwapCutShortLosesNothingAndTheNextPassFinishesIt) {
    const std::string before = std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"gone.mp3[5]\"=300\r\n";
    sim::writeFile(DATABASE_PATH, before);
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});
    PluginLifecycle::init();

    // The new database cannot take its name, nor can the old one take it back.
    sim::refuseRename(REBUILD);
    sim::refuseRename(BACKUP);
    EXPECT_EQ(clean(), "Warning");
    EXPECT_EQ(sim::readFile(BACKUP), before) << "every record is still in the backup";

    // Songs go on meanwhile: b.mp3 ends at 100, but writing a new database now would
    // bury the backup, so its record waits.
    player::play();
    sim::advance(11000);
    player::setVolume(100);
    sim::advance(10000);
    EXPECT_FALSE(sim::fileExists(DATABASE_PATH));

    sim::allowRename(REBUILD);
    sim::allowRename(BACKUP);
    player::jumpTo(0);
    sim::advance(11000);  // the next song change puts the database back, then the record
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, DATABASE_PATH);  // out of 9x's cache
    EXPECT_EQ(sim::readFile(DATABASE_PATH), before + "\"b.mp3[1000]\"=225\r\n");
    EXPECT_FALSE(sim::fileExists(BACKUP));

    EXPECT_EQ(clean(), "Done");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"b.mp3[1000]\"=225\r\n");
    PluginLifecycle::quit();
}

TEST_F(Windows95, SongsThatStartWhileASwapWaitsGetTheirOwnVolumes) {
    sim::writeFile(DATABASE_PATH, std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n\"b.mp3[1000]\"=240\r\n");
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});
    PluginLifecycle::init();
    sim::refuseRename(REBUILD);
    sim::refuseRename(BACKUP);
    EXPECT_EQ(clean(), "Warning");
    player::play();
    sim::advance(11000);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{175, 115})) << "read where the swap set them aside";
    PluginLifecycle::quit();
}

TEST_F(Windows95, ASetAsideFileLeftBehindNeverComesBackAndTheListenersOwnFilesAreLeftAlone) {
    const std::string listenersBackup = std::string(SECTION) + "\"mine.mp3[1]\"=1\r\n";
    sim::writeFile(std::string(DATABASE_PATH) + ".bak", listenersBackup);
    sim::writeFile(DATABASE_PATH, std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"gone.mp3[5]\"=300\r\n");
    player::setPlaylist({song("a.mp3", 10)});
    PluginLifecycle::init();
    sim::refuseDelete(BACKUP);  // a virus scanner holds the old database as the swap ends
    EXPECT_EQ(clean(), "Done");
    player::setPlaylist({});
    EXPECT_EQ(clean(), "Done");  // keeps nothing
    EXPECT_FALSE(sim::fileExists(DATABASE_PATH));

    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    player::play();
    sim::advance(11000);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{130, 130})) << "nothing read from the old snapshot";
    PluginLifecycle::quit();
    PluginLifecycle::init();
    EXPECT_FALSE(sim::fileExists(DATABASE_PATH));
    EXPECT_EQ(sim::readFile(std::string(DATABASE_PATH) + ".bak"), listenersBackup);
    PluginLifecycle::quit();
}

TEST_F(Windows95, CleanAsksTheSizesOnTwoThreadsThere) {
    std::vector<player::Entry> many;
    for (int i = 0; i < 600; ++i) many.push_back({"C:\\Music\\song " + std::to_string(i) + ".mp3", 10});
    player::setPlaylist(many);
    PluginLifecycle::init();
    EXPECT_EQ(clean(), "Done");
    EXPECT_EQ(sim::threadsStarted(), 1);
    PluginLifecycle::quit();
}

// Windows 9x keeps the most recent profile file in a cache and writes it back lazily: a
// Clean must see the records still there, and the cache must not later write the old
// database back over the new one.
TEST_F(Windows95, CleanSeesCachedRecordsAndTheCacheNeverUndoesIt) {
    sim::writeFile(DATABASE_PATH, std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"gone.mp3[5]\"=300\r\n");
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10), song("end.mp3", 10)});
    PluginLifecycle::init();
    player::jumpTo(1);
    sim::advance(1000);
    player::setVolume(100);
    sim::advance(10000);  // b.mp3's record, in the cache
    EXPECT_EQ(clean(), "Done");
    player::setVolume(100);
    sim::advance(11000);  // c.mp3 ends at 100 too
    PluginLifecycle::quit();
    EXPECT_EQ(sim::readFile(DATABASE_PATH),
              std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"b.mp3[1000]\"=225\r\n\"c.mp3[1000]\"=225\r\n");
}

// While a virus scanner holds volume.ini (sharing it), 9x's profile functions read
// nothing from it: every song would start at the reference, and Clean would see no
// records at all. Nor can the held file be renamed, so Clean says it could not.
TEST_F(Windows95, AHeldDatabaseStillGivesEverySongItsVolumeAndCleanKeepsItsRecords) {
    sim::writeFile(DATABASE_PATH, std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n\"b.mp3[1000]\"=240\r\n");
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("end.mp3", 10)});
    PluginLifecycle::init();
    HANDLE scanner = CreateFileA(DATABASE_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    player::play();
    sim::advance(11000);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{175, 115}));
    EXPECT_EQ(clean(), "Warning");
    CloseHandle(scanner);
    PluginLifecycle::quit();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n\"b.mp3[1000]\"=240\r\n");
}

// The database tool reads the file itself: records the player's profile cache still holds
// must reach the file first.
TEST_F(Windows95, TheToolSeesRecordsTheProfileCacheStillHolds) {
    playTheFirstSongAt100();
    dbtool::Run listed = dbtool::run({"list", "--database", DATABASE_PATH});
    EXPECT_NE(listed.out.find("a.mp3[1000]"), std::string::npos) << listed.out << listed.err;
    PluginLifecycle::quit();
}

// Only 9x keeps a profile file in a cache of its own, and only there is it flushed.
TEST_F(Windows95, IsToldFromNtBasedWindowsByTheVersionItReports) {
    EXPECT_TRUE(LaterWindows::windows9x());
    sim::runAsWindows95(false);
    EXPECT_FALSE(LaterWindows::windows9x());
    sim::runAsWindowsNT4(true);
    EXPECT_FALSE(LaterWindows::windows9x());
}

TEST_F(Windows95, TheFilesStayBesideTheModuleThatMayBeWritten) {
    playTheFirstSongAt100();
    PluginLifecycle::quit();
    EXPECT_TRUE(sim::messageBoxes().empty()) << "no folder was found unwritable";
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n");
    EXPECT_TRUE(sim::fileExists(SETTINGS_PATH));
}

// Another module subclassed the host's window after us and stays.
WNDPROC underOther = nullptr;
LRESULT CALLBACK otherModule(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(underOther, window, message, wParam, lParam);
}

TEST_F(Windows95, QuitUnderAnotherModulesProcedureKeepsTheModuleLoadedByLoadingItAgain) {
    PluginLifecycle::init();
    underOther = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(player::window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(otherModule)));
    PluginLifecycle::quit();
    EXPECT_TRUE(sim::modulePinned(sim::pluginInstance()));
}

}  // namespace
