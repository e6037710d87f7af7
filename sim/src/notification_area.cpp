// The simulated notification area, answering as Explorer does under Wine: adding an
// identifier that is already there fails, and so do modifying or deleting one that is
// not. Every call is logged with what it handed over.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <map>
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
    if (from.flags & NIF_ICON) into->icon = from.icon;
    if (from.flags & NIF_TIP) into->tip = from.tip;
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
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    for (HWND window : core::liveWindows()) {
        if (IsWindow(window)) SendMessageA(window, taskbarCreated, 0, 0);
    }
}

}  // namespace sim

extern "C" BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData) {
    using namespace sim;
    if (!lpData) return FALSE;
    TrayIcon record = core::readRecord(dwMessage, *lpData);
    BOOL result = core::refused ? FALSE : core::apply(dwMessage, record);
    core::calls.push_back(TrayCall{dwMessage, lpData->cbSize, record, result, now()});
    return result;
}
