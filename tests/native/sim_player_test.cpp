// The simulated player: playing through a playlist on the virtual clock, the listener's
// controls, and the answers to the host requests as the plug-in sends them.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "player/simulated_player.h"
#include "sim/platform.h"

namespace {

namespace player = sim::player;

LRESULT ask(WPARAM wParam, LPARAM code) { return SendMessageA(player::window(), WM_USER, wParam, code); }

class SimPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset(::testing::TempDir() + "sim_player");
        player::start();
        player::setPlaylist({{"C:\\Music\\a.mp3", 3}, {"C:\\Music\\b.mp3", 5}, {"C:\\Music\\c.mp3", 2}});
    }
};

TEST_F(SimPlayer, PlaysThroughThePlaylistChangingSongAtTheExactMomentOneEnds) {
    player::play();
    sim::advance(2999);
    EXPECT_EQ(player::position(), 0);
    EXPECT_EQ(player::positionMs(), 2999);
    sim::advance(1);
    EXPECT_EQ(player::position(), 1);
    EXPECT_EQ(player::positionMs(), 0);
    sim::advance(5000 + 1500);  // past b.mp3, 1.5 s into c.mp3, in one step
    EXPECT_EQ(player::position(), 2);
    EXPECT_EQ(player::positionMs(), 1500);
    sim::advance(500);
    // After the last entry the player stops, staying on it.
    EXPECT_FALSE(player::playing());
    EXPECT_EQ(player::position(), 2);
    EXPECT_EQ(ask(0, 104), 0);
    EXPECT_EQ(ask(0, 105), -1);
    EXPECT_EQ(ask(1, 105), -1);
}

TEST_F(SimPlayer, WithRepeatTheListStartsOverAfterItsLastEntry) {
    player::setRepeat(true);
    player::jumpTo(2);
    sim::advance(2000 + 3000 + 100);
    EXPECT_TRUE(player::playing());
    EXPECT_EQ(player::position(), 1);
    EXPECT_EQ(player::positionMs(), 100);
}

std::vector<std::pair<int, uint32_t>> positionsAtTicks;
LRESULT CALLBACK observer(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_TIMER) positionsAtTicks.emplace_back(static_cast<int>(ask(0, 125)), sim::now());
    return 0;
}

TEST_F(SimPlayer, ATimerDueTheMomentASongEndsAlreadySeesTheNextSong) {
    positionsAtTicks.clear();
    HWND watcher = sim::createWindow(observer, "watcher");
    player::play();
    SetTimer(watcher, 1, 3000, nullptr);
    sim::advance(3000);
    ASSERT_EQ(positionsAtTicks.size(), 1u);
    EXPECT_EQ(positionsAtTicks[0], std::make_pair(1, 3000u));
}

TEST_F(SimPlayer, PauseFreezesTheSongAndResumeCarriesOn) {
    player::play();
    sim::advance(1000);
    player::pause();
    EXPECT_TRUE(player::paused());
    EXPECT_FALSE(player::playing());
    EXPECT_EQ(ask(0, 104), 3);
    sim::advance(10000);
    EXPECT_EQ(player::position(), 0);
    EXPECT_EQ(ask(0, 105), 1000);  // a paused song still reports its position and length
    EXPECT_EQ(ask(1, 105), 3);
    player::pause();  // toggles back
    EXPECT_EQ(ask(0, 104), 1);
    sim::advance(1999);
    EXPECT_EQ(player::position(), 0);
    sim::advance(1);
    EXPECT_EQ(player::position(), 1);
}

TEST_F(SimPlayer, PlayAfterPauseResumesAndPlayWhilePlayingStartsTheSongOver) {
    player::play();
    sim::advance(1200);
    player::pause();
    player::play();
    EXPECT_EQ(player::positionMs(), 1200);
    player::play();
    EXPECT_EQ(player::positionMs(), 0);
}

TEST_F(SimPlayer, NextAndSeekMoveThroughTheList) {
    player::play();
    player::next();
    EXPECT_EQ(player::position(), 1);
    EXPECT_EQ(player::positionMs(), 0);
    player::seekTo(4000);
    sim::advance(1000);
    EXPECT_EQ(player::position(), 2);
    player::seekTo(999999);  // past the end: the song ends at once
    EXPECT_FALSE(player::playing());
    player::next();  // stopped: wraps to the first entry without playing
    EXPECT_EQ(player::position(), 0);
    EXPECT_FALSE(player::playing());
}

TEST_F(SimPlayer, EditsAboveTheCurrentEntryMoveItsIndexWhileItPlaysOn) {
    player::jumpTo(1);
    sim::advance(1000);
    player::insertEntry(0, {"C:\\Music\\new.mp3", 7});
    EXPECT_EQ(player::position(), 2);
    EXPECT_TRUE(player::playing());
    EXPECT_EQ(player::positionMs(), 1000);
    player::removeEntry(0);
    player::removeEntry(2);  // below: no change
    EXPECT_EQ(player::position(), 1);
    EXPECT_EQ(player::length(), 2);
    sim::advance(4000);  // b.mp3 ends; it was the last entry now
    EXPECT_FALSE(player::playing());
}

TEST_F(SimPlayer, RemovingTheCurrentEntryStopsAndTheNextOneTakesItsPlace) {
    player::jumpTo(1);
    player::removeEntry(1);
    EXPECT_FALSE(player::playing());
    EXPECT_EQ(player::position(), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(ask(1, 211)), "C:\\Music\\c.mp3");
}

TEST_F(SimPlayer, AnswersThePlaylistRequests) {
    player::jumpTo(2);
    sim::advance(700);
    EXPECT_EQ(ask(0, 124), 3);
    EXPECT_EQ(ask(0, 125), 2);
    EXPECT_EQ(ask(0, 104), 1);
    EXPECT_EQ(ask(0, 105), 700);
    EXPECT_EQ(ask(1, 105), 2);
    EXPECT_STREQ(reinterpret_cast<const char*>(ask(0, 211)), "C:\\Music\\a.mp3");
    EXPECT_STREQ(reinterpret_cast<const char*>(ask(2, 211)), "C:\\Music\\c.mp3");
    EXPECT_EQ(ask(3, 211), 0);
    EXPECT_EQ(ask(static_cast<WPARAM>(-1), 211), 0);
}

TEST_F(SimPlayer, ReportsWhatAHostileHostWouldWhenTold) {
    player::play();
    player::overrideReportedLength(-1);
    player::overrideReportedListLength(100000);
    player::setVersion(0x1500);
    EXPECT_EQ(ask(1, 105), -1);
    EXPECT_EQ(ask(0, 124), 100000);
    EXPECT_EQ(ask(0, 0), 0x1500);
    // The overrides change what is reported, not how the songs play.
    sim::advance(3000);
    EXPECT_EQ(player::position(), 1);
    player::overrideReportedLength(INT32_MIN);
    player::overrideReportedListLength(INT32_MIN);
    EXPECT_EQ(ask(1, 105), 5);
    EXPECT_EQ(ask(0, 124), 3);
}

TEST_F(SimPlayer, VolumeRequestsStepsAndTheWaveOutputVolumeAgree) {
    DWORD wave = 0;
    auto waveVolume = [&wave] {
        EXPECT_EQ(waveOutGetVolume(nullptr, &wave), static_cast<MMRESULT>(MMSYSERR_NOERROR));
        return static_cast<int>(wave & 0xFF);
    };
    ask(static_cast<WPARAM>(200), 122);
    EXPECT_EQ(waveVolume(), 200);
    ask(static_cast<WPARAM>(300), 122);
    EXPECT_EQ(waveVolume(), 255);
    SendMessageA(player::window(), WM_COMMAND, 40058, 0);  // already at the top
    EXPECT_EQ(player::volume(), 255);
    ask(static_cast<WPARAM>(-20), 122);
    EXPECT_EQ(waveVolume(), 0);
    SendMessageA(player::window(), WM_COMMAND, 40059, 0);  // already at the bottom
    EXPECT_EQ(player::volume(), 0);
    player::setVolume(97);
    EXPECT_EQ(ask(static_cast<WPARAM>(-666), 122), 97);  // a question, not a setting
    SendMessageA(player::window(), WM_COMMAND, 40058, 0);
    EXPECT_EQ(waveVolume(), 97 + player::VOLUME_STEP);
    SendMessageA(player::window(), WM_COMMAND, 40059, 0);
    SendMessageA(player::window(), WM_COMMAND, 40059, 0);
    EXPECT_EQ(waveVolume(), 97 - player::VOLUME_STEP);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{200, 300, -20}));
}

TEST_F(SimPlayer, LogsEveryMessageItsProcedureSees) {
    player::clearLog();
    sim::advance(250);
    ask(5, 211);
    SendMessageA(player::window(), WM_COMMAND, 40058, 0);
    PostMessageA(player::window(), WM_HOTKEY, 1999, 0);
    sim::pump();
    const auto& log = player::requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(log[0].wParam, 5u);
    EXPECT_EQ(log[0].lParam, 211);
    EXPECT_EQ(log[0].atMs, 250u);
    EXPECT_EQ(log[1].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(log[2].message, static_cast<UINT>(WM_HOTKEY));
}

TEST_F(SimPlayer, AnEntryWithoutALengthPlaysUntilTheListenerMovesOn) {
    player::setPlaylist({{"http://stream", -1}, {"C:\\Music\\b.mp3", 5}});
    player::play();
    sim::advance(24 * 3600 * 1000);
    EXPECT_EQ(player::position(), 0);
    EXPECT_TRUE(player::playing());
    EXPECT_EQ(ask(1, 105), -1);
}

}  // namespace
