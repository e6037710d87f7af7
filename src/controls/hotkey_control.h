// Two global hotkeys that step the host's volume, matched against the exact left and
// right modifier keys held at the press.
#pragma once

#include <windows.h>

constexpr int HOTKEY_UP = 1999;
constexpr int HOTKEY_DOWN = 1998;

// ModifierMask bits
constexpr int LeftCtrl = 1;
constexpr int RightCtrl = 2;
constexpr int LeftShift = 4;
constexpr int RightShift = 8;
constexpr int LeftAlt = 16;
constexpr int RightAlt = 32;

namespace HotkeyControl {

struct State {
    int win95Mode = 0;  // 1: modifier keys are read without telling left from right
    unsigned char lastDirection = 0;  // 0 none, 1 up, 2 down
};
extern State state;

void detectWin95Mode();
void registerHotkeys();
void unregisterHotkeys();
UINT toPlatformModifiers(int mask);
int readLiveModifiers();
void onHotkey(int id);

}  // namespace HotkeyControl
