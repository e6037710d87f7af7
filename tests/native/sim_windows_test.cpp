// Simulated windows: replaceable procedures with chaining, sent versus posted
// messages, registered message ids, and the last error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/platform.h"

namespace {

std::vector<std::string> seen;
WNDPROC hostProcedure = nullptr;

LRESULT CALLBACK host(HWND, UINT message, WPARAM wParam, LPARAM) {
    seen.push_back("host " + std::to_string(message) + " " + std::to_string(wParam));
    return 40 + static_cast<LRESULT>(wParam);
}

LRESULT CALLBACK hook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back("hook " + std::to_string(message));
    return CallWindowProcA(hostProcedure, hwnd, message, wParam, lParam);
}

class SimWindows : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset(::testing::TempDir() + "sim_windows");
        seen.clear();
        window = sim::createWindow(host, "host");
    }
    HWND window = nullptr;
};

TEST_F(SimWindows, AReplacedProcedureSeesEverySentMessageAndChainsToTheOldOne) {
    hostProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    EXPECT_EQ(hostProcedure, &host);
    LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(previous), &host);

    EXPECT_EQ(SendMessageA(window, WM_USER, 2, 104), 42);
    EXPECT_EQ(seen, (std::vector<std::string>{"hook 1024", "host 1024 2"}));

    // Putting the old procedure back takes the hook out of the path.
    SetWindowLongPtrA(window, GWLP_WNDPROC, previous);
    seen.clear();
    SendMessageA(window, WM_USER, 1, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"host 1024 1"}));
}

TEST_F(SimWindows, PostedMessagesWaitForTheMessageLoopAndArriveInOrder) {
    EXPECT_TRUE(PostMessageA(window, WM_COMMAND, 1, 0));
    EXPECT_TRUE(PostMessageA(window, WM_COMMAND, 2, 0));
    EXPECT_TRUE(seen.empty());
    sim::pump();
    EXPECT_EQ(seen, (std::vector<std::string>{"host 273 1", "host 273 2"}));
    seen.clear();
    PostMessageA(window, WM_COMMAND, 3, 0);
    sim::advance(0);
    EXPECT_EQ(seen, (std::vector<std::string>{"host 273 3"}));
}

TEST_F(SimWindows, MessagesToAWindowThatIsGoneFailWithInvalidWindowHandle) {
    PostMessageA(window, WM_COMMAND, 1, 0);
    sim::destroyWindow(window);
    EXPECT_EQ(seen, (std::vector<std::string>{"host 2 0"}));  // WM_DESTROY, not the posted one
    sim::pump();
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_FALSE(IsWindow(window));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), 1400u);
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook)), 0);
}

TEST_F(SimWindows, RegisteredMessagesAreStablePerNameRegardlessOfCase) {
    UINT a = RegisterWindowMessageA("TaskbarCreated");
    UINT b = RegisterWindowMessageA("taskbarcreated");
    UINT c = RegisterWindowMessageA("SomethingElse");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_GE(c, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

}  // namespace
