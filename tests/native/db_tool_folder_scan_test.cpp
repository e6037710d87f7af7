// A folder tree as loudmark-db walks it: every file a song, folder after folder in name
// order whichever thread walked which part, links to folders not followed, a name outside
// the code page sized through its wide path, and a folder it cannot list reported
// without losing the rest.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "plugin_test_support.h"
#include "tool/folder_scan.h"
#include "tool/song_collection.h"

#include "../tool/db_tool_runner.h"

using namespace testsupport;

namespace {

using FolderWalk = PluginScenario;

TEST_F(FolderWalk, AFolderTreeIsWalkedInNameOrderAndAFolderThatCannotBeListedIsReported) {
    // 6 artists of 7 albums: more subtrees than are listed before the walk, so most of
    // the tree is walked by the two walkers. Names compare regardless of case, and a
    // digit comes before a letter.
    std::vector<std::string> expected;
    for (int artist = 0; artist < 6; ++artist) {
        std::string artistFolder = "C:\\Library\\artist " + std::to_string(artist);
        for (int album = 0; album < 7; ++album) {
            std::string albumFolder = artistFolder + "\\Album " + std::to_string(album);
            for (const char* name : {"01 One.mp3", "02 two.mp3"}) {
                sim::writeFile(albumFolder + "\\" + name, "song");
                if (artist != 3 || album != 4) expected.push_back(albumFolder + "\\" + name);
            }
        }
        if (artist == 0) {
            sim::writeFile(artistFolder + "\\Cover.jpg", "jpg");
            expected.push_back(artistFolder + "\\Cover.jpg");
        }
        if (artist == 5) {
            // The short path where the code page cannot hold the name, as a 5.x player hands
            // it: every part of it short that has a short name.
            sim::writeFile(artistFolder + "\\Album 6\\Caf\xC3\xA9.mp3", std::string(66, 'x'));
            sim::writeFile(artistFolder + "\\Album 6\\\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.mp3", std::string(77, 'x'));
            expected.push_back(artistFolder + "\\Album 6\\Caf\xE9.mp3");
            expected.push_back("C:\\Library\\ARTIST~6\\ALBUM6~1\\_____~1.MP3");
        }
    }
    sim::writeFile("C:\\Library\\Zz.mp3", "song");
    expected.push_back("C:\\Library\\Zz.mp3");
    ASSERT_EQ(symlink(sim::linuxPath("C:\\Library\\artist 1").c_str(), sim::linuxPath("C:\\Library\\link").c_str()), 0);
    sim::refuseListing("C:\\Library\\artist 3\\Album 4");

    dbtool::Run reported;
    dbtool::attach(&reported);
    SongCollection::reset();
    EXPECT_FALSE(FolderScan::addFolder(L"C:\\Library"));
    dbtool::detach();

    EXPECT_EQ(reported.err, "loudmark-db: C:\\Library\\artist 3\\Album 4\\: cannot be read\n");
    DatabaseMaintenance::SongList list = SongCollection::asSongList();
    std::vector<std::string> walked;
    for (int i = 0; i < list.count; ++i) {
        char path[MAX_PATH];
        walked.push_back(list.pathOf(list.context, i, path, sizeof path) ? path : "<none>");
    }
    EXPECT_EQ(walked, expected);
    ASSERT_EQ(walked.size(), expected.size());
    EXPECT_EQ(list.knownSizeOf(list.context, list.count - 3), 66);
    EXPECT_EQ(list.knownSizeOf(list.context, list.count - 2), 77);  // the name the code page lacks
    EXPECT_EQ(list.wideSizeOf(list.context, list.count - 2), 77);
}

}  // namespace
