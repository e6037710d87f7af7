// Simulated windows: each has a name and a replaceable procedure. Sent messages go
// straight through whatever procedure is installed now; posted ones wait in one queue
// (one thread, one queue) until the clock delivers them. A procedure is ANSI or Unicode,
// by the window it was created for or the Set...A/W call that installed it; text
// messages from the other kind, sent or posted, are translated on the way in.
#include <windows.h>

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
constexpr UINT FIRST_REGISTERED_MESSAGE = 0xC000;

struct Window {
    std::string name;
    WNDPROC procedure;
    bool unicode;  // the installed procedure takes wide text
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
// Every procedure's kind (true: Unicode) as it last became known; CallWindowProcA/W
// translate by it.
std::map<WNDPROC, bool> procedureKinds;
// Registered message ids stay the same for a name for the life of the process, as atoms
// do; keeping them across resets also keeps ids cached by a test valid.
std::map<std::string, UINT> registeredMessages;

Window* find(HWND window) {
    auto it = windowTable.find(window);
    return it == windowTable.end() ? nullptr : &it->second;
}

void install(Window* window, WNDPROC procedure, bool unicode) {
    window->procedure = procedure;
    window->unicode = unicode;
    if (procedure) procedureKinds[procedure] = unicode;
}

// Through CallWindowProcA/W: translated only when the procedure's kind is known.
LRESULT callKnown(WNDPROC procedure, bool sentWide, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto kind = procedureKinds.find(procedure);
    bool procedureWide = kind == procedureKinds.end() ? sentWide : kind->second;
    return callProcedure(procedure, procedureWide, sentWide, window, message, wParam, lParam);
}

HWND newWindow(WNDPROC procedure, const char* name, bool unicode) {
    HWND window = reinterpret_cast<HWND>(nextHandle);
    nextHandle += 0x10;
    Window& w = windowTable[window];
    w.name = name ? name : "";
    install(&w, procedure, unicode);
    creationOrder.push_back(window);
    return window;
}

}  // namespace

bool isLiveWindow(HWND window) { return find(window) != nullptr; }

LRESULT deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool sentWide) {
    Window* w = find(window);
    if (!w) return 0;
    return callProcedure(w->procedure, w->unicode, sentWide, window, message, wParam, lParam);
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
    procedureKinds.clear();
}

}  // namespace core

HWND createWindow(WNDPROC procedure, const char* name) { return core::newWindow(procedure, name, false); }

HWND createUnicodeWindow(WNDPROC procedure, const char* name) { return core::newWindow(procedure, name, true); }

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

// A procedure new to the platform takes the kind of the setter. One it already knows keeps
// its kind: the platform hands a caller of the other kind a stand-in handle for it, so
// putting back what a subclass saved brings the window's kind back too.
LONG_PTR replaceProcedure(HWND window, int index, LONG_PTR procedure, bool unicode) {
    sim::core::Window* w = windowWithSlot(window, index);
    if (!w) return 0;
    LONG_PTR previous = reinterpret_cast<LONG_PTR>(w->procedure);
    WNDPROC next = reinterpret_cast<WNDPROC>(procedure);
    auto known = sim::core::procedureKinds.find(next);
    sim::core::install(w, next, known == sim::core::procedureKinds.end() ? unicode : known->second);
    return previous;
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool sentWide) {
    if (!find(window)) {
        SetLastError(sim::core::ERROR_INVALID_WINDOW_HANDLE_);
        return 0;
    }
    return sim::core::deliver(window, message, wParam, lParam, sentWide);
}
}  // namespace

extern "C" {

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
    sim::core::Window* w = windowWithSlot(hWnd, nIndex);
    return w ? reinterpret_cast<LONG_PTR>(w->procedure) : 0;
}

// The platform hands back a stand-in when the kinds differ; the procedure itself serves
// as well here, since CallWindowProcA/W translate by its known kind.
LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex) { return GetWindowLongPtrA(hWnd, nIndex); }

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return replaceProcedure(hWnd, nIndex, dwNewLong, false);
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    return replaceProcedure(hWnd, nIndex, dwNewLong, true);
}

BOOL IsWindowUnicode(HWND hWnd) {
    sim::core::Window* w = find(hWnd);
    return w && w->unicode ? TRUE : FALSE;
}

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return sim::core::callKnown(lpPrevWndFunc, false, hWnd, Msg, wParam, lParam);
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return sim::core::callKnown(lpPrevWndFunc, true, hWnd, Msg, wParam, lParam);
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { return send(hWnd, Msg, wParam, lParam, false); }

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) { return send(hWnd, Msg, wParam, lParam, true); }

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!find(hWnd)) {
        SetLastError(sim::core::ERROR_INVALID_WINDOW_HANDLE_);
        return FALSE;
    }
    sim::core::postedQueue.push_back(sim::core::Posted{hWnd, Msg, wParam, lParam});
    return TRUE;
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }
LRESULT DefWindowProcW(HWND, UINT, WPARAM, LPARAM) { return 0; }

BOOL IsWindow(HWND hWnd) { return find(hWnd) ? TRUE : FALSE; }

// A simulated window's name stands for its class (the player's is "Winamp v1.x"); windows
// keep no separate title, so one asked for by title is never found.
HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName) {
    if (lpClassName == nullptr || lpWindowName != nullptr) return nullptr;
    std::string wanted = sim::core::lowerCase(lpClassName);
    for (HWND window : sim::core::liveWindows()) {
        if (sim::core::lowerCase(find(window)->name) == wanted) return window;
    }
    return nullptr;
}

UINT RegisterWindowMessageA(LPCSTR lpString) {
    if (!lpString || !*lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
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
