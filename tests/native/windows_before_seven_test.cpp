// Windows 95 to Vista, where the platform lists at most 32,767 characters of a profile
// section (a database of some 800 songs): Clean still keeps every record of a song on
// the playlist, byte for byte what it keeps on Windows 7.
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

class WindowsBefore7 : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
    }

    // A database of `records` songs that are nowhere on disk (their keys hold -1 as the
    // size, as the tracker writes them for a file it cannot open), and a playlist of
    // every other one. Answers what Clean must leave.
    static std::string databaseAndPlaylistOf(int records) {
        std::string database = SECTION;
        std::string kept = SECTION;
        std::vector<player::Entry> playlist;
        for (int i = 0; i < records; ++i) {
            std::string name = "Artist " + std::to_string(i % 97) + " - Song " + std::to_string(i) + ".mp3";
            std::string line = "\"" + name + "[-1]\"=" + std::to_string(i % 511) + "\r\n";
            database += line;
            if (i % 2 == 1) continue;
            kept += line;
            playlist.push_back({"D:\\Gone\\" + name, 200});
        }
        sim::writeFile(DATABASE_PATH, database);
        player::setPlaylist(playlist);
        return kept;
    }

    static std::string clean() { return cleanInTheDialog(); }
};

}  // namespace

TEST_F(WindowsBefore7, CleanKeepsEveryListedSongOfADatabaseLongerThanTheListing) {
    for (int records : {2500, 100000}) {  // about 100 KB, and about 4 MB
        SCOPED_TRACE(records);
        sim::cutSectionListings(true);
        std::string kept = databaseAndPlaylistOf(records);
        PluginLifecycle::init();
        EXPECT_EQ(clean(), "Done");
        EXPECT_EQ(sim::readFile(DATABASE_PATH), kept);
        PluginLifecycle::quit();
    }
}

// NT 4 refuses a profile write while any other program has the file open, even one that
// shares it: the record waits, and reaches the file at the next song change.
TEST_F(WindowsBefore7, OnNT4ARecordRefusedWhileAScannerSharesTheFileIsWrittenLater) {
    sim::runAsWindowsNT4(true);
    sim::writeFile(DATABASE_PATH, SECTION);
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});
    player::setVolume(130);
    PluginLifecycle::init();
    player::play();
    sim::advance(1000);
    player::setVolume(100);
    HANDLE scanner = CreateFileA(DATABASE_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    sim::advance(10000);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), SECTION);
    CloseHandle(scanner);
    sim::advance(10000);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n");
    PluginLifecycle::quit();
}
