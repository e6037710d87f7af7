// loudmark-db and the plug-in over the same files and the same database: the tool must
// name every song by the key the plug-in uses, predict the volume the plug-in sets, write
// what the plug-in writes, and clean exactly as the dialog's Clean and Trim do.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "adapters/host_link.h"
#include "controls/resource_ids.h"
#include "memory/song_tracker.h"
#include "memory/volume_database.h"
#include "plugin/plugin_lifecycle.h"
#include "plugin/plugin_record.h"
#include "plugin_test_support.h"
#include "sim/dialogs.h"

#include "../tool/db_tool_runner.h"

using namespace testsupport;
namespace player = sim::player;

namespace {


// The listener's songs, each with the volume they turn it to while it plays.
struct Listening {
    std::string path;
    int endVolume;
};

class ToolAndPlugin : public PluginScenario {
protected:
    std::vector<Listening> songs;

    void SetUp() override {
        PluginScenario::SetUp();
        songs = {
            {song("a.mp3", 10, 1000).path, 100},
            {song("Bracket [live].mp3", 10, 2000).path, 150},
            {song("Quiet.mp3", 10, 3000).path, 200},
            {song("x=y.mp3", 10, 4000).path, 90},   // never recorded: '=' in the name
            {"C:\\Music\\gone.mp3", 120},            // no file: keyed with size -1
        };
        sim::writeFile(DATABASE_PATH, DATABASE_HEADER +
                                          "\"a.mp3[1000]\"=225\r\n"
                                          "\"BRACKET [LIVE].mp3[2000]\"=300\r\n"  // found in any letter case
                                          "\"Quiet.mp3[3000]\"=600\r\n"           // asks for more than 255
                                          "\"gone.mp3[-1]\"=200\r\n"
                                          "\"x=y.mp3[4000]\"=100\r\n");
    }

    // A field of song `index`'s block in show's answer; -999 when it has none.
    static int shown(const dbtool::Run& run, const char* field, size_t index) {
        std::vector<std::string> blocks;
        std::regex lines("[^\n]*\n");
        for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), lines); it != std::sregex_iterator(); ++it) {
            std::string line = it->str();
            if (line.compare(0, 2, "  ") != 0) blocks.emplace_back();
            if (!blocks.empty()) blocks.back() += line;
        }
        std::smatch match;
        std::regex value(std::string("  ") + field + ": +(none|-?[0-9]+)");
        if (index >= blocks.size() || !std::regex_search(blocks[index], match, value)) return -999;
        return match[1] == "none" ? VolumeDatabase::NO_RECORD : std::stoi(match[1]);
    }

    dbtool::Run show() {
        std::vector<std::string> words = {"show", "--database", DATABASE_PATH};
        for (const Listening& s : songs) words.push_back(s.path);
        return dbtool::run(words);
    }

    // The playlist played through with the plug-in tracking, the volume turned for each.
    void playThrough() {
        std::vector<player::Entry> entries;
        for (const Listening& s : songs) entries.push_back({s.path, 10});
        entries.push_back(song("coda.mp3", 10, 10));  // so that the last song ends with a song change
        player::setPlaylist(entries);
        routeThroughPlugin();
        player::setVolume(130);
        player::play();
        SongTracker::start();
        for (const Listening& s : songs) {
            sim::advance(2000);
            player::setVolume(s.endVolume);
            sim::advance(10000);
        }
    }
};

TEST_F(ToolAndPlugin, ShowPredictsTheVolumeThePluginSetsAndFindsTheRecordItWrites) {
    dbtool::Run before = show();
    // gone.mp3 is missing: shown keyed with -1, and said.
    ASSERT_EQ(before.status, 4) << before.err;
    EXPECT_EQ(before.err, "loudmark-db: C:\\Music\\gone.mp3: cannot be opened, so the plug-in keys it with the size -1\n");
    playThrough();
    std::vector<int> set = player::volumesSet();
    ASSERT_GE(set.size(), songs.size());
    dbtool::Run after = show();
    for (size_t i = 0; i < songs.size(); ++i) {
        SCOPED_TRACE(songs[i].path);
        EXPECT_EQ(shown(before, "volume", i), set[i]);
        bool storable = songs[i].path.find('=') == std::string::npos;
        EXPECT_EQ(shown(after, "record", i), storable ? 255 - 130 + songs[i].endVolume : -999);
    }
    // The values as list reads them, against the platform's own reading of each key.
    dbtool::Run listed = dbtool::run({"list", "--database", DATABASE_PATH, "--format", "csv"});
    EXPECT_NE(listed.out.find("BRACKET [LIVE].mp3,2000,275,20,150,\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("gone.mp3,-1,245,-10,120,\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("x=y.mp3,4000,100,-155,0,'=' in the name\n"), std::string::npos) << listed.out;
}

TEST_F(ToolAndPlugin, SetWritesTheFileThePluginWrites) {
    const std::string initial = sim::readFile(DATABASE_PATH);
    playThrough();
    const std::string byPlugin = sim::readFile(DATABASE_PATH);
    // Each song's line takes its new value where it stood, in the spelling it had.
    EXPECT_EQ(byPlugin, DATABASE_HEADER +
                            "\"a.mp3[1000]\"=225\r\n"
                            "\"BRACKET [LIVE].mp3[2000]\"=275\r\n"
                            "\"Quiet.mp3[3000]\"=325\r\n"
                            "\"gone.mp3[-1]\"=245\r\n"
                            "\"x=y.mp3[4000]\"=100\r\n");

    sim::writeFile(DATABASE_PATH, initial);
    for (const Listening& s : songs) {
        bool missing = s.path.find("gone") != std::string::npos;
        std::vector<std::string> words = {"set", "--database", DATABASE_PATH, "--force"};
        if (missing) words.insert(words.end(), {"--key", "gone.mp3[-1]"});
        else words.push_back(s.path);
        words.push_back(std::to_string(s.endVolume));
        dbtool::Run run = dbtool::run(words);
        EXPECT_EQ(run.status, s.path.find('=') == std::string::npos ? 0 : 1) << s.path << run.err;
    }
    EXPECT_EQ(sim::readFile(DATABASE_PATH), byPlugin);
}

// On a 5.9 player, names its ANSI code page cannot hold reach the tracker as short paths.
// The tool, given the same files by their names as the listener types them, keys each
// song as the tracker did: show finds its record, clean over their folder keeps them all,
// set and remove work on them.
TEST_F(ToolAndPlugin, OnA59PlayerTheToolKeysNamesOutsideTheCodePageAsTheTrackerDoes) {
    const std::string cyrillic = "C:\\Library\\\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.mp3";
    const std::string japanese = "C:\\Library\\\xE6\x9B\xB2.mp3";
    const std::string cafe = "C:\\Library\\Caf\xC3\xA9.mp3";
    // The 5.9 player keeps its plug-ins' files in its settings folder.
    const std::string database = std::string(player::MODERN_INI_DIRECTORY) + "\\Plugins\\volume.ini";
    const char* const DATABASE_PATH = database.c_str();
    DeleteFileA(testsupport::DATABASE_PATH);  // nothing to carry over from beside the module
    sim::writeFile(DATABASE_PATH, "");
    sim::setModulePath(sim::pluginInstance(), PLUGIN_PATH);
    pluginRecord.hwndParent = player::startModern();
    pluginRecord.hDllInstance = sim::pluginInstance();
    HostLink::attach(pluginRecord.hwndParent);
    std::vector<player::Entry> entries;
    for (const std::string& path : {cyrillic, japanese, cafe}) {
        sim::writeFile(path, std::string(1000 + entries.size(), 'x'));
        entries.push_back({path, 10});
    }
    entries.push_back(song("coda.mp3", 10, 10));
    player::setPlaylist(entries);
    player::setVolume(130);
    PluginLifecycle::init();
    player::play();
    for (int volume : {100, 110, 120}) {
        sim::advance(2000);
        player::setVolume(volume);
        sim::advance(8000);
    }
    PluginLifecycle::quit();
    const std::string byTracker = sim::readFile(DATABASE_PATH);
    ASSERT_EQ(byTracker, DATABASE_HEADER + "\"_____~1.MP3[1000]\"=225\r\n\"_~1.MP3[1001]\"=235\r\n\"Caf\xE9.mp3[1002]\"=245\r\n");

    dbtool::Run shown = dbtool::run({"show", "--database", DATABASE_PATH, cyrillic, japanese, cafe});
    EXPECT_EQ(shown.status, 0) << shown.err;
    for (const char* key : {"\"_____~1.MP3[1000]\"\n  record:    225", "\"_~1.MP3[1001]\"\n  record:    235",
                            "\"Caf\xE9.mp3[1002]\"\n  record:    245"}) {
        EXPECT_NE(shown.out.find(key), std::string::npos) << key << "\n" << shown.out;
    }
    dbtool::Run clean = dbtool::run({"clean", "--force", "--database", DATABASE_PATH, "C:\\Library"});
    EXPECT_EQ(clean.out, "3 songs: 3 records kept, 0 went\n") << clean.err;
    EXPECT_EQ(dbtool::run({"set", "--force", "--database", DATABASE_PATH, japanese, "90"}).out,
              "\"_~1.MP3[1001]\"=215: starts at 90 with the reference at 130\n");
    dbtool::Run removed = dbtool::run({"remove", "--force", "--database", DATABASE_PATH, cyrillic});
    EXPECT_EQ(removed.out, "\"_____~1.MP3[1000]\": removed\n") << removed.err;
    EXPECT_EQ(dbtool::run({"clean", "--dry-run", "--database", DATABASE_PATH, cyrillic}).status, 0);
}

// The dialog's Clean and Trim over the playlist, and the tool over a folder and over a
// playlist file of the same songs in the same order, leave byte-identical databases.
class ToolAndDialog : public PluginScenario {
protected:
    std::string initial;
    std::vector<player::Entry> collection;

    void SetUp() override {
        PluginScenario::SetUp();
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
        // A folder walk goes folder by folder in name order, as the playlist is laid out.
        collection = {songAt("C:\\Music\\Album A\\01 Intro.mp3", 1100), songAt("C:\\Music\\Album A\\02 Song.mp3", 1200),
                      songAt("C:\\Music\\album b\\Loud.mp3", 1300), songAt("C:\\Music\\loose.mp3", 1400)};
        songAt("C:\\Elsewhere\\other.mp3", 1500);
        initial = DATABASE_HEADER +
                  "\"other.mp3[1500]\"=300\r\n"       // not in the collection
                  "\"loose.mp3[1400]\"=120\r\n"       // inside the 12% and 18% bands
                  "\"LOUD.mp3[1300]\"=70\r\n"         // inside 24% only
                  "\"02 Song.mp3[1200]\"=0x120\r\n"   // read as 288
                  "\"01 Intro.mp3[1100]\"=170\r\n"    // inside 18% and 24%
                  "\"02 Song.mp3[1200]\"=1\r\n";      // never read
        sim::writeFile("C:\\Music\\collection.m3u",
                       "#EXTM3U\r\n#EXTINF:10,Intro\r\nAlbum A\\01 Intro.mp3\r\nAlbum A\\02 Song.mp3\r\n"
                       "album b\\Loud.mp3\r\n\\Music\\loose.mp3\r\n");
    }

    static player::Entry songAt(const std::string& path, int size) {
        sim::writeFile(path, std::string(static_cast<size_t>(size), 'x'));
        return {path, 10};
    }

    std::string byDialog(const std::string& settingsLines, int button) {
        sim::writeFile(DATABASE_PATH, initial);
        sim::writeFile(SETTINGS_PATH, DATABASE_HEADER + settingsLines);
        PluginLifecycle::init();
        player::setPlaylist(collection);
        sim::whileDialogOpen([button](HWND dialog) {
            sim::click(dialog, button);
            sim::click(dialog, IDOK);
        });
        PluginLifecycle::config();
        PluginLifecycle::quit();
        return sim::readFile(DATABASE_PATH);
    }

    std::string byTool(std::vector<std::string> words) {
        sim::writeFile(DATABASE_PATH, initial);
        words.insert(words.begin() + 1, {"--database", DATABASE_PATH});
        dbtool::Run run = dbtool::run(words);
        // The lines the plug-in cannot read are reported, and said to be dropped.
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("volume.ini:7: the same key as line 5"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("loudmark-db: dropped 2 lines of "), std::string::npos) << run.err;
        return sim::readFile(DATABASE_PATH);
    }
};

TEST_F(ToolAndDialog, CleanOfAFolderOrAPlaylistLeavesTheDatabaseTheDialogsCleanLeaves) {
    std::string dialog = byDialog("\"Trim\"=0\r\n", IDC_CLEAN_DATABASE);
    EXPECT_EQ(dialog, DATABASE_HEADER +
                          "\"01 Intro.mp3[1100]\"=170\r\n\"02 Song.mp3[1200]\"=288\r\n\"Loud.mp3[1300]\"=70\r\n"
                          "\"loose.mp3[1400]\"=120\r\n");
    EXPECT_EQ(byTool({"clean", "--force", "C:\\Music"}), dialog);
    EXPECT_EQ(byTool({"clean", "--force", "C:\\Music\\collection.m3u"}), dialog);
}

// A Clean against a playlist that held only part of the collection is one undo from
// undone, with the player closed: the dialog keeps the copy the tool brings back.
TEST_F(ToolAndDialog, TheDialogsCleanIsOneUndoFromUndone) {
    byDialog("\"Trim\"=0\r\n", IDC_CLEAN_DATABASE);
    sim::destroyWindow(player::window());
    dbtool::Run undo = dbtool::run({"undo", "--database", DATABASE_PATH});
    EXPECT_EQ(undo.out, "1 record brought back, 0 edits undone, 0 records written since kept\n") << undo.err;
    EXPECT_EQ(sim::readFile(DATABASE_PATH), initial);
}

TEST_F(ToolAndDialog, TrimAndCleanWithAlwaysTrimFollowTheBandAsTheDialogDoes) {
    std::string dialog = byDialog("\"Trim\"=0\r\n\"TrimTo\"=2\r\n", IDC_TRIM_DATABASE);
    EXPECT_EQ(dialog, DATABASE_HEADER + "\"02 Song.mp3[1200]\"=288\r\n\"Loud.mp3[1300]\"=70\r\n");
    EXPECT_EQ(byTool({"trim", "--force", "--band", "18", "C:\\Music\\collection.m3u"}), dialog);
    // With "Always trim" saved, the dialog's Clean trims with the saved band; so does the tool's.
    std::string always = byDialog("\"Trim\"=1\r\n\"TrimTo\"=3\r\n", IDC_CLEAN_DATABASE);
    EXPECT_EQ(always, DATABASE_HEADER + "\"02 Song.mp3[1200]\"=288\r\n");
    sim::writeFile(SETTINGS_PATH, DATABASE_HEADER + "\"Trim\"=1\r\n\"TrimTo\"=3\r\n");
    EXPECT_EQ(byTool({"clean", "--force", "C:\\Music\\collection.m3u"}), always);
}

}  // namespace
