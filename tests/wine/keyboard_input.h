// The listener's hands on the keyboard: real key events through SendInput, which under
// Wine tells left from right modifier keys (xdotool cannot).
#pragma once

#include <windows.h>

namespace KeyboardInput {

void key(WORD vk, bool down);
void holdCtrl(bool left, bool right);
void releaseCtrl();  // both
void tap(WORD vk);

}  // namespace KeyboardInput
