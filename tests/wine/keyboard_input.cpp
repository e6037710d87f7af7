#include "keyboard_input.h"

namespace KeyboardInput {

void key(WORD vk, bool down) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    // The right-hand keys and the arrows are the extended ones.
    bool extended = vk == VK_RCONTROL || vk == VK_RMENU || vk == VK_UP || vk == VK_DOWN;
    input.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (down ? 0 : KEYEVENTF_KEYUP);
    SendInput(1, &input, sizeof input);
}

void holdCtrl(bool left, bool right) {
    if (left) key(VK_LCONTROL, true);
    if (right) key(VK_RCONTROL, true);
}

void releaseCtrl() {
    key(VK_RCONTROL, false);
    key(VK_LCONTROL, false);
}

void tap(WORD vk) {
    key(vk, true);
    key(vk, false);
}

}  // namespace KeyboardInput
