// Hooks between the pieces of the simulated platform's core (clock, windows, timers,
// keyboard, tray, modules, ...); never seen by tests or the plug-in.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sim {
namespace core {

// Clock: the virtual time in milliseconds, kept wider than GetTickCount's 32 bits.
uint64_t clockNow();
void resetClock();

// Windows and messages.
bool isLiveWindow(HWND window);
// Calls the window's installed procedure with a message sent as wide (`sentWide`) or
// ANSI text, translated when the procedure is of the other kind; 0 for a window that is
// gone. Posted messages, timers and the system's own are ANSI.
LRESULT deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool sentWide = false);
std::vector<HWND> liveWindows();  // in order of creation
// Calls `procedure` with a message sent as wide (`sentWide`) or ANSI text; a procedure of
// the other kind gets WM_SETTEXT and WM_CHAR translated through the ANSI code page.
LRESULT callProcedure(WNDPROC procedure, bool procedureWide, bool sentWide, HWND window, UINT message,
                      WPARAM wParam, LPARAM lParam);
// Delivers every posted message waiting, including those posted meanwhile; false when
// there was none.
bool deliverPosted();
void resetWindows();

// Timers.
// The earliest timer: its due moment; false when no timer is armed.
bool earliestTimerDue(uint64_t* dueAtMs);
// Delivers the earliest timer (due at or before `nowMs`) and schedules its next expiry.
void fireEarliestTimer(uint64_t nowMs);
void forgetTimers(HWND window);
void resetTimers();

// Hotkeys and the keyboard.
void forgetHotkeys(HWND window);
void resetKeyboard();

void resetMessageBoxes();
void resetRegistry();
void resetTray();
void resetModules();
void resetSystemModules();
// The Windows version played (system_modules.cpp).
bool playingWindows95();
bool playingWindowsNT4();
bool sectionListingsCut();  // every version before 7
bool profileEncodingsAsWine();
// Threads: true when `handle` was one of ours (and is now closed).
bool closeThreadHandle(HANDLE handle);
void resetThreads();
void resetWaveOut();
void resetLastError();
void resetConsole();
void resetEnvironment();  // after the files: it makes the APPDATA folder

// Functions hidden by sim::hideSystemFunction are found again (system_modules.cpp).
void resetHiddenFunctions();

// Names (names.cpp). Text compared regardless of letter case, as the platform compares
// names.
std::string lowerCase(const std::string& text);
// Whether `path` is `folder` itself or lies below it, its parts cut by `separator`.
bool atOrBelow(const std::string& path, const std::string& folder, char separator);

}  // namespace core
}  // namespace sim
