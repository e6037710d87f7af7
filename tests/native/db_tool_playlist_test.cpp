// Playlists as loudmark-db reads them: every entry becomes the path the player would
// hand the plug-in, and every line it cannot use is reported by its number, so that a
// clean never drops records for songs it merely failed to read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin_test_support.h"
#include "tool/playlist_reader.h"
#include "tool/song_collection.h"

#include "../tool/db_tool_runner.h"

using namespace testsupport;

namespace {

class PlaylistReading : public PluginScenario {
protected:
    dbtool::Run reported;

    // The songs a playlist gives, as the pass asks for them, and whether it was read whole.
    bool read(const std::string& path, const std::string& bytes, std::vector<std::string>* paths) {
        sim::writeFile(path, bytes);
        SongCollection::reset();
        reported = dbtool::Run();
        dbtool::attach(&reported);
        std::wstring widePath(path.begin(), path.end());  // the playlists' paths are ASCII
        bool complete = PlaylistReader::addPlaylist(widePath.c_str());
        dbtool::detach();
        DatabaseMaintenance::SongList list = SongCollection::asSongList();
        paths->clear();
        for (int i = 0; i < list.count; ++i) {
            char entry[MAX_PATH];
            paths->push_back(list.pathOf(list.context, i, entry, sizeof entry) ? entry : "<none>");
        }
        return complete;
    }
};

TEST_F(PlaylistReading, M3uEntriesAreTakenFromThePlaylistsFolderOrDriveAndExtinfIsSkipped) {
    for (const char* folder : {"C:\\Music\\Album", "C:\\Other", "C:\\Lists"}) sim::writeFile(std::string(folder) + "\\x", "");
    std::vector<std::string> paths;
    EXPECT_TRUE(read("C:\\Lists\\mix.m3u",
                     "#EXTM3U\r\n#EXTINF:233,Artist - Title\r\n..\\Music\\Album\\a.mp3\r\n"
                     "  C:\\Other\\b.mp3  \r\n\r\n\\Music\\Album\\c.mp3\n"
                     "missing.mp3\r\nhttp://radio.example:8000/listen.mp3\r\n",
                     &paths))
        << reported.err;
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\Lists\\..\\Music\\Album\\a.mp3", "C:\\Other\\b.mp3",
                                               "C:\\Music\\Album\\c.mp3", "C:\\Lists\\missing.mp3",
                                               "http://radio.example:8000/listen.mp3"}));
}

TEST_F(PlaylistReading, PlsTakesItsFileLinesAndReportsOneThatNamesNothing) {
    sim::writeFile("C:\\Music\\x", "");
    std::vector<std::string> paths;
    EXPECT_FALSE(read("C:\\Music\\radio.pls",
                      "[playlist]\r\nFile1=one.mp3\r\nTitle1=One\r\nLength1=10\r\nfile2=C:\\Music\\two.mp3\r\n"
                      "File3=\r\nNumberOfEntries=3\r\nVersion=2\r\n",
                      &paths));
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\Music\\one.mp3", "C:\\Music\\two.mp3"}));
    EXPECT_EQ(reported.err,
              "loudmark-db: C:\\Music\\radio.pls:2: no file C:\\Music\\one.mp3\n"
              "loudmark-db: C:\\Music\\radio.pls:5: no file C:\\Music\\two.mp3\n"
              "loudmark-db: C:\\Music\\radio.pls:6: the entry names no file\n");
}

TEST_F(PlaylistReading, M3u8IsUtf8AfterItsByteOrderMarkAndANameOutsideTheCodePageIsSizedThroughItsWidePath) {
    const std::string song = "\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.mp3";  // Cyrillic
    sim::writeFile("C:\\Music\\" + song, std::string(1234, 'x'));
    sim::writeFile("C:\\Music\\Caf\xC3\xA9.mp3", std::string(77, 'x'));
    std::vector<std::string> paths;
    EXPECT_FALSE(read("C:\\Music\\list.m3u8",
                      "\xEF\xBB\xBF#EXTM3U\r\n" + song + "\r\nCaf\xC3\xA9.mp3\r\nbad \xC3(.mp3\r\nok.mp3\r\n", &paths));
    // As a 5.x player hands them out: the short path for the name the code page cannot
    // hold, the ANSI path for the one it can.
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\Music\\_____~1.MP3", "C:\\Music\\Caf\xE9.mp3", "C:\\Music\\ok.mp3"}));
    DatabaseMaintenance::SongList list = SongCollection::asSongList();
    EXPECT_EQ(list.wideSizeOf(list.context, 0), 1234);
    EXPECT_EQ(list.knownSizeOf(list.context, 1), 77);
    EXPECT_EQ(reported.err, "loudmark-db: C:\\Music\\list.m3u8:4: the line is not UTF-8 text, or is too long for the player\n"
                            "loudmark-db: C:\\Music\\list.m3u8:5: no file C:\\Music\\ok.mp3\n");
}

TEST_F(PlaylistReading, ForwardSlashesAreReadAsThePlayerReadsThemAndEntriesWithNoFileAreNamed) {
    sim::writeFile("C:\\Music\\Artist A\\Album One\\Caf\xC3\xA9.mp3", std::string(55, 'x'));
    std::vector<std::string> paths;
    EXPECT_TRUE(read("C:\\Music\\Lists\\mix.m3u8",
                     "../Artist A/Album One/Caf\xC3\xA9.mp3\r\n../Artist A/Album One/gone.mp3\r\n"
                     "http://radio.example/a/b.mp3\r\n",
                     &paths))
        << reported.err;
    EXPECT_EQ(paths, (std::vector<std::string>{"C:\\Music\\Lists\\..\\Artist A\\Album One\\Caf\xE9.mp3",
                                               "C:\\Music\\Lists\\..\\Artist A\\Album One\\gone.mp3",
                                               "http://radio.example/a/b.mp3"}));
    DatabaseMaintenance::SongList list = SongCollection::asSongList();
    EXPECT_EQ(list.knownSizeOf(list.context, 0), 55);
    EXPECT_EQ(reported.err, "loudmark-db: C:\\Music\\Lists\\mix.m3u8:2: no file "
                            "C:\\Music\\Lists\\..\\Artist A\\Album One\\gone.mp3\n");
}

TEST_F(PlaylistReading, AFolderThatIsNotThereIsReportedOnceAndALineTooLongIsReported) {
    sim::writeFile("C:\\Music\\x", "");
    std::vector<std::string> paths;
    std::string tooLong(300, 'n');
    EXPECT_FALSE(read("C:\\Music\\drive.m3u",
                      "E:\\Album\\1.mp3\r\nE:\\Album\\2.mp3\r\n" + tooLong + ".mp3\r\ngone.mp3\r\n", &paths));
    // The songs stay on the list, as the player would have them (--force cleans so).
    EXPECT_EQ(paths, (std::vector<std::string>{"E:\\Album\\1.mp3", "E:\\Album\\2.mp3", "C:\\Music\\gone.mp3"}));
    EXPECT_EQ(reported.err,
              "loudmark-db: C:\\Music\\drive.m3u:1: the folder E:\\Album\\ is not there\n"
              "loudmark-db: C:\\Music\\drive.m3u:3: the path is too long for the player\n"
              "loudmark-db: C:\\Music\\drive.m3u:4: no file C:\\Music\\gone.mp3\n");
}

}  // namespace
