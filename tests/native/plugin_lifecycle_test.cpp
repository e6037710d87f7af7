// Start-up, shutdown and the window hook, on the simulated platform with the simulated
// player as the host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/hotkey_control.h"
#include "controls/tray_indicator.h"
#include "adapters/host_link.h"
#include "plugin/plugin_lifecycle.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "controls/resource_ids.h"
#include "memory/song_tracker.h"
#include "plugin_test_support.h"
#include "sim/dialogs.h"

namespace {

using namespace testsupport;

constexpr char DEFAULTS_AS_SAVED[] =
    "[Tamsel Loudmark]\r\n\"Enabled\"=1\r\n\"Trim\"=0\r\n\"TrimTo\"=-1\r\n\"Hotkey\"=1\r\n"
    "\"UpMod\"=3\r\n\"UpKey\"=38\r\n\"DownMod\"=3\r\n\"DownKey\"=40\r\n";
constexpr UINT_PTR MAIN_TIMER = SongTracker::FIRST_TIMER_ID;

class PluginLifecycleTest : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        host = sim::player::window();
        hostProcedure = GetWindowLongPtrA(host, GWLP_WNDPROC);
        pluginRecord.hwndParent = host;
        HostLink::attach(pluginRecord.hwndParent);
        pluginRecord.hDllInstance = sim::pluginInstance();
        sim::setModulePath(sim::pluginInstance(), PLUGIN_PATH);
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
    }

    bool hookInPlace() const { return GetWindowLongPtrA(host, GWLP_WNDPROC) != hostProcedure; }

    std::vector<UINT_PTR> pluginTimers() const {
        std::vector<UINT_PTR> ids;
        for (const sim::TimerInfo& t : sim::timers()) {
            if (t.window == host && t.id >= MAIN_TIMER) ids.push_back(t.id);
        }
        return ids;
    }

    int requestsFor(LPARAM code) const {
        int n = 0;
        for (const auto& r : sim::player::requests()) n += r.message == WM_USER && r.lParam == code;
        return n;
    }

    int seenByHost(UINT message, WPARAM wParam) const {
        int n = 0;
        for (const auto& r : sim::player::requests()) n += r.message == message && r.wParam == wParam;
        return n;
    }

    HWND host = nullptr;
    LONG_PTR hostProcedure = 0;
};

// ---------------------------------------------------------------------------
// Start-up

TEST_F(PluginLifecycleTest, StartsWithoutASettingsFileWithEverythingOn) {
    EXPECT_EQ(PluginLifecycle::init(), 0);

    EXPECT_STREQ(pluginRecord.description, "Tamsel Loudmark Plug-In v0.5 (gen_loudmark.dll)");
    EXPECT_TRUE(hookInPlace());
    EXPECT_TRUE(PluginLifecycle::hookInstalled());
    sim::HotkeyInfo up{}, down{};
    ASSERT_TRUE(sim::findHotkey(host, HOTKEY_UP, &up));
    ASSERT_TRUE(sim::findHotkey(host, HOTKEY_DOWN, &down));
    EXPECT_EQ(up.modifiers, static_cast<UINT>(MOD_CONTROL));
    EXPECT_EQ(up.vk, static_cast<UINT>(VK_UP));
    EXPECT_EQ(down.vk, static_cast<UINT>(VK_DOWN));
    sim::TimerInfo timer{};
    ASSERT_TRUE(sim::findTimer(host, MAIN_TIMER, &timer));
    EXPECT_EQ(timer.periodMs, 1000u);
    EXPECT_EQ(timer.routine, nullptr);
    EXPECT_TRUE(sim::findTrayIcon(host, TRAY_ICON_ID));
    EXPECT_TRUE(sim::messageBoxes().empty());
}

TEST_F(PluginLifecycleTest, StartsFromTheSettingsFileItFinds) {
    sim::writeFile(SETTINGS_PATH, "[Tamsel Loudmark]\r\n\"Hotkey\"=0\r\n\"TrimTo\"=2\r\n");
    PluginLifecycle::init();

    EXPECT_EQ(settings.trimTo, 2);
    EXPECT_FALSE(sim::findHotkey(host, HOTKEY_UP));
    EXPECT_FALSE(sim::findHotkey(host, HOTKEY_DOWN));
    EXPECT_TRUE(hookInPlace());
    EXPECT_TRUE(sim::findTimer(host, MAIN_TIMER));
    EXPECT_TRUE(sim::findTrayIcon(host, TRAY_ICON_ID));
}

TEST_F(PluginLifecycleTest, DisabledAtStartUpInstallsNothingYetDetectsTheKeyboard) {
    sim::writeFile(SETTINGS_PATH, "[Tamsel Loudmark]\r\n\"Enabled\"=0\r\n");
    sim::setRegistryKeyPresent("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", false);
    HotkeyControl::state.lastDirection = 2;

    PluginLifecycle::init();

    EXPECT_FALSE(hookInPlace());
    EXPECT_FALSE(PluginLifecycle::hookInstalled());
    EXPECT_TRUE(pluginTimers().empty());
    EXPECT_FALSE(sim::findHotkey(host, HOTKEY_UP));
    EXPECT_TRUE(sim::trayCalls().empty());
    EXPECT_STREQ(pluginRecord.description, "Tamsel Loudmark Plug-In v0.5 (gen_loudmark.dll)");

    // Turned on later: the dialog shows Windows 9x found, either Ctrl key acts, and the
    // first press is a full one, whatever an earlier load left.
    sim::player::setVolume(130);
    sim::whileDialogOpen([](HWND dialog) {
        EXPECT_TRUE(sim::isChecked(dialog, IDC_WIN95));
        sim::click(dialog, IDC_ENABLE);
        sim::click(dialog, IDOK);
    });
    PluginLifecycle::config();
    sim::keyDown(VK_RCONTROL);
    sim::pressKey(VK_UP);
    sim::keyUp(VK_RCONTROL);
    EXPECT_EQ(sim::player::volume(), 130 + 8 * sim::player::VOLUME_STEP);
}

TEST_F(PluginLifecycleTest, HostVersionsAreComparedAsSignedNumbers) {
    struct Case {
        int version;
        bool warned;
    };
    for (Case c : {Case{0x2004, true}, Case{0x2005, false}, Case{0x5010, false}, Case{-1, true}}) {
        SCOPED_TRACE(c.version);
        freshMachine();
        SetUp();
        sim::player::setVersion(c.version);
        PluginLifecycle::init();
        EXPECT_EQ(sim::messageBoxes().size(), c.warned ? 1u : 0u);
        EXPECT_EQ(settings.enabled, c.warned ? 0 : 1);
        PluginLifecycle::quit();
    }
}

TEST_F(PluginLifecycleTest, AnOldHostIsToldWithNoOwnerAndStaysOffUntilSaved) {
    sim::writeFile(SETTINGS_PATH, "[Tamsel Loudmark]\r\n\"Enabled\"=1\r\n");
    sim::player::setVersion(0x2004);

    PluginLifecycle::init();

    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    const sim::MessageBoxRecord& box = sim::messageBoxes()[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, "WinAmp Version 2.05 required.\nLoudmark not enabled.");
    EXPECT_EQ(box.caption, "Warning");
    EXPECT_EQ(box.style, static_cast<UINT>(MB_OK));
    EXPECT_FALSE(hookInPlace());
    EXPECT_TRUE(pluginTimers().empty());
    EXPECT_FALSE(sim::findTrayIcon(host, TRAY_ICON_ID));

    PluginLifecycle::quit();
    EXPECT_EQ(GetPrivateProfileIntA("Tamsel Loudmark", "\"Enabled\"", -1, SETTINGS_PATH), 0u);
}

TEST_F(PluginLifecycleTest, AModulePathWithoutABackslashIsNamedWhole) {
    sim::setModulePath(sim::pluginInstance(), "gen_loudmark.dll");
    PluginLifecycle::init();
    EXPECT_STREQ(pluginRecord.description, "Tamsel Loudmark Plug-In v0.5 (gen_loudmark.dll)");

    sim::setModulePath(sim::pluginInstance(), "D:loudmark-test.dll");
    PluginLifecycle::init();
    EXPECT_STREQ(pluginRecord.description, "Tamsel Loudmark Plug-In v0.5 (D:loudmark-test.dll)");
}

// ---------------------------------------------------------------------------
// The hook

TEST_F(PluginLifecycleTest, TheHookRoutesOnlyWhileEnabledAndAlwaysChains) {
    PluginLifecycle::init();
    sim::player::setVolume(97);
    sim::keyDown(VK_LCONTROL);
    sim::keyDown(VK_RCONTROL);
    auto sendThePluginsMessages = [&] {
        sim::player::clearLog();
        SendMessageA(host, WM_TIMER, MAIN_TIMER, 0);
        SendMessageA(host, WM_HOTKEY, HOTKEY_DOWN, 0);
        SendMessageA(host, TRAY_CALLBACK_MESSAGE, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    };

    const std::string stepped = "Reference Volume is " + std::to_string(97 - 8 * sim::player::VOLUME_STEP);
    sendThePluginsMessages();
    EXPECT_EQ(requestsFor(HostLink::IPC_ISPLAYING), 1) << "the tick went to the tracker";
    EXPECT_EQ(seenByHost(WM_COMMAND, HostLink::WINAMP_VOLUMEDOWN), 8) << "the press went to the hotkeys";
    EXPECT_EQ(seenByHost(WM_TIMER, MAIN_TIMER), 1);
    EXPECT_EQ(seenByHost(WM_HOTKEY, HOTKEY_DOWN), 1);
    EXPECT_EQ(seenByHost(TRAY_CALLBACK_MESSAGE, TRAY_ICON_ID), 1);
    sim::advance(2000);  // the reference animation back at rest
    EXPECT_EQ(trayView().tip, stepped) << "the double click went to the tray indicator";

    settings.enabled = 0;
    sim::player::setVolume(200);
    sendThePluginsMessages();
    EXPECT_EQ(requestsFor(HostLink::IPC_ISPLAYING), 0);
    EXPECT_EQ(seenByHost(WM_COMMAND, HostLink::WINAMP_VOLUMEDOWN), 0);
    EXPECT_EQ(seenByHost(WM_TIMER, MAIN_TIMER), 1);
    EXPECT_EQ(seenByHost(WM_HOTKEY, HOTKEY_DOWN), 1);
    EXPECT_EQ(seenByHost(TRAY_CALLBACK_MESSAGE, TRAY_ICON_ID), 1);
    sim::advance(2000);
    EXPECT_EQ(trayView().tip, stepped) << "200 was not taken as the reference";

    EXPECT_EQ(SendMessageA(host, WM_USER, 0, HostLink::IPC_GETVERSION), 0x2081) << "the host's answer comes back";
}

TEST_F(PluginLifecycleTest, OtherTimersOnTheHostsWindowAreLeftToTheHost) {
    PluginLifecycle::init();
    sim::player::clearLog();
    SendMessageA(host, WM_TIMER, MAIN_TIMER + 7, 0);
    SendMessageA(host, WM_TIMER, 1, 0);
    EXPECT_EQ(requestsFor(HostLink::IPC_ISPLAYING), 0);
    EXPECT_EQ(seenByHost(WM_TIMER, 1), 1);
}

TEST_F(PluginLifecycleTest, ARestartedExplorerGetsTheIconBackWhileEnabled) {
    PluginLifecycle::init();
    sim::restartExplorer();
    EXPECT_TRUE(sim::findTrayIcon(host, TRAY_ICON_ID));

    settings.enabled = 0;
    sim::restartExplorer();
    EXPECT_FALSE(sim::findTrayIcon(host, TRAY_ICON_ID));
}

// ---------------------------------------------------------------------------
// Shutdown

TEST_F(PluginLifecycleTest, QuitLeavesNothingOfOursToBeCalled) {
    sim::player::setPlaylist({song("a.mp3", 200)});
    sim::player::play();
    PluginLifecycle::init();
    sim::advance(1100);  // the song is picked up: the new-song animation runs
    ASSERT_EQ(pluginTimers().size(), 2u);

    PluginLifecycle::quit();

    EXPECT_TRUE(pluginTimers().empty());
    EXPECT_FALSE(hookInPlace());
    EXPECT_FALSE(sim::modulePinned(sim::pluginInstance()));
    EXPECT_FALSE(sim::findTrayIcon(host, TRAY_ICON_ID));
    EXPECT_FALSE(sim::findHotkey(host, HOTKEY_UP));
    EXPECT_FALSE(sim::findHotkey(host, HOTKEY_DOWN));
    EXPECT_EQ(sim::readFile(SETTINGS_PATH), DEFAULTS_AS_SAVED);

    size_t trayCallsAtQuit = sim::trayCalls().size();
    sim::player::clearLog();
    sim::advance(10000);
    EXPECT_EQ(requestsFor(HostLink::IPC_ISPLAYING), 0);
    EXPECT_EQ(sim::trayCalls().size(), trayCallsAtQuit);
}

TEST_F(PluginLifecycleTest, QuitWhileDisabledUnregistersAndSavesButLeavesTheIcon) {
    PluginLifecycle::init();
    settings.enabled = 0;  // as the tracker does when its timer is refused
    size_t trayCallsBefore = sim::trayCalls().size();

    PluginLifecycle::quit();

    EXPECT_EQ(sim::trayCalls().size(), trayCallsBefore) << "no delete while disabled";
    EXPECT_FALSE(sim::findHotkey(host, HOTKEY_UP));
    EXPECT_FALSE(sim::findHotkey(host, HOTKEY_DOWN));
    EXPECT_EQ(GetPrivateProfileIntA("Tamsel Loudmark", "\"Enabled\"", -1, SETTINGS_PATH), 0u);
    EXPECT_TRUE(pluginTimers().empty());
    EXPECT_FALSE(hookInPlace());
}

// Another module subclassed the host's window after us and stays.
WNDPROC underOther = nullptr;
LRESULT CALLBACK otherModule(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(underOther, window, message, wParam, lParam);
}

TEST_F(PluginLifecycleTest, QuitUnderAnotherModulesProcedurePinsTheModuleAndARealoadRoutesOnce) {
    PluginLifecycle::init();
    underOther = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(otherModule)));

    PluginLifecycle::quit();
    EXPECT_EQ(GetWindowLongPtrA(host, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(otherModule));
    EXPECT_TRUE(sim::modulePinned(sim::pluginInstance()));
    sim::player::clearLog();
    SendMessageA(host, WM_TIMER, MAIN_TIMER, 0);
    EXPECT_EQ(requestsFor(HostLink::IPC_ISPLAYING), 0) << "our procedure, left in the chain, only passes on";
    EXPECT_EQ(seenByHost(WM_TIMER, MAIN_TIMER), 1);

    PluginLifecycle::init();  // the host loads the still-loaded module again
    // Ours put over the other's a second time would call itself for ever: stop here.
    ASSERT_EQ(GetWindowLongPtrA(host, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(otherModule));
    sim::player::clearLog();
    SendMessageA(host, WM_TIMER, MAIN_TIMER, 0);
    EXPECT_EQ(requestsFor(HostLink::IPC_ISPLAYING), 1);
    EXPECT_EQ(seenByHost(WM_TIMER, MAIN_TIMER), 1);
}

TEST_F(PluginLifecycleTest, ALoadAfterQuitStartsAfresh) {
    PluginLifecycle::init();
    SongTracker::setReferenceVolume(97);
    PluginLifecycle::quit();
    ASSERT_FALSE(hookInPlace());

    PluginLifecycle::init();
    EXPECT_TRUE(hookInPlace());
    EXPECT_EQ(trayView().tip, "Reference Volume is 130");
    EXPECT_TRUE(sim::findTimer(host, MAIN_TIMER));
    sim::player::clearLog();
    SendMessageA(host, WM_TIMER, MAIN_TIMER, 0);
    EXPECT_EQ(requestsFor(HostLink::IPC_ISPLAYING), 1);
}

}  // namespace
