#include "host/host_window_hook.h"

#include "controls/hotkey_control.h"
#include "controls/tray_indicator.h"
#include "host/settings_store.h"
#include "memory/song_tracker.h"

namespace HostWindowHook {

State state;

namespace {

WNDPROC installedProcedure(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void route(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        // Other timers on the host's window are the host's own.
        if (SongTracker::state.timerId != 0 && wParam == SongTracker::state.timerId) SongTracker::onTick();
    } else if (message == WM_HOTKEY) {
        HotkeyControl::onHotkey(static_cast<int>(wParam));
    } else if (message == TRAY_CALLBACK_MESSAGE) {
        TrayIndicator::onTrayCallback(LOWORD(lParam));
    } else if (state.taskbarCreated != 0 && message == state.taskbarCreated) {
        TrayIndicator::onTaskbarCreated();
    }
}

}  // namespace

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Taken before routing: a message box opened while routing runs a message loop in
    // which the host may shut us down.
    WNDPROC next = state.hostProcedure;
    if (state.routing && settings.enabled) route(message, wParam, lParam);
    return CallWindowProcA(next, window, message, wParam, lParam);
}

void install(HWND window) {
    state.routing = true;
    if (state.taskbarCreated == 0) state.taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    bool oursOnTop = installedProcedure(window) == procedure;
    // Still in the chain, on top or under a procedure put over ours since an earlier
    // load of this module (then pinned at quit): taking the window again would put us
    // in its chain twice, calling ourselves for ever.
    if (state.inChain && state.window == window && (oursOnTop || state.leftInChain)) {
        state.leftInChain = false;
        return;
    }
    if (oursOnTop) return;
    state.hostProcedure = installedProcedure(window);
    state.window = window;
    state.inChain = true;
    state.leftInChain = false;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

bool uninstall() {
    state.routing = false;
    if (!state.inChain) return true;
    if (installedProcedure(state.window) == procedure) {
        SetWindowLongPtrA(state.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state.hostProcedure));
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
