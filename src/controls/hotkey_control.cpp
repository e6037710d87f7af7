#include "controls/hotkey_control.h"

#include "controls/system_functions.h"
#include "controls/tray_indicator.h"
#include "adapters/host_link.h"
#include "adapters/settings_store.h"

namespace HotkeyControl {

State state;

namespace {

constexpr unsigned char DIRECTION_NONE = 0;
constexpr unsigned char DIRECTION_UP = 1;
constexpr unsigned char DIRECTION_DOWN = 2;
constexpr int FULL_STEPS = 8;
constexpr int REVERSAL_STEPS = 4;

struct ModifierKey {
    int vk;
    int bits;
};

// Sided keys, for a keyboard interface that tells left from right.
constexpr ModifierKey SIDED_KEYS[] = {
    {VK_LCONTROL, LeftCtrl}, {VK_RCONTROL, RightCtrl}, {VK_LSHIFT, LeftShift},
    {VK_RSHIFT, RightShift}, {VK_LMENU, LeftAlt},      {VK_RMENU, RightAlt},
};
// Without sides, a held modifier stands for both of its keys.
constexpr ModifierKey SIDELESS_KEYS[] = {
    {VK_CONTROL, LeftCtrl | RightCtrl},
    {VK_SHIFT, LeftShift | RightShift},
    {VK_MENU, LeftAlt | RightAlt},
};

bool held(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

// Whether the layout the listener types with has AltGr, which Windows turns into Ctrl+Alt:
// VkKeyScan's reference gives such a layout's AltGr characters the shift state 6 (Ctrl
// and Alt). The layout belongs to a thread, and the keys are typed in the foreground
// window's.
bool layoutHasAltGr() {
    using SystemFunctions::find;
    using SystemFunctions::USER32;
    auto foreground = find<decltype(&GetForegroundWindow)>(USER32, "GetForegroundWindow");
    auto threadOf = find<decltype(&GetWindowThreadProcessId)>(USER32, "GetWindowThreadProcessId");
    auto layoutOf = find<decltype(&GetKeyboardLayout)>(USER32, "GetKeyboardLayout");
    auto keyFor = find<decltype(&VkKeyScanExA)>(USER32, "VkKeyScanExA");
    if (layoutOf == nullptr || keyFor == nullptr) return false;
    HWND typedIn = foreground != nullptr ? foreground() : nullptr;
    DWORD thread = typedIn != nullptr && threadOf != nullptr ? threadOf(typedIn, nullptr) : 0;
    HKL layout = layoutOf(thread);
    constexpr int CTRL_AND_ALT = 6;
    for (int c = '!'; c <= 0xFF; ++c) {
        SHORT key = keyFor(static_cast<CHAR>(c), layout);
        if (key != -1 && (HIBYTE(key) & CTRL_AND_ALT) == CTRL_AND_ALT) return true;
    }
    return false;
}

void registerOne(int id, int mask, int key, const char* failureText) {
    HWND host = HostLink::window();
    UINT modifiers = toPlatformModifiers(mask);
    // Right Alt on a layout with AltGr comes with Ctrl, and the system matches the
    // hotkey with both.
    if (!state.win95Mode && (mask & RightAlt) && layoutHasAltGr()) modifiers |= MOD_CONTROL;
    if (!RegisterHotKey(host, id, modifiers, static_cast<UINT>(key))) {
        MessageBoxA(host, failureText, "Warning", MB_ICONWARNING | MB_OK);
    }
}

}  // namespace

void detectWin95Mode() {
    // Only the NT line reports left and right modifier keys apart; its key marks it.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0, KEY_QUERY_VALUE,
                      &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        state.win95Mode = 0;
    } else {
        state.win95Mode = 1;
    }
}

UINT toPlatformModifiers(int mask) {
    int low = mask & 0xFF;
    UINT flags = 0;
    if (low & (LeftCtrl | RightCtrl)) flags |= MOD_CONTROL;
    if (low & (LeftAlt | RightAlt)) flags |= MOD_ALT;
    if (low & (LeftShift | RightShift)) flags |= MOD_SHIFT;
    return flags;
}

void registerHotkeys() {
    registerOne(HOTKEY_UP, settings.upMod, settings.upKey, "Registration failed for hotkey UP");
    registerOne(HOTKEY_DOWN, settings.downMod, settings.downKey, "Registration failed for hotkey DOWN");
}

void unregisterHotkeys() {
    HWND host = HostLink::window();
    UnregisterHotKey(host, HOTKEY_DOWN);
    UnregisterHotKey(host, HOTKEY_UP);
}

int readLiveModifiers() {
    int mask = 0;
    if (state.win95Mode) {
        for (const ModifierKey& key : SIDELESS_KEYS) {
            if (held(key.vk)) mask |= key.bits;
        }
    } else {
        for (const ModifierKey& key : SIDED_KEYS) {
            if (held(key.vk)) mask |= key.bits;
        }
        // AltGr reads as Right Alt and a left Ctrl the system made up, not the listener.
        if ((mask & (LeftCtrl | RightAlt)) == (LeftCtrl | RightAlt) && layoutHasAltGr()) mask &= ~LeftCtrl;
    }
    return mask;
}

void onHotkey(int id) {
    if (id != HOTKEY_UP && id != HOTKEY_DOWN) return;
    bool up = id == HOTKEY_UP;
    // The platform matched only "some Ctrl"; the listener asked for particular keys.
    if (readLiveModifiers() != (up ? settings.upMod : settings.downMod)) return;

    if (state.lastDirection != DIRECTION_NONE) TrayIndicator::stopAnimationTimer();
    unsigned char opposite = up ? DIRECTION_DOWN : DIRECTION_UP;
    int steps = state.lastDirection == opposite ? REVERSAL_STEPS : FULL_STEPS;
    for (int i = 0; i < steps; ++i) {
        if (up) {
            HostLink::volumeUpStep();
        } else {
            HostLink::volumeDownStep();
        }
    }
    state.lastDirection = up ? DIRECTION_UP : DIRECTION_DOWN;
    TrayIndicator::startAnimation(up ? AnimationKind::VolumeUp : AnimationKind::VolumeDown);
}

}  // namespace HotkeyControl
