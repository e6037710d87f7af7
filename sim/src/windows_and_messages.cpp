// Simulated windows: each has a name and a replaceable procedure. Sent messages go
// straight through whatever procedure is installed now; posted ones wait in one queue
// (one thread, one queue) until the clock delivers them.
#include <windows.h>

#include <cctype>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

constexpr DWORD ERROR_INVALID_WINDOW_HANDLE_ = 1400;
constexpr DWORD ERROR_INVALID_INDEX_ = 1413;
constexpr DWORD ERROR_INVALID_PARAMETER_ = 87;
constexpr UINT FIRST_REGISTERED_MESSAGE = 0xC000;

struct Window {
    std::string name;
    WNDPROC procedure;
};

struct Posted {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Handles keep counting across resets, so a handle from an earlier machine never names a
// window of the new one.
uintptr_t nextHandle = 0x10010;
std::map<HWND, Window> windowTable;
std::vector<HWND> creationOrder;
std::deque<Posted> postedQueue;
// Registered message ids stay the same for a name for the life of the process, as atoms
// do; keeping them across resets also keeps ids cached by a test valid.
std::map<std::string, UINT> registeredMessages;

Window* find(HWND window) {
    auto it = windowTable.find(window);
    return it == windowTable.end() ? nullptr : &it->second;
}

}  // namespace

std::string lowerCase(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isLiveWindow(HWND window) { return find(window) != nullptr; }

LRESULT deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = find(window);
    if (!w || !w->procedure) return 0;
    return w->procedure(window, message, wParam, lParam);
}

std::vector<HWND> liveWindows() {
    std::vector<HWND> out;
    for (HWND w : creationOrder) {
        if (isLiveWindow(w)) out.push_back(w);
    }
    return out;
}

bool deliverPosted() {
    bool any = false;
    while (!postedQueue.empty()) {
        Posted p = postedQueue.front();
        postedQueue.pop_front();
        any = true;
        deliver(p.window, p.message, p.wParam, p.lParam);
    }
    return any;
}

void resetWindows() {
    windowTable.clear();
    creationOrder.clear();
    postedQueue.clear();
}

}  // namespace core

HWND createWindow(WNDPROC procedure, const char* name) {
    HWND window = reinterpret_cast<HWND>(core::nextHandle);
    core::nextHandle += 0x10;
    core::windowTable[window] = core::Window{name ? name : "", procedure};
    core::creationOrder.push_back(window);
    return window;
}

void destroyWindow(HWND window) {
    if (!core::isLiveWindow(window)) return;
    core::deliver(window, WM_DESTROY, 0, 0);
    // The platform takes the window's timers and hotkeys with it; its icon stays in the
    // notification area until Explorer notices.
    core::forgetTimers(window);
    core::forgetHotkeys(window);
    core::windowTable.erase(window);
    auto& q = core::postedQueue;
    for (auto it = q.begin(); it != q.end();) {
        it = it->window == window ? q.erase(it) : it + 1;
    }
}

}  // namespace sim

using sim::core::find;

namespace {
// The window behind the handle when the slot asked for is one we keep (only the window
// procedure); null, with the platform's error, when not.
sim::core::Window* windowWithSlot(HWND window, int index) {
    sim::core::Window* w = find(window);
    if (!w) {
        SetLastError(sim::core::ERROR_INVALID_WINDOW_HANDLE_);
        return nullptr;
    }
    if (index != GWLP_WNDPROC) {
        SetLastError(sim::core::ERROR_INVALID_INDEX_);
        return nullptr;
    }
    return w;
}
}  // namespace

extern "C" {

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
    sim::core::Window* w = windowWithSlot(hWnd, nIndex);
    return w ? reinterpret_cast<LONG_PTR>(w->procedure) : 0;
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    sim::core::Window* w = windowWithSlot(hWnd, nIndex);
    if (!w) return 0;
    LONG_PTR previous = reinterpret_cast<LONG_PTR>(w->procedure);
    w->procedure = reinterpret_cast<WNDPROC>(dwNewLong);
    return previous;
}

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!lpPrevWndFunc) return 0;
    return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!find(hWnd)) {
        SetLastError(sim::core::ERROR_INVALID_WINDOW_HANDLE_);
        return 0;
    }
    return sim::core::deliver(hWnd, Msg, wParam, lParam);
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!find(hWnd)) {
        SetLastError(sim::core::ERROR_INVALID_WINDOW_HANDLE_);
        return FALSE;
    }
    sim::core::postedQueue.push_back(sim::core::Posted{hWnd, Msg, wParam, lParam});
    return TRUE;
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

BOOL IsWindow(HWND hWnd) { return find(hWnd) ? TRUE : FALSE; }

UINT RegisterWindowMessageA(LPCSTR lpString) {
    if (!lpString || !*lpString) {
        SetLastError(sim::core::ERROR_INVALID_PARAMETER_);
        return 0;
    }
    auto& table = sim::core::registeredMessages;
    std::string key = sim::core::lowerCase(lpString);
    auto it = table.find(key);
    if (it != table.end()) return it->second;
    UINT id = sim::core::FIRST_REGISTERED_MESSAGE + static_cast<UINT>(table.size());
    table[key] = id;
    return id;
}

}  // extern "C"
