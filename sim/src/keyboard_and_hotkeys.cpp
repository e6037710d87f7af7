// The simulated keyboard and the system-wide hotkeys. Keys are held by virtual-key
// code; a sided modifier key also makes its side-less code read as held. Hotkeys are
// registered with coarse modifiers (Ctrl, Alt, Shift, Win), as on the platform, and
// one combination can belong to one registration only. One keyboard layout serves
// every thread; on a layout with AltGr, Right Alt brings a made-up left Ctrl with it.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
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
KeyboardLayout layout = KeyboardLayout::UnitedStates;
// Windows turns AltGr into Ctrl+Alt: "For keyboard layouts that use the right-hand ALT
// key as a shift key (for example, the French keyboard layout), the shift state is
// represented by the value 6, because the right-hand ALT key is converted internally
// into CTRL+ALT" (VkKeyScan's reference). The left Ctrl it adds is held while Right Alt
// is, and reads as held like a real one.
bool madeUpCtrl = false;

const HKL UNITED_STATES = reinterpret_cast<HKL>(static_cast<uintptr_t>(0x04090409));
const HKL GERMAN = reinterpret_cast<HKL>(static_cast<uintptr_t>(0x04070407));
constexpr SHORT SHIFT = 0x100;
constexpr SHORT CTRL_ALT = 0x600;

// A character's key and shift state on a layout, for letters, digits and the few
// characters that tell the two layouts apart; -1 for the rest.
SHORT keyFor(unsigned char c, KeyboardLayout on) {
    const bool german = on == KeyboardLayout::German;
    if (std::isdigit(c)) return static_cast<SHORT>(c);
    if (c < 0x80 && std::isalpha(c)) {
        int key = std::toupper(c);
        if (german && (key == 'Y' || key == 'Z')) key = key == 'Y' ? 'Z' : 'Y';
        return static_cast<SHORT>((std::isupper(c) ? SHIFT : 0) | key);
    }
    struct Special {
        unsigned char c;
        SHORT unitedStates, german;
    };
    static const Special SPECIALS[] = {
        {'@', SHIFT | '2', CTRL_ALT | 'Q'}, {'{', SHIFT | 0xDB, CTRL_ALT | '7'}, {'[', 0xDB, CTRL_ALT | '8'},
        {']', 0xDD, CTRL_ALT | '9'},        {'}', SHIFT | 0xDD, CTRL_ALT | '0'}, {'\\', 0xDC, CTRL_ALT | 0xDB},
        {'|', SHIFT | 0xDC, CTRL_ALT | 0xE2}, {'~', SHIFT | 0xC0, CTRL_ALT | 0xBB}, {0x80, -1, CTRL_ALT | 'E'},
    };
    for (const Special& s : SPECIALS) {
        if (s.c == c) return german ? s.german : s.unitedStates;
    }
    return -1;
}

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
        case VK_LCONTROL: return heldKeys.count(VK_LCONTROL) || madeUpCtrl;
        case VK_CONTROL: return heldKeys.count(VK_LCONTROL) || heldKeys.count(VK_RCONTROL) || madeUpCtrl;
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
    layout = KeyboardLayout::UnitedStates;
    madeUpCtrl = false;
}

}  // namespace core

void keyDown(int vk) {
    core::heldKeys.insert(core::sidedCode(vk));
    if (vk == VK_RMENU && core::layout == KeyboardLayout::German) core::madeUpCtrl = true;
}
void keyUp(int vk) {
    core::heldKeys.erase(core::sidedCode(vk));
    if (vk == VK_RMENU) core::madeUpCtrl = false;
}
void releaseAllKeys() {
    core::heldKeys.clear();
    core::madeUpCtrl = false;
}
void useKeyboardLayout(KeyboardLayout layout) { core::layout = layout; }

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

HKL GetKeyboardLayout(DWORD) {
    return sim::core::layout == sim::KeyboardLayout::German ? sim::core::GERMAN : sim::core::UNITED_STATES;
}

SHORT VkKeyScanExA(CHAR ch, HKL dwhkl) {
    using namespace sim::core;
    if (dwhkl != GERMAN && dwhkl != UNITED_STATES) return -1;
    return keyFor(static_cast<unsigned char>(ch), dwhkl == GERMAN ? sim::KeyboardLayout::German
                                                                  : sim::KeyboardLayout::UnitedStates);
}

// The window the listener works in: the one made last. All of them share one thread.
HWND GetForegroundWindow(void) {
    std::vector<HWND> windows = sim::core::liveWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (IsWindow(*it)) return *it;
    }
    return nullptr;
}

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    if (!IsWindow(hWnd)) return 0;
    if (lpdwProcessId) *lpdwProcessId = 1;
    return 1;
}

}  // extern "C"
