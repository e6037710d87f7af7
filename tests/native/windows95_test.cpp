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

    // The listener presses Clean in the dialog; answers the notice's caption.
    static std::string clean() {
        sim::clearMessageBoxes();
        sim::whileDialogOpen([](HWND dialog) {
            sim::click(dialog, IDC_CLEAN_DATABASE);
            sim::click(dialog, IDOK);
        });
        PluginLifecycle::config();
        return sim::messageBoxes().empty() ? "" : sim::messageBoxes()[0].caption;
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

// Only 9x keeps a profile file in a cache of its own, and only there is it flushed.
TEST_F(Windows95, IsToldFromNtBasedWindowsByTheVersionItReports) {
    EXPECT_TRUE(LaterWindows::windows9x());
    sim::runAsWindows95(false);
    EXPECT_FALSE(LaterWindows::windows9x());
    sim::runAsWindowsNT4(true);
    EXPECT_FALSE(LaterWindows::windows9x());
}

TEST_F(Windows95, TheFilesStayBesideTheModuleThatMayBeWritten) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    PluginLifecycle::init();
    player::play();
    sim::advance(1000);
    player::setVolume(100);
    sim::advance(10000);
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
