// The two volume hotkeys as the listener uses them from any application.
#include <gtest/gtest.h>

#include "controls/hotkey_control.h"
#include "controls/tray_indicator.h"
#include "adapters/settings_store.h"
#include "plugin_test_support.h"

using namespace testsupport;
namespace player = sim::player;

namespace {

class Hotkeys : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        showTrayIcon();
        routeThroughPlugin();
        player::setVolume(130);
    }

    void load() {
        HotkeyControl::detectWin95Mode();
        HotkeyControl::registerHotkeys();
    }

    static void press(std::initializer_list<int> modifiers, int key) {
        for (int vk : modifiers) sim::keyDown(vk);
        sim::pressKey(key);
        for (int vk : modifiers) sim::keyUp(vk);
    }

    static int hotkeyMessages() {
        int count = 0;
        for (const auto& request : player::requests()) count += request.message == WM_HOTKEY;
        return count;
    }
};

constexpr int STEP = player::VOLUME_STEP;

}  // namespace

TEST_F(Hotkeys, BothCtrlKeysWithTheArrowsStepTheVolumeEightTimes) {
    load();
    press({VK_LCONTROL, VK_RCONTROL}, VK_UP);
    EXPECT_EQ(player::volume(), 130 + 8 * STEP);
    sim::advance(2000);
    press({VK_LCONTROL, VK_RCONTROL}, VK_DOWN);
    EXPECT_EQ(player::volume(), 130);
}

TEST_F(Hotkeys, OneCtrlKeyReachesThePlugInButIsIgnored) {
    load();
    press({VK_LCONTROL}, VK_UP);
    EXPECT_EQ(hotkeyMessages(), 1);
    EXPECT_EQ(player::volume(), 130);
    press({VK_LCONTROL, VK_RCONTROL, VK_LSHIFT}, VK_UP);  // a Shift too many
    EXPECT_EQ(player::volume(), 130);
}

TEST_F(Hotkeys, InWin95ModeEitherCtrlKeyActs) {
    sim::setRegistryKeyPresent("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", false);
    load();
    press({VK_RCONTROL}, VK_UP);
    EXPECT_EQ(player::volume(), 130 + 8 * STEP);
}

TEST_F(Hotkeys, InWin95ModeAOneSidedMaskNeverActs) {
    sim::setRegistryKeyPresent("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", false);
    settings.upMod = LeftCtrl;
    load();
    press({VK_LCONTROL}, VK_UP);
    press({VK_LCONTROL, VK_RCONTROL}, VK_UP);
    EXPECT_EQ(hotkeyMessages(), 2);
    EXPECT_EQ(player::volume(), 130);
}

TEST_F(Hotkeys, AnEmptyMaskActsOnlyWithNoModifierHeld) {
    settings.upMod = 0;
    load();
    sim::HotkeyInfo info;
    ASSERT_TRUE(sim::findHotkey(player::window(), HOTKEY_UP, &info));
    EXPECT_EQ(info.modifiers, 0u);
    press({}, VK_UP);
    EXPECT_EQ(player::volume(), 130 + 8 * STEP);
}

TEST_F(Hotkeys, AMaskBitAboveTheSixRegistersWithoutItAndNeverActs) {
    settings.upMod = 64;
    load();
    sim::HotkeyInfo info;
    ASSERT_TRUE(sim::findHotkey(player::window(), HOTKEY_UP, &info));
    EXPECT_EQ(info.modifiers, 0u);
    press({}, VK_UP);
    EXPECT_EQ(hotkeyMessages(), 1);
    EXPECT_EQ(player::volume(), 130);
}

TEST_F(Hotkeys, ARightAltHotkeyActsWithAltGrOnALayoutThatHasIt) {
    sim::useKeyboardLayout(sim::KeyboardLayout::German);
    settings.upMod = RightAlt;
    load();
    press({VK_RMENU}, VK_UP);  // Windows reports a left Ctrl with it
    EXPECT_EQ(player::volume(), 130 + 8 * STEP);
}

TEST_F(Hotkeys, LeftCtrlAndRightAltCountAsTwoKeysOnALayoutWithoutAltGr) {
    settings.upMod = LeftCtrl | RightAlt;
    settings.downMod = RightAlt;
    load();
    press({VK_LCONTROL, VK_RMENU}, VK_UP);
    EXPECT_EQ(player::volume(), 130 + 8 * STEP);
    sim::advance(2000);
    press({VK_RMENU}, VK_DOWN);  // Right Alt alone is no Ctrl+Alt here
    EXPECT_EQ(player::volume(), 130);
}

TEST_F(Hotkeys, RegisterWithTheCoarseModifiersOfEachMask) {
    settings.upMod = RightAlt | LeftShift;
    settings.upKey = VK_PRIOR;
    settings.downMod = RightCtrl;
    settings.downKey = VK_NEXT;
    load();
    sim::HotkeyInfo up, down;
    ASSERT_TRUE(sim::findHotkey(player::window(), HOTKEY_UP, &up));
    ASSERT_TRUE(sim::findHotkey(player::window(), HOTKEY_DOWN, &down));
    EXPECT_EQ(up.modifiers, static_cast<UINT>(MOD_ALT | MOD_SHIFT));
    EXPECT_EQ(up.vk, static_cast<UINT>(VK_PRIOR));
    EXPECT_EQ(down.modifiers, static_cast<UINT>(MOD_CONTROL));
    EXPECT_EQ(down.vk, static_cast<UINT>(VK_NEXT));
    EXPECT_EQ(HotkeyControl::toPlatformModifiers(0x100 | LeftCtrl), static_cast<UINT>(MOD_CONTROL));
}

TEST_F(Hotkeys, PressingAgainTheSameWayStepsEightMoreAndRestartsTheArrows) {
    load();
    press({VK_LCONTROL, VK_RCONTROL}, VK_UP);
    sim::advance(500);
    press({VK_LCONTROL, VK_RCONTROL}, VK_UP);
    EXPECT_EQ(player::volume(), 130 + 16 * STEP);
    sim::advance(250);
    EXPECT_EQ(trayView().resource, 113);  // the up animation from its first frame
}

TEST_F(Hotkeys, ReversingWithinTheAnimationStepsOnlyFour) {
    load();
    press({VK_LCONTROL, VK_RCONTROL}, VK_UP);
    sim::advance(1000);
    press({VK_LCONTROL, VK_RCONTROL}, VK_DOWN);
    EXPECT_EQ(player::volume(), 130 + 8 * STEP - 4 * STEP);
    sim::advance(250);
    EXPECT_EQ(trayView().resource, 114);
    EXPECT_EQ(trayView().tip, "Volume Down");
}

TEST_F(Hotkeys, ReversingAfterTheAnimationEndedStepsEight) {
    load();
    press({VK_LCONTROL, VK_RCONTROL}, VK_UP);
    sim::advance(1250);  // the up animation is back at rest
    press({VK_LCONTROL, VK_RCONTROL}, VK_DOWN);
    EXPECT_EQ(player::volume(), 130);
}

TEST_F(Hotkeys, ARecordedDirectionOutlivesAnAnimationThatTookOver) {
    load();
    press({VK_LCONTROL, VK_RCONTROL}, VK_UP);
    sim::advance(500);
    TrayIndicator::startAnimation(AnimationKind::NewSong);  // a song change
    sim::advance(5 * 60 * 1000);
    press({VK_LCONTROL, VK_RCONTROL}, VK_DOWN);
    EXPECT_EQ(player::volume(), 130 + 8 * STEP - 4 * STEP);
}

TEST_F(Hotkeys, ARefusedRegistrationWarnsOnceAndTheOtherStillRegisters) {
    sim::holdHotkeyElsewhere(MOD_CONTROL, VK_UP);
    load();
    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    const auto& box = sim::messageBoxes()[0];
    EXPECT_EQ(box.text, "Registration failed for hotkey UP");
    EXPECT_EQ(box.caption, "Warning");
    EXPECT_EQ(box.owner, player::window());
    EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
    EXPECT_FALSE(sim::findHotkey(player::window(), HOTKEY_UP));
    EXPECT_TRUE(sim::findHotkey(player::window(), HOTKEY_DOWN));
}

TEST_F(Hotkeys, UnregisteringLetsGoOfBoth) {
    load();
    HotkeyControl::unregisterHotkeys();
    HotkeyControl::unregisterHotkeys();  // never reported, also when not registered
    EXPECT_FALSE(sim::findHotkey(player::window(), HOTKEY_UP));
    EXPECT_FALSE(sim::findHotkey(player::window(), HOTKEY_DOWN));
    EXPECT_TRUE(sim::messageBoxes().empty());
}

TEST_F(Hotkeys, DoNothingWhileThePlugInIsOff) {
    load();
    settings.enabled = 0;
    press({VK_LCONTROL, VK_RCONTROL}, VK_UP);
    EXPECT_EQ(player::volume(), 130);
}
