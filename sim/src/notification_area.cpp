// The simulated notification area, answering as Explorer does under Wine: adding an
// identifier that is already there fails, and so do modifying or deleting one that is
// not. Every call is logged with what it handed over. Explorer's "TaskbarCreated"
// reaches an elevated process only through its message filters.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

using Key = std::pair<HWND, UINT>;
std::map<Key, TrayIcon> icons;
std::vector<TrayCall> calls;
bool refused = false;
bool elevated = false;
std::set<UINT> allowedInProcess;               // ChangeWindowMessageFilter
std::set<std::pair<HWND, UINT>> allowedForWindow;  // ChangeWindowMessageFilterEx

// How much tip text the record's size lets the shell read: the first form of the record
// carries 64 characters, the later forms 128. The shell keeps one for the terminator.
size_t tipCapacity(DWORD cbSize) {
    return cbSize >= offsetof(NOTIFYICONDATAA, dwState) ? sizeof(NOTIFYICONDATAA::szTip) : 64;
}

// What the shell takes from the record: only the fields the flags name.
TrayIcon readRecord(DWORD action, const NOTIFYICONDATAA& data) {
    // A delete names the icon only; the rest of its record may be left unset.
    if (action == NIM_DELETE) return TrayIcon{data.hWnd, data.uID, 0, 0, nullptr, std::string()};
    TrayIcon icon{data.hWnd, data.uID, data.uFlags, 0, nullptr, std::string()};
    if (data.uFlags & NIF_MESSAGE) icon.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON) icon.icon = data.hIcon;
    if (data.uFlags & NIF_TIP) {
        size_t cap = tipCapacity(data.cbSize);
        size_t len = strnlen(data.szTip, cap);
        if (len > cap - 1) len = cap - 1;
        icon.tip.assign(data.szTip, len);
    }
    return icon;
}

void merge(TrayIcon* into, const TrayIcon& from) {
    into->flags = from.flags;
    if (from.flags & NIF_MESSAGE) into->callbackMessage = from.callbackMessage;
    if (from.flags & NIF_ICON) {
        into->icon = from.icon;
        into->stretched = false;
    }
    if (from.flags & NIF_TIP) into->tip = from.tip;
}

// "UIPI is a security feature that prevents messages from being received from a lower
// integrity level sender. All such messages with a value above WM_USER are blocked by
// default" (ChangeWindowMessageFilter's reference); "If the message is allowed by
// either the process message filter or the window message filter, it will be delivered
// to the window" (ChangeWindowMessageFilterEx's). Explorer runs at the user's medium
// level, below an elevated process.
bool reachesFromExplorer(HWND window, UINT message) {
    if (!elevated || message < WM_USER) return true;
    return allowedInProcess.count(message) || allowedForWindow.count({window, message});
}

void broadcastTaskbarCreated() {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    for (HWND window : liveWindows()) {
        if (IsWindow(window) && reachesFromExplorer(window, taskbarCreated)) SendMessageA(window, taskbarCreated, 0, 0);
    }
}

BOOL apply(DWORD action, const TrayIcon& record) {
    const Key key(record.window, record.id);
    auto it = icons.find(key);
    switch (action) {
        case NIM_ADD:
            if (it != icons.end()) return FALSE;
            icons[key] = record;
            return TRUE;
        case NIM_MODIFY:
            if (it == icons.end()) return FALSE;
            merge(&it->second, record);
            return TRUE;
        case NIM_DELETE:
            if (it == icons.end()) return FALSE;
            icons.erase(it);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

void resetTray() {
    icons.clear();
    calls.clear();
    refused = false;
    elevated = false;
    allowedInProcess.clear();
    allowedForWindow.clear();
}

}  // namespace core

bool findTrayIcon(HWND window, UINT id, TrayIcon* out) {
    auto it = core::icons.find(core::Key(window, id));
    if (it == core::icons.end()) return false;
    if (out) *out = it->second;
    return true;
}

const std::vector<TrayCall>& trayCalls() { return core::calls; }
void refuseTray(bool refuse) { core::refused = refuse; }

void trayMouse(HWND window, UINT id, UINT mouseMessage) {
    TrayIcon icon;
    // The listener can only click an icon that is there, and it calls back only when it
    // was given a callback message.
    if (!findTrayIcon(window, id, &icon) || icon.callbackMessage == 0) return;
    SendMessageA(window, icon.callbackMessage, static_cast<WPARAM>(id), static_cast<LPARAM>(mouseMessage));
}

void restartExplorer() {
    core::icons.clear();
    core::broadcastTaskbarCreated();
}

// Seen on Windows 10, not documented: a change of the primary display's scale also
// broadcasts "TaskbarCreated" while every icon is still there, so adding one again fails
// (tailscale/walk pull request 32, "Improve robustness of reAddToTaskbar"), and an icon
// not handed over again stays blurred (TranslucentTB issue 417).
void changePrimaryDisplayScale() {
    for (auto& [key, icon] : core::icons) icon.stretched = true;
    core::broadcastTaskbarCreated();
}

void runElevated(bool on) { core::elevated = on; }

}  // namespace sim

extern "C" BOOL ChangeWindowMessageFilter(UINT message, DWORD dwFlag) {
    if (dwFlag == MSGFLT_ADD) {
        sim::core::allowedInProcess.insert(message);
    } else if (dwFlag == MSGFLT_REMOVE) {
        sim::core::allowedInProcess.erase(message);
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL ChangeWindowMessageFilterEx(HWND hwnd, UINT message, DWORD action, PCHANGEFILTERSTRUCT) {
    if (!IsWindow(hwnd) || action > MSGFLT_DISALLOW) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (action == MSGFLT_ALLOW) {
        sim::core::allowedForWindow.insert({hwnd, message});
    } else {
        sim::core::allowedForWindow.erase({hwnd, message});
    }
    return TRUE;
}

extern "C" BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData) {
    using namespace sim;
    if (!lpData) return FALSE;
    TrayIcon record = core::readRecord(dwMessage, *lpData);
    BOOL result = core::refused ? FALSE : core::apply(dwMessage, record);
    core::calls.push_back(TrayCall{dwMessage, lpData->cbSize, record, result, now()});
    return result;
}
