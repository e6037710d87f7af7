// The window procedure we put in place of the host main window's own: it hands the
// plug-in's messages to their pieces while the plug-in is enabled, and passes every
// message on to the host's procedure in every case.
#pragma once

#include <windows.h>

namespace HostWindowHook {

struct State {
    WNDPROC hostProcedure = nullptr;  // what was installed before us; kept once saved
    HWND window = nullptr;            // the window we took over
    bool inChain = false;             // our procedure is in that window's chain
    bool leftInChain = false;         // quit found another procedure over ours and left it there
    bool routing = false;             // off after quit: a procedure left in the chain only passes on
    bool unicode = false;             // taken over with the W functions (a Unicode window)
    UINT taskbarCreated = 0;          // the registered "TaskbarCreated" message, 0 when unknown
};
extern State state;

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Puts our procedure on `window`, unless it is still there from earlier in this process.
void install(HWND window);
// Stops routing and gives the window back to the host's procedure when ours is still
// the installed one. Returns false when another procedure has been put over ours since:
// ours must then stay callable for as long as the process lives.
bool uninstall();

}  // namespace HostWindowHook
