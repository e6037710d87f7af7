// The icon in the notification area: what the listener sees, frame by frame, and what
// the clicks on it do.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controls/hotkey_control.h"
#include "controls/tray_indicator.h"
#include "adapters/host_link.h"
#include "adapters/settings_store.h"
#include "memory/song_tracker.h"
#include "plugin/host_window_hook.h"
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

    // The player's window goes through the plug-in's own hook, with the hotkeys on.
    static void startListening() {
        HostWindowHook::install(player::window());
        HotkeyControl::detectWin95Mode();
        HotkeyControl::registerHotkeys();
    }

    // Both Ctrl keys and an arrow: how many volume steps the player was sent.
    static int pressVolumeKey(int arrow) {
        size_t before = player::requests().size();
        sim::keyDown(VK_LCONTROL);
        sim::keyDown(VK_RCONTROL);
        sim::pressKey(arrow);
        sim::releaseAllKeys();
        int steps = 0;
        for (size_t i = before; i < player::requests().size(); ++i) {
            const auto& request = player::requests()[i];
            steps += request.message == WM_COMMAND &&
                     (request.wParam == HostLink::WINAMP_VOLUMEUP || request.wParam == HostLink::WINAMP_VOLUMEDOWN);
        }
        return steps;
    }

    static sim::IconImage shownImage() {
        sim::TrayIcon icon;
        return sim::findTrayIcon(player::window(), TRAY_ICON_ID, &icon) ? sim::iconImage(icon.icon)
                                                                         : sim::IconImage{0, 0, 0};
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
    startListening();
    EXPECT_EQ(pressVolumeKey(VK_DOWN), 8);
    auto frames = watchTicks(4);
    EXPECT_EQ(resources(frames), (std::vector<int>{114, 105, 114, 105}));
    EXPECT_EQ(frames[0].second, "Volume Down");
    // Up at 1.0 s, before the down arrows are done: a reversal, four steps.
    EXPECT_EQ(pressVolumeKey(VK_UP), 4);
    frames = watchTicks(5);  // at rest 1.25 s after that press
    EXPECT_EQ(resources(frames), (std::vector<int>{113, 105, 113, 105, 102}));
    EXPECT_EQ(frames[4], Frame(102, "Reference Volume is 130"));
    // The end of the arrows forgot the direction: down now is no reversal.
    EXPECT_EQ(pressVolumeKey(VK_DOWN), 8);
}

TEST_F(Tray, ShowsNothingNewUntilTheFirstTick) {
    TrayIndicator::startAnimation(AnimationKind::NewSong);
    sim::advance(249);
    EXPECT_EQ(trayView().tip, "Reference Volume is 130");
}

TEST_F(Tray, ReplacesARunningAnimationWhichThenNeverEnds) {
    startListening();
    EXPECT_EQ(pressVolumeKey(VK_UP), 8);
    watchTicks(2);
    TrayIndicator::startAnimation(AnimationKind::NewSong);  // a song change meanwhile
    auto frames = watchTicks(17);
    EXPECT_EQ(frames[0], Frame(102, "New Song Detected"));
    EXPECT_EQ(frames[1].first, 109);
    EXPECT_EQ(frames[16].second, "Reference Volume is 130");
    // The up animation never reached its end, so down still reverses it.
    EXPECT_EQ(pressVolumeKey(VK_DOWN), 4);
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
    startListening();
    EXPECT_EQ(pressVolumeKey(VK_UP), 8);
    TrayIndicator::remove();
    EXPECT_FALSE(trayView().present);
    watchTicks(5);
    EXPECT_FALSE(trayView().present);
    // The unseen up animation still ended, and forgot the direction.
    EXPECT_EQ(pressVolumeKey(VK_DOWN), 8);
}

TEST_F(Tray, ShowsTheImageDrawnForTheSmallIconSizeOfEachScale) {
    // 100%, 125%, 150%, 200%: the small-icon size the system names for each.
    for (auto [dpi, pixels] : {std::pair{96u, 16}, {120u, 20}, {144u, 24}, {192u, 32}}) {
        sim::setSystemDpi(dpi);
        TrayIndicator::loadIcons(sim::pluginInstance());
        TrayIndicator::startAnimation(AnimationKind::VolumeUp);
        watchTicks(1);
        sim::IconImage frame = shownImage();
        EXPECT_EQ(frame.resource, 113) << dpi;
        EXPECT_EQ(frame.size, pixels) << dpi << " dpi: the arrow's image";
        EXPECT_EQ(frame.bitsPerPixel, 32) << dpi;
        watchTicks(4);
        EXPECT_EQ(shownImage().size, pixels) << dpi << " dpi: the logo at rest";
    }
    // Before Vista there is no LoadIconMetric: the system metric names the size.
    sim::hideSystemFunction("LoadIconMetric");
    sim::setSystemDpi(144);
    TrayIndicator::loadIcons(sim::pluginInstance());
    TrayIndicator::showRest(NIM_MODIFY);
    EXPECT_EQ(shownImage().size, 24);
}

TEST_F(Tray, IsHandedOverAgainWhenWindows10ChangesTheDisplayScale) {
    HostWindowHook::install(player::window());
    sim::changePrimaryDisplayScale();  // "TaskbarCreated" with our icon still there
    sim::TrayIcon icon;
    ASSERT_TRUE(sim::findTrayIcon(player::window(), TRAY_ICON_ID, &icon));
    EXPECT_FALSE(icon.stretched) << "Explorer still shows the image it had before the change";
    EXPECT_EQ(trayView().resource, 102);
    EXPECT_EQ(trayView().tip, "Reference Volume is 130");
}

TEST_F(Tray, ComesBackForAnElevatedPlayerWhenExplorerRestarts) {
    sim::runElevated(true);
    HostWindowHook::install(player::window());
    sim::restartExplorer();
    EXPECT_TRUE(trayView().present) << "Windows 7 and later: the window's own filter";

    // Vista has only the process-wide filter.
    freshMachine();
    showTrayIcon();
    sim::runElevated(true);
    sim::hideSystemFunction("ChangeWindowMessageFilterEx");
    HostWindowHook::install(player::window());
    sim::restartExplorer();
    EXPECT_TRUE(trayView().present) << "Vista: the process's filter";
}
