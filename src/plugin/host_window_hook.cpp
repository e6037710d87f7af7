#include "plugin/host_window_hook.h"

#include "controls/hotkey_control.h"
#include "controls/tray_indicator.h"
#include "adapters/host_link.h"
#include "adapters/settings_store.h"
#include "memory/song_tracker.h"

namespace HostWindowHook {

State state;

namespace {

// A Unicode window (every 5.x host's) must be taken over and called through with the W
// functions: with the A ones the platform passes its text messages through the ANSI
// code page, and titles or typed characters it cannot hold come out as '?'.
WNDPROC installedProcedure(HWND window, bool unicode) {
    LONG_PTR procedure = unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC) : GetWindowLongPtrA(window, GWLP_WNDPROC);
    return reinterpret_cast<WNDPROC>(procedure);
}

void installProcedure(HWND window, bool unicode, WNDPROC procedure) {
    LONG_PTR value = reinterpret_cast<LONG_PTR>(procedure);
    if (unicode) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, value);
    } else {
        SetWindowLongPtrA(window, GWLP_WNDPROC, value);
    }
}

bool announcesStart(UINT message, LPARAM lParam) {
    return message == WM_USER && (lParam == HostLink::IPC_PLAYING_FILE || lParam == HostLink::IPC_PLAYING_FILEW);
}

void route(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        // Other timers on the host's window are the host's own.
        if (SongTracker::state.timerId != 0 && wParam == SongTracker::state.timerId) SongTracker::onTick();
    } else if (message == WM_HOTKEY) {
        HotkeyControl::onHotkey(static_cast<int>(wParam));
    } else if (message == TRAY_CALLBACK_MESSAGE) {
        TrayIndicator::onTrayCallback(LOWORD(lParam));
    } else if (announcesStart(message, lParam)) {
        SongTracker::onStartAnnounced();
    } else if (SongTracker::state.startMessage != 0 && message == SongTracker::state.startMessage) {
        SongTracker::onAnnouncedStart();
    } else if (state.taskbarCreated != 0 && message == state.taskbarCreated) {
        TrayIndicator::onTaskbarCreated();
    }
}

}  // namespace

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Taken before routing: a message box opened while routing runs a message loop in
    // which the host may shut us down.
    WNDPROC next = state.hostProcedure;
    bool unicode = state.unicode;
    if (state.routing && settings.enabled) route(message, wParam, lParam);
    return unicode ? CallWindowProcW(next, window, message, wParam, lParam)
                   : CallWindowProcA(next, window, message, wParam, lParam);
}

void install(HWND window) {
    state.routing = true;
    if (state.taskbarCreated == 0) state.taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    TrayIndicator::admitTaskbarCreated(window, state.taskbarCreated);
    // Still in the chain from earlier in this process: the window keeps the kind we took
    // it with.
    bool unicode = state.inChain && state.window == window ? state.unicode : IsWindowUnicode(window) != FALSE;
    bool oursOnTop = installedProcedure(window, unicode) == procedure;
    // Still in the chain, on top or under a procedure put over ours since an earlier
    // load of this module (then pinned at quit): taking the window again would put us
    // in its chain twice, calling ourselves for ever.
    if (state.inChain && state.window == window && (oursOnTop || state.leftInChain)) {
        state.leftInChain = false;
        return;
    }
    if (oursOnTop) return;
    state.unicode = unicode;
    state.hostProcedure = installedProcedure(window, unicode);
    state.window = window;
    state.inChain = true;
    state.leftInChain = false;
    installProcedure(window, unicode, procedure);
}

bool uninstall() {
    state.routing = false;
    if (!state.inChain) return true;
    if (installedProcedure(state.window, state.unicode) == procedure) {
        installProcedure(state.window, state.unicode, state.hostProcedure);
        state.inChain = false;
        return true;
    }
    // A window that is gone calls nobody.
    if (!IsWindow(state.window)) {
        state.inChain = false;
        return true;
    }
    state.leftInChain = true;
    return false;
}

}  // namespace HostWindowHook
