// The paths a folder walk hands the pass, deep in a tree that two threads walk: each the
// very path a 5.x player would hand out, whether the code page holds the folder's name,
// the file's name, both or neither.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin_test_support.h"
#include "tool/folder_scan.h"
#include "tool/song_collection.h"

using namespace testsupport;

namespace {

using FolderWalkNames = PluginScenario;

// The ANSI form of a file's short path, as a 5.x player hands it out.
std::string shortPathOf(const WCHAR* path) {
    WCHAR shortPath[MAX_PATH] = L"";
    char ansi[MAX_PATH] = "";
    if (GetShortPathNameW(path, shortPath, MAX_PATH) == 0) return "<no short path>";
    WideCharToMultiByte(CP_ACP, 0, shortPath, -1, ansi, MAX_PATH, nullptr, nullptr);
    return ansi;
}

void walkAndExpectThePathsThePlayerHandsOut() {
    // 32 folders: enough that the walkers, not the first listing, take the one below.
    for (int i = 0; i < 32; ++i) sim::writeFile("C:\\Library\\f" + std::to_string(10 + i) + "\\a.mp3", "song");
    const std::string deep = "C:\\Library\\f41\\";
    sim::writeFile(deep + "Caf\xC3\xA9.mp3", std::string(66, 'x'));                                    // the code page has it
    sim::writeFile(deep + "\xD0\x9F\xD0\xB5\xD1\x81\\b.mp3", std::string(88, 'x'));                    // in a folder it lacks
    sim::writeFile(deep + "\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.mp3", std::string(77, 'x'));       // a name it lacks
    sim::writeFile(deep + "\xD0\x9F\xD0\xB5\xD1\x81\\\xD0\x9F.mp3", std::string(99, 'x'));             // both

    SongCollection::reset();
    ASSERT_TRUE(FolderScan::addFolder(L"C:\\Library"));
    DatabaseMaintenance::SongList list = SongCollection::asSongList();
    ASSERT_EQ(list.count, 36);
    std::vector<std::string> walked;
    std::vector<int> wideSizes;
    for (int i = 31; i < list.count; ++i) {
        char path[MAX_PATH];
        walked.push_back(list.pathOf(list.context, i, path, sizeof path) ? path : "<none>");
        wideSizes.push_back(list.wideSizeOf(list.context, i));
    }
    const std::vector<std::string> expected = {
        "C:\\Library\\f41\\a.mp3",
        "C:\\Library\\f41\\Caf\xE9.mp3",
        shortPathOf(L"C:\\Library\\f41\\\x041F\x0435\x0441\\b.mp3"),
        shortPathOf(L"C:\\Library\\f41\\\x041F\x0435\x0441\\\x041F.mp3"),
        shortPathOf(L"C:\\Library\\f41\\\x041F\x0435\x0441\x043D\x044F.mp3"),
    };
    EXPECT_EQ(walked, expected);
    // Sized through the wide path where the ANSI one lost letters, as the tracker sizes them.
    EXPECT_EQ(wideSizes, (std::vector<int>{-1, -1, 88, 99, 77}));
}

TEST_F(FolderWalkNames, EveryPathIsTheOneThePlayerHandsOut) { walkAndExpectThePathsThePlayerHandsOut(); }

// Windows before 7 refuse the listing without short names: the walk lists them the
// older way and finds the same songs.
TEST_F(FolderWalkNames, BeforeWindowsSevenTheSameSongsAreFound) {
    sim::cutSectionListings(true);
    walkAndExpectThePathsThePlayerHandsOut();
}

}  // namespace
