// The simulated notification area: Wine's answers to adds, modifies and deletes (as
// measured once under Wine; the test command does not re-run that probe), what a record
// hands over, clicks on the icon, and an Explorer restart.
#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/platform.h"

namespace {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Message> received;

LRESULT CALLBACK hostWindow(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(Message{message, wParam, lParam});
    return 0;
}

constexpr UINT ICON_ID = 3021;
constexpr UINT CALLBACK_MESSAGE = WM_USER + 27;

class SimTray : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset(::testing::TempDir() + "sim_tray");
        received.clear();
        window = sim::createWindow(hostWindow, "host");
    }
    NOTIFYICONDATAA record(const char* tip, HICON icon = reinterpret_cast<HICON>(0x1234)) {
        NOTIFYICONDATAA data;
        std::memset(&data, 0, sizeof data);
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data.hWnd = window;
        data.uID = ICON_ID;
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = CALLBACK_MESSAGE;
        data.hIcon = icon;
        std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
        return data;
    }
    HWND window = nullptr;
};

TEST_F(SimTray, AnswersAsWineDoes) {
    NOTIFYICONDATAA data = record("Reference Volume is 130");
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data));  // not there yet
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));  // already there
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_FALSE(sim::findTrayIcon(window, ICON_ID));

    const auto& calls = sim::trayCalls();
    ASSERT_EQ(calls.size(), 6u);
    std::vector<BOOL> results;
    for (const auto& c : calls) results.push_back(c.result);
    EXPECT_EQ(results, (std::vector<BOOL>{FALSE, TRUE, FALSE, TRUE, TRUE, FALSE}));
    EXPECT_EQ(calls[1].action, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[1].cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
}

TEST_F(SimTray, KeepsWhatTheLastCallsHandedOver) {
    NOTIFYICONDATAA data = record("Reference Volume is 130");
    Shell_NotifyIconA(NIM_ADD, &data);
    sim::advance(250);
    data = record("New Song Detected", reinterpret_cast<HICON>(0x5678));
    Shell_NotifyIconA(NIM_MODIFY, &data);
    sim::TrayIcon icon;
    ASSERT_TRUE(sim::findTrayIcon(window, ICON_ID, &icon));
    EXPECT_EQ(icon.tip, "New Song Detected");
    EXPECT_EQ(icon.icon, reinterpret_cast<HICON>(0x5678));
    EXPECT_EQ(icon.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(icon.callbackMessage, CALLBACK_MESSAGE);
    EXPECT_EQ(sim::trayCalls().back().atMs, 250u);

    // A modify naming only the tip leaves the icon as it was.
    data = record("Volume Up", reinterpret_cast<HICON>(0x9999));
    data.uFlags = NIF_TIP;
    Shell_NotifyIconA(NIM_MODIFY, &data);
    ASSERT_TRUE(sim::findTrayIcon(window, ICON_ID, &icon));
    EXPECT_EQ(icon.tip, "Volume Up");
    EXPECT_EQ(icon.icon, reinterpret_cast<HICON>(0x5678));
}

TEST_F(SimTray, TheFirstFormOfTheRecordCarriesAtMost63TipCharacters) {
    std::string longTip(100, 'x');
    NOTIFYICONDATAA data = record(longTip.c_str());
    Shell_NotifyIconA(NIM_ADD, &data);
    sim::TrayIcon icon;
    ASSERT_TRUE(sim::findTrayIcon(window, ICON_ID, &icon));
    EXPECT_EQ(icon.tip, std::string(63, 'x'));
    // A record of the full size carries 127.
    data.cbSize = sizeof(NOTIFYICONDATAA);
    Shell_NotifyIconA(NIM_MODIFY, &data);
    sim::findTrayIcon(window, ICON_ID, &icon);
    EXPECT_EQ(icon.tip, longTip);
}

TEST_F(SimTray, ClicksOnTheIconSendItsCallbackMessageAtOnce) {
    NOTIFYICONDATAA data = record("tip");
    sim::trayMouse(window, ICON_ID, WM_LBUTTONDBLCLK);  // no icon: nothing to click
    EXPECT_TRUE(received.empty());
    Shell_NotifyIconA(NIM_ADD, &data);
    sim::trayMouse(window, ICON_ID, WM_LBUTTONDBLCLK);
    sim::trayMouse(window, ICON_ID, WM_RBUTTONUP);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, CALLBACK_MESSAGE);
    EXPECT_EQ(received[0].wParam, ICON_ID);
    EXPECT_EQ(received[0].lParam, WM_LBUTTONDBLCLK);
    EXPECT_EQ(received[1].lParam, WM_RBUTTONUP);
}

TEST_F(SimTray, AnExplorerRestartDropsTheIconsAndAnnouncesTheNewTaskbar) {
    HWND other = sim::createWindow(hostWindow, "other");
    NOTIFYICONDATAA data = record("tip");
    Shell_NotifyIconA(NIM_ADD, &data);
    sim::restartExplorer();
    EXPECT_FALSE(sim::findTrayIcon(window, ICON_ID));
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    ASSERT_EQ(received.size(), 2u);  // one per window
    EXPECT_EQ(received[0].message, taskbarCreated);
    EXPECT_EQ(received[1].message, taskbarCreated);
    (void)other;
    // The icon can be added afresh.
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
}

TEST_F(SimTray, AScaleChangeAnnouncesATaskbarThatStillHoldsTheIconsStretched) {
    NOTIFYICONDATAA data = record("tip");
    Shell_NotifyIconA(NIM_ADD, &data);
    sim::changePrimaryDisplayScale();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, RegisterWindowMessageA("TaskbarCreated"));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));
    sim::TrayIcon icon;
    ASSERT_TRUE(sim::findTrayIcon(window, ICON_ID, &icon));
    EXPECT_TRUE(icon.stretched);
    data.uFlags = NIF_TIP;  // a modify without the icon leaves it stretched
    Shell_NotifyIconA(NIM_MODIFY, &data);
    sim::findTrayIcon(window, ICON_ID, &icon);
    EXPECT_TRUE(icon.stretched);
    data.uFlags = NIF_ICON;
    Shell_NotifyIconA(NIM_MODIFY, &data);
    sim::findTrayIcon(window, ICON_ID, &icon);
    EXPECT_FALSE(icon.stretched);
}

TEST_F(SimTray, AnElevatedProcessHearsExplorerOnlyThroughItsMessageFilters) {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    HWND other = sim::createWindow(hostWindow, "other");
    sim::runElevated(true);
    sim::restartExplorer();
    EXPECT_TRUE(received.empty());
    ASSERT_TRUE(ChangeWindowMessageFilterEx(window, taskbarCreated, MSGFLT_ALLOW, nullptr));
    sim::restartExplorer();
    EXPECT_EQ(received.size(), 1u) << "the window's filter lets it through to that window alone";
    ASSERT_TRUE(ChangeWindowMessageFilterEx(window, taskbarCreated, MSGFLT_DISALLOW, nullptr));
    ASSERT_TRUE(ChangeWindowMessageFilter(taskbarCreated, MSGFLT_ADD));
    received.clear();
    sim::restartExplorer();
    EXPECT_EQ(received.size(), 2u) << "the process's filter, to every window";
    (void)other;
}

}  // namespace
