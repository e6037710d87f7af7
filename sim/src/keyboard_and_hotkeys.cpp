// The simulated keyboard and the system-wide hotkeys. Keys are held by virtual-key
// code; a sided modifier key also makes its side-less code read as held. Hotkeys are
// registered with coarse modifiers (Ctrl, Alt, Shift, Win), as on the platform, and
// one combination can belong to one registration only.
#include <windows.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

constexpr int VK_LWIN_ = 0x5B;
constexpr int VK_RWIN_ = 0x5C;
constexpr UINT MODIFIER_BITS = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE_ = 1400;

std::set<int> heldKeys;

struct Registration {
    HWND window;
    int id;
    UINT modifiers;  // the coarse bits only
    UINT vk;
};
std::vector<Registration> registrations;
std::vector<std::pair<UINT, UINT>> heldElsewhere;

// A side-less modifier code pressed on its own stands for the left key, as a keyboard
// that cannot tell the sides apart reports it.
int sidedCode(int vk) {
    switch (vk) {
        case VK_CONTROL: return VK_LCONTROL;
        case VK_SHIFT: return VK_LSHIFT;
        case VK_MENU: return VK_LMENU;
        default: return vk;
    }
}

bool held(int vk) {
    switch (vk) {
        case VK_CONTROL: return heldKeys.count(VK_LCONTROL) || heldKeys.count(VK_RCONTROL);
        case VK_SHIFT: return heldKeys.count(VK_LSHIFT) || heldKeys.count(VK_RSHIFT);
        case VK_MENU: return heldKeys.count(VK_LMENU) || heldKeys.count(VK_RMENU);
        default: return heldKeys.count(vk) != 0;
    }
}

UINT heldModifiers() {
    UINT mods = 0;
    if (held(VK_CONTROL)) mods |= MOD_CONTROL;
    if (held(VK_MENU)) mods |= MOD_ALT;
    if (held(VK_SHIFT)) mods |= MOD_SHIFT;
    if (held(VK_LWIN_) || held(VK_RWIN_)) mods |= MOD_WIN;
    return mods;
}

std::vector<Registration>::iterator findRegistration(HWND window, int id) {
    return std::find_if(registrations.begin(), registrations.end(),
                        [&](const Registration& r) { return r.window == window && r.id == id; });
}

}  // namespace

void forgetHotkeys(HWND window) {
    registrations.erase(std::remove_if(registrations.begin(), registrations.end(),
                                       [&](const Registration& r) { return r.window == window; }),
                        registrations.end());
}

void resetKeyboard() {
    heldKeys.clear();
    registrations.clear();
    heldElsewhere.clear();
}

}  // namespace core

void keyDown(int vk) { core::heldKeys.insert(core::sidedCode(vk)); }
void keyUp(int vk) { core::heldKeys.erase(core::sidedCode(vk)); }
void releaseAllKeys() { core::heldKeys.clear(); }

void pressKey(int vk) {
    const UINT mods = core::heldModifiers();
    for (const core::Registration& r : core::registrations) {
        if (r.modifiers == mods && r.vk == static_cast<UINT>(vk)) {
            PostMessageA(r.window, WM_HOTKEY, static_cast<WPARAM>(r.id),
                         MAKELPARAM(mods, static_cast<WORD>(vk)));
            break;
        }
    }
    bool wasHeld = core::held(vk);
    keyDown(vk);
    pump();
    if (!wasHeld) keyUp(vk);
}

bool findHotkey(HWND window, int id, HotkeyInfo* out) {
    auto it = core::findRegistration(window, id);
    if (it == core::registrations.end()) return false;
    if (out) *out = HotkeyInfo{it->window, it->id, it->modifiers, it->vk};
    return true;
}

void holdHotkeyElsewhere(UINT modifiers, UINT vk) {
    core::heldElsewhere.emplace_back(modifiers & core::MODIFIER_BITS, vk);
}

}  // namespace sim

extern "C" {

BOOL RegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk) {
    using namespace sim::core;
    if (hWnd && !isLiveWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE_);
        return FALSE;
    }
    const UINT mods = fsModifiers & MODIFIER_BITS;
    for (auto& [m, k] : heldElsewhere) {
        if (m == mods && k == vk) {
            SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
            return FALSE;
        }
    }
    for (const Registration& r : registrations) {
        if (r.modifiers == mods && r.vk == vk && !(r.window == hWnd && r.id == id)) {
            SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
            return FALSE;
        }
    }
    // The same window and identifier again takes the new combination, as seen under Wine.
    auto it = findRegistration(hWnd, id);
    if (it != registrations.end()) {
        it->modifiers = mods;
        it->vk = vk;
    } else {
        registrations.push_back(Registration{hWnd, id, mods, vk});
    }
    return TRUE;
}

BOOL UnregisterHotKey(HWND hWnd, int id) {
    using namespace sim::core;
    auto it = findRegistration(hWnd, id);
    if (it == registrations.end()) {
        SetLastError(ERROR_HOTKEY_NOT_REGISTERED);
        return FALSE;
    }
    registrations.erase(it);
    return TRUE;
}

SHORT GetAsyncKeyState(int vKey) {
    return sim::core::held(vKey) ? static_cast<SHORT>(0x8000) : static_cast<SHORT>(0);
}

}  // extern "C"
