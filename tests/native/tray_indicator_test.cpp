// The icon in the notification area: what the listener sees, frame by frame, and what
// the clicks on it do.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controls/hotkey_control.h"
#include "controls/tray_indicator.h"
#include "adapters/settings_store.h"
#include "memory/song_tracker.h"
#include "plugin_test_support.h"

using namespace testsupport;
namespace player = sim::player;

namespace {

using Frame = std::pair<int, std::string>;

// What the icon shows at every animation tick from now until `ticks` ticks have passed.
std::vector<Frame> watchTicks(int ticks) {
    std::vector<Frame> frames;
    for (int i = 0; i < ticks; ++i) {
        sim::advance(TrayIndicator::ANIMATION_PERIOD_MS);
        TrayView view = trayView();
        frames.emplace_back(view.resource, view.tip);
    }
    return frames;
}

std::vector<int> resources(const std::vector<Frame>& frames) {
    std::vector<int> numbers;
    for (const auto& frame : frames) numbers.push_back(frame.first);
    return numbers;
}

class Tray : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        showTrayIcon();
    }
};

}  // namespace

TEST_F(Tray, RestsOnTheLogoWithTheReferenceInItsTip) {
    sim::TrayIcon icon;
    ASSERT_TRUE(sim::findTrayIcon(player::window(), TRAY_ICON_ID, &icon));
    EXPECT_EQ(icon.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(icon.callbackMessage, 1051u);
    EXPECT_EQ(trayView().resource, 102);
    EXPECT_EQ(trayView().tip, "Reference Volume is 130");
    ASSERT_FALSE(sim::trayCalls().empty());
    EXPECT_EQ(sim::trayCalls().back().action, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(sim::trayCalls().back().cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
}

TEST_F(Tray, BlinksThreeTimesWhenTheReferenceIsAdjusted) {
    TrayIndicator::startAnimation(AnimationKind::ReferenceAdjusted);
    auto frames = watchTicks(7);
    EXPECT_EQ(resources(frames), (std::vector<int>{105, 102, 105, 102, 105, 102, 102}));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(frames[i].second, "Reference Volume Adjusted");
    EXPECT_EQ(frames[6].second, "Reference Volume is 130");  // at rest at 1.75 s
    EXPECT_FALSE(sim::findTimer(player::window(), TrayIndicator::state.animationTimerId));
}

TEST_F(Tray, TurnsTheLogoTwiceForANewSong) {
    TrayIndicator::startAnimation(AnimationKind::NewSong);
    auto frames = watchTicks(17);
    std::vector<int> turn = {102, 109, 107, 110, 106, 111, 108, 112};  // 0, 45, ... 315 degrees
    std::vector<int> expected = turn;
    expected.insert(expected.end(), turn.begin(), turn.end());
    expected.push_back(102);
    EXPECT_EQ(resources(frames), expected);
    EXPECT_EQ(frames[15].second, "New Song Detected");
    EXPECT_EQ(frames[16].second, "Reference Volume is 130");  // at rest at 4.25 s
}

TEST_F(Tray, FlashesTheArrowsForTheVolumeHotkeysAndThenForgetsTheDirection) {
    HotkeyControl::state.lastDirection = 2;
    TrayIndicator::startAnimation(AnimationKind::VolumeDown);
    auto frames = watchTicks(4);
    EXPECT_EQ(resources(frames), (std::vector<int>{114, 105, 114, 105}));
    EXPECT_EQ(frames[0].second, "Volume Down");
    EXPECT_EQ(HotkeyControl::state.lastDirection, 2);
    frames = watchTicks(1);  // at rest at 1.25 s
    EXPECT_EQ(frames[0], Frame(102, "Reference Volume is 130"));
    EXPECT_EQ(HotkeyControl::state.lastDirection, 0);

    HotkeyControl::state.lastDirection = 1;
    TrayIndicator::startAnimation(AnimationKind::VolumeUp);
    EXPECT_EQ(resources(watchTicks(5)), (std::vector<int>{113, 105, 113, 105, 102}));
    EXPECT_EQ(HotkeyControl::state.lastDirection, 0);
}

TEST_F(Tray, ShowsNothingNewUntilTheFirstTick) {
    TrayIndicator::startAnimation(AnimationKind::NewSong);
    sim::advance(249);
    EXPECT_EQ(trayView().tip, "Reference Volume is 130");
}

TEST_F(Tray, ReplacesARunningAnimationWhichThenNeverEnds) {
    HotkeyControl::state.lastDirection = 1;
    TrayIndicator::startAnimation(AnimationKind::VolumeUp);
    watchTicks(2);
    TrayIndicator::startAnimation(AnimationKind::NewSong);  // a song change meanwhile
    auto frames = watchTicks(17);
    EXPECT_EQ(frames[0], Frame(102, "New Song Detected"));
    EXPECT_EQ(frames[1].first, 109);
    EXPECT_EQ(frames[16].second, "Reference Volume is 130");
    // The up animation never reached its end, so the direction is still remembered.
    EXPECT_EQ(HotkeyControl::state.lastDirection, 1);
}

TEST_F(Tray, ADoubleClickMakesTheCurrentVolumeTheReference) {
    player::setVolume(97);
    TrayIndicator::onTrayCallback(WM_LBUTTONDBLCLK);
    EXPECT_EQ(SongTracker::state.referenceVolume, 97);
    auto frames = watchTicks(7);
    EXPECT_EQ(frames[0].second, "Reference Volume Adjusted");
    EXPECT_EQ(frames[5].second, "Reference Volume Adjusted");
    EXPECT_EQ(frames[6].second, "Reference Volume is 97");
}

TEST_F(Tray, ADoubleClickAtTheReferenceStillBlinks) {
    player::setVolume(130);
    TrayIndicator::onTrayCallback(WM_LBUTTONDBLCLK);
    EXPECT_EQ(SongTracker::state.referenceVolume, 130);
    EXPECT_EQ(watchTicks(1)[0], Frame(105, "Reference Volume Adjusted"));
}

TEST_F(Tray, ADoubleClickKeepsTheReferenceWhenTheVolumeCannotBeRead) {
    sim::setWaveOutVolumeSource(nullptr);
    TrayIndicator::onTrayCallback(WM_LBUTTONDBLCLK);
    EXPECT_EQ(SongTracker::state.referenceVolume, 130);
    EXPECT_EQ(watchTicks(1)[0], Frame(102, "Reference Volume is 130"));
}

TEST_F(Tray, ARightClickRestartsTheTrackerWithoutAnimation) {
    SongTracker::start();
    SongTracker::state.lastPosition = 4;
    size_t callsBefore = sim::trayCalls().size();
    TrayIndicator::onTrayCallback(WM_RBUTTONUP);
    EXPECT_EQ(SongTracker::state.lastPosition, -1);
    sim::TimerInfo timer;
    ASSERT_TRUE(sim::findTimer(player::window(), SongTracker::state.timerId, &timer));
    EXPECT_EQ(timer.periodMs, 1000u);
    watchTicks(4);
    EXPECT_EQ(sim::trayCalls().size(), callsBefore);
}

TEST_F(Tray, IgnoresOtherMouseEvents) {
    size_t callsBefore = sim::trayCalls().size();
    for (UINT event : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_MBUTTONUP}) {
        TrayIndicator::onTrayCallback(event);
    }
    watchTicks(2);
    EXPECT_EQ(sim::trayCalls().size(), callsBefore);
    EXPECT_EQ(SongTracker::state.referenceVolume, 130);
}

TEST_F(Tray, SkipsAnAnimationWhenNoTimerIsToBeHad) {
    sim::refuseAllTimers(true);
    TrayIndicator::startAnimation(AnimationKind::NewSong);
    EXPECT_EQ(TrayIndicator::state.animationCountdown, 0);
    sim::refuseAllTimers(false);
    watchTicks(3);
    EXPECT_EQ(trayView().tip, "Reference Volume is 130");
}

TEST_F(Tray, TakesTheNextIdentifierWhenOneIsRefused) {
    sim::refuseTimerId(1999);
    TrayIndicator::startAnimation(AnimationKind::VolumeUp);
    EXPECT_EQ(TrayIndicator::state.animationTimerId, 2000u);
    EXPECT_EQ(watchTicks(1)[0].first, 113);
}

TEST_F(Tray, ComesBackWhenExplorerRestarts) {
    sim::restartExplorer();
    EXPECT_FALSE(trayView().present);
    TrayIndicator::onTaskbarCreated();
    EXPECT_EQ(trayView().resource, 102);
    EXPECT_EQ(trayView().tip, "Reference Volume is 130");
}

TEST_F(Tray, IsGoneAfterRemoveAndAnAnimationRunsOnHarmlessly) {
    HotkeyControl::state.lastDirection = 1;
    TrayIndicator::startAnimation(AnimationKind::VolumeUp);
    TrayIndicator::remove();
    EXPECT_FALSE(trayView().present);
    watchTicks(5);
    EXPECT_FALSE(trayView().present);
    EXPECT_EQ(HotkeyControl::state.lastDirection, 0);
}
