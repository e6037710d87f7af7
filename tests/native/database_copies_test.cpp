// Power failed, or the disk filled, while the profile functions rewrote volume.ini: the
// file is left empty or cut, and nothing said so. At the next start the records come
// back from Loudmark's last whole copy, all but those written since the player started;
// what a Clean removed on purpose never does. Every Clean keeps the database as it was
// before, for an undo.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/resource_ids.h"
#include "plugin/plugin_lifecycle.h"
#include "plugin_test_support.h"
#include "sim/dialogs.h"

using namespace testsupport;
namespace player = sim::player;

namespace {

constexpr char SECTION[] = "[Tamsel Loudmark]\r\n";
const std::string WHOLE = std::string(DATABASE_PATH) + ".loudmark-whole";
const std::string UNDO = std::string(DATABASE_PATH) + ".loudmark-undo";

class DatabaseCopies : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
        player::setVolume(130);
    }

    // One evening with the player: the listener leaves each song at the volume given.
    static void evening(const std::vector<int>& volumes) {
        PluginLifecycle::init();
        player::jumpTo(0);
        sim::advance(1000);
        for (int volume : volumes) {
            player::setVolume(volume);
            sim::advance(10000);
        }
        player::stop();
        PluginLifecycle::quit();
    }

    static void cutDatabaseAt(size_t bytes) {
        sim::writeFile(DATABASE_PATH, sim::readFile(DATABASE_PATH).substr(0, bytes));
    }

    static std::string warnings() {
        std::string all;
        for (const auto& box : sim::messageBoxes()) {
            if (box.caption == "Warning") all += box.text + "\n";
        }
        return all;
    }
};

}  // namespace

TEST_F(DatabaseCopies, ADatabaseCutByACrashGetsItsRecordsBackAtTheNextStart) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10), song("end.mp3", 10)});
    const std::string three = std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"b.mp3[1000]\"=235\r\n\"c.mp3[1000]\"=245\r\n";
    evening({100, 110, 120});
    ASSERT_EQ(sim::readFile(DATABASE_PATH), three);
    evening({90});  // a.mp3 now 215; the player dies as the record is written
    cutDatabaseAt(std::string(SECTION).size() + 12);

    sim::clearMessageBoxes();
    PluginLifecycle::init();
    EXPECT_NE(warnings().find("cut short"), std::string::npos) << warnings();
    // a.mp3's new record was written this evening: it may go, and no more than that.
    EXPECT_EQ(sim::readFile(DATABASE_PATH), three);
    PluginLifecycle::quit();

    // An empty file, as a truncating write leaves it, too.
    sim::writeFile(DATABASE_PATH, "");
    PluginLifecycle::init();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), three);
    PluginLifecycle::quit();
}

TEST_F(DatabaseCopies, WhatACleanRemovedNeverComesBackAndTheOldDatabaseIsKeptForAnUndo) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("end.mp3", 10)});
    evening({100, 110});
    const std::string before = sim::readFile(DATABASE_PATH);
    player::setPlaylist({song("b.mp3", 10)});
    PluginLifecycle::init();
    cleanInTheDialog();
    PluginLifecycle::quit();
    const std::string cleaned = std::string(SECTION) + "\"b.mp3[1000]\"=235\r\n";
    EXPECT_EQ(sim::readFile(DATABASE_PATH), cleaned);
    EXPECT_EQ(sim::readFile(UNDO), before);

    sim::writeFile(DATABASE_PATH, "");  // cut to nothing
    PluginLifecycle::init();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), cleaned) << "a.mp3 was cleaned away and stays away";
    PluginLifecycle::quit();
}

TEST_F(DatabaseCopies, ADatabaseDeletedOnPurposeStaysDeleted) {
    player::setPlaylist({song("a.mp3", 10), song("end.mp3", 10)});
    evening({100});
    DeleteFileA(DATABASE_PATH);
    sim::clearMessageBoxes();
    evening({140});
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=265\r\n");
    PluginLifecycle::init();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=265\r\n");
    EXPECT_EQ(warnings(), "");
    PluginLifecycle::quit();
}
