// The listener edits the playlist while a song plays, or turns Loudmark off and on while
// the player goes on: on the 2.x and the 5.9 player alike, what the listener did to a
// song's volume is kept under that song, and no other song's record is touched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/resource_ids.h"
#include "adapters/host_link.h"
#include "plugin/plugin_lifecycle.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "plugin_test_support.h"
#include "sim/dialogs.h"

using namespace testsupport;
namespace player = sim::player;

namespace {

enum class Host { Winamp2, Winamp59 };

class PlaylistEdits : public ::testing::TestWithParam<Host> {
protected:
    void SetUp() override {
        freshMachine();
        if (GetParam() == Host::Winamp59) {
            HWND host = player::startModern();
            pluginRecord.hwndParent = host;
            HostLink::attach(host);
        }
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
        player::setVolume(130);
        player::setPlaylist({song("a.mp3", 30), song("b.mp3", 30), song("c.mp3", 30)});
        PluginLifecycle::init();
        // a.mp3 already has a record of its own, which nothing here may overwrite.
        WritePrivateProfileStringA("Tamsel Loudmark", "\"a.mp3[1000]\"", "200", SettingsStore::databasePath);
    }

    void TearDown() override { PluginLifecycle::quit(); }

    static int record(const std::string& name) {
        std::string key = "\"" + name + "[1000]\"";
        return static_cast<int>(GetPrivateProfileIntA("Tamsel Loudmark", key.c_str(), -1, SettingsStore::databasePath));
    }

    static void wait(double seconds) { sim::advance(static_cast<uint32_t>(seconds * 1000)); }

    // b.mp3 plays and the listener turns it down to 100.
    static void playBAndTurnItDown() {
        player::jumpTo(1);
        wait(2);
        player::setVolume(100);
        player::clearLog();
    }

    // A pause long enough to cover the song's scheduled tick: from then on the tracker
    // looks every second, so it sees the playlist as the listener left it mid-song.
    static void pauseOverTheScheduledTick() {
        player::pause();
        wait(35);
        player::pause();
    }

    static void toggleEnabled() {
        sim::whileDialogOpen([](HWND dialog) {
            sim::click(dialog, IDC_ENABLE);
            sim::click(dialog, IDOK);
        });
        PluginLifecycle::config();
    }
};

}  // namespace

TEST_P(PlaylistEdits, AnEntryInsertedAboveThePlayingSongChangesNothingUntilItEnds) {
    playBAndTurnItDown();
    player::insertEntry(0, song("new.mp3", 30));  // b.mp3 now stands at index 2
    pauseOverTheScheduledTick();
    wait(3);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{}) << "no volume set in mid-song";
    EXPECT_EQ(player::volume(), 100);

    wait(28);  // b.mp3 ends, c.mp3 starts
    EXPECT_EQ(record("b.mp3"), 100 - 130 + 255) << "b.mp3 is the song that played";
    EXPECT_EQ(record("a.mp3"), 200) << "a.mp3 stands where b.mp3 stood, untouched";
    EXPECT_EQ(player::volumesSet(), std::vector<int>{130}) << "c.mp3 at the reference";
}

TEST_P(PlaylistEdits, EntriesRemovedAboveThePlayingSongChangeNothingUntilItEnds) {
    player::jumpTo(2);  // c.mp3
    wait(2);
    player::setVolume(100);
    player::insertEntry(3, song("d.mp3", 30));
    player::clearLog();
    player::removeEntry(0);  // c.mp3 moves up to index 1, where b.mp3 stood
    pauseOverTheScheduledTick();
    player::removeEntry(0);  // and on to 0, where a.mp3 stood
    wait(3);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{});

    wait(28);  // c.mp3 ends, d.mp3 starts
    EXPECT_EQ(record("c.mp3"), 225);
    EXPECT_EQ(record("b.mp3"), -1);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{130});
}

TEST_P(PlaylistEdits, SortingWhileASongPlaysKeepsItsRecordWhereItBelongs) {
    player::setPlaylist({song("c.mp3", 30), song("a.mp3", 30), song("b.mp3", 30)});
    player::jumpTo(2);  // b.mp3
    wait(2);
    player::setVolume(90);
    player::clearLog();
    player::sortByFileName();  // a, b, c: b.mp3 moves up to 1, and c.mp3 takes its place
    pauseOverTheScheduledTick();
    wait(3);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{});

    wait(28);  // b.mp3 ends and c.mp3 starts, at b's old index
    EXPECT_EQ(record("b.mp3"), 90 - 130 + 255);
    EXPECT_EQ(record("c.mp3"), -1);
    EXPECT_EQ(record("a.mp3"), 200);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{130}) << "c.mp3's start is noticed, at the same index";
}

TEST_P(PlaylistEdits, TurnedOffAndOnWhileThePlayerMovedOnRecordsNothingForTheMissedSong) {
    player::setRepeat(true);
    playBAndTurnItDown();
    toggleEnabled();  // off
    wait(30);         // b.mp3 ends unseen, c.mp3 plays
    player::setVolume(180);
    toggleEnabled();  // on again, in the middle of c.mp3
    wait(2);
    EXPECT_EQ(record("b.mp3"), -1) << "the volume b.mp3 ended at was never seen";
    EXPECT_EQ(record("c.mp3"), -1);
    EXPECT_EQ(record("a.mp3"), 200);
    player::setVolume(150);
    wait(30);  // c.mp3 ends and a.mp3 starts: c.mp3 was followed since Loudmark came back
    EXPECT_EQ(record("c.mp3"), 150 - 130 + 255);
}

TEST_P(PlaylistEdits, TurnedOffAndOnWithinOneSongStillRecordsIt) {
    playBAndTurnItDown();
    toggleEnabled();
    wait(5);
    toggleEnabled();
    wait(25);  // b.mp3 ends
    EXPECT_EQ(record("b.mp3"), 225);
    EXPECT_EQ(record("a.mp3"), 200);
}

INSTANTIATE_TEST_SUITE_P(OnBothPlayers, PlaylistEdits, ::testing::Values(Host::Winamp2, Host::Winamp59),
                         [](const ::testing::TestParamInfo<Host>& info) {
                             return info.param == Host::Winamp2 ? std::string("Winamp2") : std::string("Winamp59");
                         });
