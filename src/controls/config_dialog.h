// The plug-in's settings window: shows the settings, applies them at OK, and runs the
// database passes on demand.
#pragma once

#include <windows.h>

namespace ConfigDialog {

// Runs the dialog modally, owned by the host's main window; returns when it closes.
void run();
INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void onInitDialog(HWND dialog);
void onCommand(HWND dialog, int controlId);
void onOk(HWND dialog);

}  // namespace ConfigDialog
