// The plug-in's settings window: shows the settings, applies them at OK, and runs the
// database passes on demand.
#pragma once

#include <windows.h>

namespace ConfigDialog {

// Runs the dialog from `module`'s resources modally, owned by the host's main window;
// returns when it closes. `ensureHook` puts the plug-in's hook on the host's window
// when it is not there yet: what an OK that turns the plug-in on needs.
void run(HINSTANCE module, void (*ensureHook)());
INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void onInitDialog(HWND dialog);
void onCommand(HWND dialog, int controlId);
void onOk(HWND dialog);

}  // namespace ConfigDialog
