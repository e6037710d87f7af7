// The tracker as the listener meets it: songs play, the volume moves, the next song
// starts, and the database and the player must show what the tracker did.
#include <gtest/gtest.h>

#include <string>

#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "memory/song_tracker.h"
#include "plugin_test_support.h"

using namespace testsupport;
namespace player = sim::player;

namespace {

class Tracker : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        routeThroughPlugin();
    }

    void startTracking() {
        SongTracker::start();
        player::clearLog();
    }

    // Seconds of virtual time, in the listener's units.
    static void wait(double seconds) { sim::advance(static_cast<uint32_t>(seconds * 1000)); }

    static int ticksDelivered() {
        int count = 0;
        for (const auto& request : player::requests()) {
            if (request.message == WM_TIMER && request.wParam == SongTracker::FIRST_TIMER_ID) ++count;
        }
        return count;
    }

    static int lastVolumeSet() {
        auto volumes = player::volumesSet();
        return volumes.empty() ? -1 : volumes.back();
    }

    static void storeRecord(const std::string& key, int value) {
        WritePrivateProfileStringA("Tamsel Loudmark", key.c_str(), std::to_string(value).c_str(), DATABASE_PATH);
    }
};

}  // namespace

TEST_F(Tracker, PicksUpTheFirstSongWithItsStoredVolumeAndWritesNothing) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    storeRecord("\"a.mp3[1000]\"", 225);  // the listener left a.mp3 at 100 last time
    std::string before = sim::readFile(DATABASE_PATH);
    player::play();
    startTracking();

    wait(1);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{100});
    EXPECT_EQ(player::volume(), 100);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), before);
}

TEST_F(Tracker, RemembersWhereTheListenerLeftTheVolumeAndAppliesItNextTime) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});
    player::play();
    startTracking();

    wait(1);  // a.mp3 picked up at the reference
    EXPECT_EQ(lastVolumeSet(), 130);
    wait(4);
    player::setVolume(100);  // too loud: turned down
    wait(7);                 // b.mp3 started at 10 s, noticed at 11 s
    EXPECT_EQ(storedValue("a.mp3", 1000), 100 - 130 + 255);
    EXPECT_EQ(lastVolumeSet(), 130);  // b.mp3 has no record yet
    player::setVolume(180);  // too quiet: turned up
    wait(11);                // c.mp3 noticed at 21 s
    EXPECT_EQ(storedValue("b.mp3", 1000), 180 - 130 + 255);

    player::jumpTo(0);  // 23 s: the playlist again
    wait(8);            // c.mp3's tick at 31 s notices a.mp3
    EXPECT_EQ(lastVolumeSet(), 100);
    wait(3);  // a.mp3 ends at 33 s, noticed at 34 s
    EXPECT_EQ(lastVolumeSet(), 180);
}

TEST_F(Tracker, LeavesTheRecordAloneWhenASongEndsAtTheReference) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    storeRecord("\"a.mp3[1000]\"", 300);
    player::play();
    startTracking();
    wait(1);
    EXPECT_EQ(lastVolumeSet(), 175);
    player::setVolume(130);
    wait(10);
    EXPECT_EQ(storedValue("a.mp3", 1000), 300);
}

TEST_F(Tracker, WithAlwaysTrimSkipsEndingsInsideTheBandOnly) {
    settings.trim = 1;
    settings.trimTo = 1;  // 98 < v < 162 is not worth keeping
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10)});
    storeRecord("\"a.mp3[1000]\"", 400);
    player::play();
    startTracking();
    wait(1);
    player::setVolume(120);
    wait(10);
    EXPECT_EQ(storedValue("a.mp3", 1000), 400);  // untouched
    player::setVolume(98);                       // the bound itself is outside
    wait(11);
    EXPECT_EQ(storedValue("b.mp3", 1000), 98 - 130 + 255);
}

TEST_F(Tracker, WithoutAlwaysTrimRecordsEndingsInsideTheBand) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    player::play();
    startTracking();
    wait(1);
    player::setVolume(120);
    wait(10);
    EXPECT_EQ(storedValue("a.mp3", 1000), 120 - 130 + 255);
}

TEST_F(Tracker, NoticesAJumpOnlyAtTheOldSongsScheduledTick) {
    player::setPlaylist({song("a.mp3", 60), song("b.mp3", 60), song("c.mp3", 60)});
    storeRecord("\"c.mp3[1000]\"", 200);
    player::play();
    startTracking();
    wait(1);
    wait(4);
    player::jumpTo(2);
    player::setVolume(90);
    wait(50);  // 55 s: still unnoticed
    EXPECT_EQ(storedValue("a.mp3", 1000), -1);
    EXPECT_EQ(player::volumesSet().size(), 1u);
    wait(6);   // a.mp3's tick at 61 s
    EXPECT_EQ(storedValue("a.mp3", 1000), 90 - 130 + 255);
    EXPECT_EQ(lastVolumeSet(), 75);  // c.mp3's volume, applied late
}

TEST_F(Tracker, AfterAResyncTakesTheNextSongAsTheFirstAndRecordsNothing) {
    player::setPlaylist({song("a.mp3", 60), song("b.mp3", 60)});
    player::play();
    startTracking();
    wait(1);
    wait(4);
    player::jumpTo(1);
    player::setVolume(90);
    SongTracker::resync();  // the listener's right click on the icon
    wait(1);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{130, 130})) << "b picked up as a first song";
    EXPECT_FALSE(sim::fileExists(DATABASE_PATH));
}

TEST_F(Tracker, PollsEverySecondOnceAPauseCoversTheScheduledTick) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    player::play();
    startTracking();
    wait(1);
    wait(8);
    player::pause();  // at 9 s, over the tick due at 11 s
    wait(5);
    sim::TimerInfo timer;
    ASSERT_TRUE(sim::findTimer(player::window(), SongTracker::FIRST_TIMER_ID, &timer));
    EXPECT_EQ(timer.periodMs, 1000u);
    player::pause();  // resumed at 14 s, and started over
    player::seekTo(0);
    int ticksBefore = ticksDelivered();
    wait(3);
    EXPECT_EQ(ticksDelivered() - ticksBefore, 3);  // the same song: polling goes on
    ASSERT_TRUE(sim::findTimer(player::window(), SongTracker::FIRST_TIMER_ID, &timer));
    EXPECT_EQ(timer.periodMs, 1000u);
    wait(8);  // b.mp3 starts at 24 s and is noticed within the second
    EXPECT_EQ(player::volumesSet().size(), 2u) << "b.mp3's volume set";
}

TEST_F(Tracker, CostsAboutOneTickPerSongWhilePlayingThrough) {
    std::vector<player::Entry> entries;
    for (int i = 0; i < 20; ++i) entries.push_back(song("song" + std::to_string(i) + ".mp3", 30 + i));
    player::setPlaylist(entries);
    player::play();
    startTracking();
    int total = 0;
    for (const auto& entry : entries) total += entry.lengthSeconds;
    wait(total - 1);
    EXPECT_EQ(player::volumesSet().size(), 20u) << "every song's volume set";
    // One poll picks up the first song, then one tick for each change.
    EXPECT_EQ(ticksDelivered(), 20);
}

TEST_F(Tracker, RecordsTheSongThatPlayedNotTheEntryNowAtItsOldIndex) {
    player::setPlaylist({song("a.mp3", 30), song("b.mp3", 30), song("c.mp3", 30)});
    player::jumpTo(1);
    startTracking();
    wait(1);  // b.mp3 at index 1
    player::setVolume(150);
    player::insertEntry(0, song("new.mp3", 30));  // b.mp3 moves to index 2, a.mp3 to 1
    wait(30);                                      // b's scheduled tick: c.mp3 plays
    EXPECT_EQ(storedValue("b.mp3", 1000), 150 - 130 + 255);
    EXPECT_EQ(storedValue("a.mp3", 1000), -1);
}

TEST_F(Tracker, TurnsThePluginOffWhenItsTimerIsRefused) {
    player::setPlaylist({song("a.mp3", 10)});
    player::play();
    startTracking();
    sim::refuseAllTimers(true);
    wait(1);
    EXPECT_EQ(settings.enabled, 0);
    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    const auto& box = sim::messageBoxes()[0];
    EXPECT_EQ(box.owner, player::window());
    EXPECT_EQ(box.text, "Timer set failed.");
    EXPECT_EQ(box.caption, "Fatal Error");
    EXPECT_EQ(box.style & MB_ICONERROR, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(Tracker, StartsOnTheFirstIdentifierThePlatformAccepts) {
    sim::refuseTimerId(1998);
    sim::refuseTimerId(1999);
    SongTracker::start();
    EXPECT_TRUE(sim::findTimer(player::window(), 2000));
    EXPECT_TRUE(sim::messageBoxes().empty());
}

TEST_F(Tracker, GivesUpTheIdentifierSearchAsOnARefusedTimer) {
    sim::refuseAllTimers(true);
    SongTracker::start();
    EXPECT_EQ(settings.enabled, 0);
    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    EXPECT_EQ(sim::messageBoxes()[0].text, "Timer set failed.");
}

TEST_F(Tracker, PollsEverySecondThroughAStreamWithNoLength) {
    player::setPlaylist({song("radio.pls", 10)});
    player::overrideReportedLength(-1);
    player::play();
    startTracking();
    wait(1);
    sim::TimerInfo timer;
    ASSERT_TRUE(sim::findTimer(player::window(), SongTracker::FIRST_TIMER_ID, &timer));
    EXPECT_EQ(timer.periodMs, 1000u);
}

TEST_F(Tracker, RecordsTheSongThatPlayedEvenWhenItsEntryIsGone) {
    player::setPlaylist({song("a.mp3", 30), song("b.mp3", 10), song("c.mp3", 10)});
    player::jumpTo(2);
    startTracking();
    wait(1);
    player::setVolume(60);
    player::removeEntry(2);
    player::removeEntry(1);
    player::jumpTo(0);  // index 2 no longer exists
    wait(10);
    EXPECT_EQ(player::volumesSet().size(), 2u) << "a picked up after the jump";
    EXPECT_EQ(storedValue("c.mp3", 1000), 60 - 130 + 255) << "c.mp3 ended at 60";
    EXPECT_EQ(storedValue("a.mp3", 1000), -1);
}

TEST_F(Tracker, NeverSendsAVolumeOutsideTheHostScale) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    storeRecord("\"a.mp3[1000]\"", 510);
    storeRecord("\"b.mp3[1000]\"", -5000);
    SongTracker::setReferenceVolume(255);
    player::play();
    startTracking();
    wait(1);
    wait(10);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{255, 0}));
}

TEST_F(Tracker, ShiftsEverySongByAReferenceChange) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    storeRecord("\"b.mp3[1000]\"", 225);  // 30 below the reference
    player::play();
    startTracking();
    wait(1);
    SongTracker::setReferenceVolume(160);
    player::setVolume(160);
    wait(10);
    EXPECT_EQ(lastVolumeSet(), 130);
    EXPECT_EQ(storedValue("a.mp3", 1000), -1);  // ended at the new reference
}

TEST_F(Tracker, RecordsNothingWhenTheVolumeCannotBeRead) {
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    player::play();
    startTracking();
    wait(1);
    sim::setWaveOutVolumeSource(nullptr);  // no wave-output device answers
    player::setVolume(60);
    wait(10);
    EXPECT_EQ(player::volumesSet().size(), 2u) << "b picked up";
    EXPECT_FALSE(sim::fileExists(DATABASE_PATH));
}
