// Text sent across ANSI and Unicode window procedures goes through the ANSI code page
// (Windows-1252): a Unicode window subclassed with the A functions loses every character
// outside it; one subclassed with the W functions keeps them.
#include <gtest/gtest.h>

#include <string>

#include "sim/platform.h"

namespace {

std::wstring received;  // WM_SETTEXT's text and WM_CHAR's characters, as the host got them
WPARAM requestParameter = 0;
WNDPROC hostProcedure = nullptr;

LRESULT CALLBACK wideHost(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) received += reinterpret_cast<const WCHAR*>(lParam);
    if (message == WM_CHAR) received.push_back(static_cast<WCHAR>(wParam));
    if (message == WM_USER) requestParameter = wParam;
    return 0;
}

LRESULT CALLBACK ansiHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(hostProcedure, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK wideHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(hostProcedure, hwnd, message, wParam, lParam);
}

TEST(SimTextMessages, OnlyASubclassOfTheWindowsOwnKindKeepsItsText) {
    struct Case {
        bool wideHook;
        const WCHAR* expected;
    };
    for (Case c : {Case{false, L"Caf\u00E9 ?\u00E9"}, Case{true, L"Caf\u00E9 \u266A\u00E9"}}) {
        sim::reset(::testing::TempDir() + "sim_text_messages");
        received.clear();
        HWND window = sim::createUnicodeWindow(wideHost, "host");
        EXPECT_TRUE(IsWindowUnicode(window));
        LONG_PTR hook = reinterpret_cast<LONG_PTR>(c.wideHook ? wideHook : ansiHook);
        hostProcedure = reinterpret_cast<WNDPROC>(c.wideHook ? SetWindowLongPtrW(window, GWLP_WNDPROC, hook)
                                                             : SetWindowLongPtrA(window, GWLP_WNDPROC, hook));
        EXPECT_EQ(IsWindowUnicode(window), c.wideHook ? TRUE : FALSE) << "it follows the installed procedure";
        SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Caf\u00E9 \u266A"));
        SendMessageW(window, WM_CHAR, 0xE9, 0);
        EXPECT_EQ(received, c.expected) << c.wideHook;

        // A request's pointer is no text: it reaches the host untouched either way.
        SendMessageW(window, WM_USER, reinterpret_cast<WPARAM>(c.expected), 13003);
        EXPECT_EQ(requestParameter, reinterpret_cast<WPARAM>(c.expected));

        // Putting the saved procedure back, even through the A function, makes the window
        // Unicode again, as the platform's stand-in handle does.
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostProcedure));
        EXPECT_TRUE(IsWindowUnicode(window));
        received.clear();
        SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"♪"));
        EXPECT_EQ(received, L"\u266A");
    }
    // An ANSI sender's bytes widen one by one on their way into a Unicode procedure.
    received.clear();
    SendMessageA(sim::createUnicodeWindow(wideHost, "other"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab\xE9"));
    EXPECT_EQ(received, L"ab\u00E9");
}

}  // namespace
