#include "controls/hotkey_control.h"

// Interim: the hotkeys come with the hotkey control itself.
namespace HotkeyControl {
State state;
void detectWin95Mode() {}
void registerHotkeys() {}
void unregisterHotkeys() {}
UINT toPlatformModifiers(int) { return 0; }
int readLiveModifiers() { return 0; }
void onHotkey(int) {}
}  // namespace HotkeyControl
