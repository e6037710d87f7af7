// The simulated keyboard and hotkeys: sided modifier keys, registration answers as
// measured once under Wine (the test command does not re-run that probe; its Wine stage
// meets the 1409 refusal through the real functions in tests/wine/dialog_scenarios.cpp),
// and presses that reach the registering window.
#include <gtest/gtest.h>

#include <vector>

#include "sim/platform.h"

namespace {

struct Press {
    WPARAM id;
    LPARAM lParam;
};
std::vector<Press> presses;

LRESULT CALLBACK hotkeyWindow(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY) presses.push_back(Press{wParam, lParam});
    return 0;
}

bool down(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

class SimHotkeys : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset(::testing::TempDir() + "sim_hotkeys");
        presses.clear();
        window = sim::createWindow(hotkeyWindow, "host");
    }
    HWND window = nullptr;
};

TEST_F(SimHotkeys, SidedModifiersAlsoMakeTheSidelessCodeReadHeld) {
    struct Case {
        int sided;
        int sideless;
    } cases[] = {{VK_LCONTROL, VK_CONTROL}, {VK_RCONTROL, VK_CONTROL}, {VK_LSHIFT, VK_SHIFT},
                 {VK_RSHIFT, VK_SHIFT},     {VK_LMENU, VK_MENU},       {VK_RMENU, VK_MENU}};
    for (const Case& c : cases) {
        sim::keyDown(c.sided);
        EXPECT_TRUE(down(c.sided)) << c.sided;
        EXPECT_TRUE(down(c.sideless)) << c.sided;
        sim::keyUp(c.sided);
        EXPECT_FALSE(down(c.sideless)) << c.sided;
    }
    // Both Ctrl keys: releasing one leaves Ctrl held.
    sim::keyDown(VK_LCONTROL);
    sim::keyDown(VK_RCONTROL);
    sim::keyUp(VK_LCONTROL);
    EXPECT_TRUE(down(VK_CONTROL));
    EXPECT_FALSE(down(VK_LCONTROL));
    EXPECT_EQ(GetAsyncKeyState(VK_RCONTROL), static_cast<SHORT>(0x8000));
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
    sim::releaseAllKeys();
    EXPECT_FALSE(down(VK_RCONTROL));
}

TEST_F(SimHotkeys, APressWithTheRegisteredCoarseModifiersReachesTheWindow) {
    ASSERT_TRUE(RegisterHotKey(window, 1999, MOD_CONTROL, VK_UP));
    sim::keyDown(VK_RCONTROL);
    sim::pressKey(VK_UP);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].id, 1999u);
    EXPECT_EQ(presses[0].lParam, MAKELPARAM(MOD_CONTROL, VK_UP));
    // The key itself is released again; the modifier stays held.
    EXPECT_FALSE(down(VK_UP));
    EXPECT_TRUE(down(VK_RCONTROL));
}

TEST_F(SimHotkeys, OnlyTheExactCoarseCombinationFires) {
    RegisterHotKey(window, 1999, MOD_CONTROL, VK_UP);
    RegisterHotKey(window, 1998, 0, VK_DOWN);
    sim::pressKey(VK_UP);  // no Ctrl
    sim::keyDown(VK_LCONTROL);
    sim::keyDown(VK_LSHIFT);
    sim::pressKey(VK_UP);  // Ctrl+Shift is another combination
    sim::pressKey(VK_DOWN);
    EXPECT_TRUE(presses.empty());
    sim::releaseAllKeys();
    sim::pressKey(VK_DOWN);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].id, 1998u);
}

TEST_F(SimHotkeys, ACombinationHeldElsewhereOrUnderAnotherIdIsRefusedWith1409) {
    sim::holdHotkeyElsewhere(MOD_CONTROL, VK_UP);
    SetLastError(0);
    EXPECT_FALSE(RegisterHotKey(window, 1999, MOD_CONTROL, VK_UP));
    EXPECT_EQ(GetLastError(), 1409u);
    EXPECT_FALSE(sim::findHotkey(window, 1999));

    ASSERT_TRUE(RegisterHotKey(window, 1998, MOD_CONTROL, VK_DOWN));
    EXPECT_FALSE(RegisterHotKey(window, 5, MOD_CONTROL, VK_DOWN));
    EXPECT_EQ(GetLastError(), 1409u);
    HWND other = sim::createWindow(hotkeyWindow, "other");
    EXPECT_FALSE(RegisterHotKey(other, 1998, MOD_CONTROL, VK_DOWN));
    EXPECT_EQ(GetLastError(), 1409u);
    // The same id on another window with a free combination is fine.
    EXPECT_TRUE(RegisterHotKey(other, 1998, MOD_ALT, VK_DOWN));
}

TEST_F(SimHotkeys, ReRegisteringTheSameWindowAndIdReplacesItsCombination) {
    ASSERT_TRUE(RegisterHotKey(window, 1999, MOD_CONTROL, VK_UP));
    ASSERT_TRUE(RegisterHotKey(window, 1999, MOD_SHIFT, VK_PRIOR));
    sim::HotkeyInfo info;
    ASSERT_TRUE(sim::findHotkey(window, 1999, &info));
    EXPECT_EQ(info.modifiers, static_cast<UINT>(MOD_SHIFT));
    EXPECT_EQ(info.vk, static_cast<UINT>(VK_PRIOR));
    sim::keyDown(VK_LCONTROL);
    sim::pressKey(VK_UP);
    EXPECT_TRUE(presses.empty());
    // The old combination is free for others now.
    HWND other = sim::createWindow(hotkeyWindow, "other");
    EXPECT_TRUE(RegisterHotKey(other, 1, MOD_CONTROL, VK_UP));
}

TEST_F(SimHotkeys, UnregisteringTwiceFailsWith1419) {
    RegisterHotKey(window, 1999, MOD_CONTROL, VK_UP);
    EXPECT_TRUE(UnregisterHotKey(window, 1999));
    SetLastError(0);
    EXPECT_FALSE(UnregisterHotKey(window, 1999));
    EXPECT_EQ(GetLastError(), 1419u);
    sim::keyDown(VK_LCONTROL);
    sim::pressKey(VK_UP);
    EXPECT_TRUE(presses.empty());
}

TEST_F(SimHotkeys, AltGrOnALayoutThatHasItIsRightAltWithAMadeUpLeftCtrl) {
    const HKL unitedStates = GetKeyboardLayout(0);
    EXPECT_EQ(VkKeyScanExA('@', unitedStates), 0x100 | '2');  // Shift+2
    sim::useKeyboardLayout(sim::KeyboardLayout::German);
    EXPECT_EQ(VkKeyScanExA('@', GetKeyboardLayout(0)), 0x600 | 'Q');  // Ctrl+Alt+Q
    EXPECT_EQ(GetWindowThreadProcessId(GetForegroundWindow(), nullptr), 1u);

    ASSERT_TRUE(RegisterHotKey(window, 7, MOD_CONTROL | MOD_ALT, VK_UP));
    sim::keyDown(VK_RMENU);
    EXPECT_TRUE(down(VK_RMENU) && down(VK_LCONTROL) && down(VK_CONTROL) && !down(VK_RCONTROL));
    sim::pressKey(VK_UP);
    sim::keyUp(VK_RMENU);
    EXPECT_FALSE(down(VK_LCONTROL));
    ASSERT_EQ(presses.size(), 1u);  // the system matched Ctrl+Alt

    sim::useKeyboardLayout(sim::KeyboardLayout::UnitedStates);
    sim::keyDown(VK_RMENU);
    EXPECT_FALSE(down(VK_LCONTROL));
}

}  // namespace
