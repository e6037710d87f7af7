// What the plug-in has put in place, as another program on the machine sees it: its
// procedure on the host's window, its tray icon, the tips it passed, the volume steps
// it sent; and, once it is unloaded, a host that goes on as if it had never been there.
#pragma once

#include <windows.h>

#include <string>

namespace PluginTraces {

constexpr UINT TRAY_ICON_ID = 3021;
constexpr UINT TRAY_CALLBACK = WM_USER + 27;
constexpr WPARAM HOTKEY_UP = 1999;
constexpr WPARAM HOTKEY_DOWN = 1998;
constexpr WPARAM MAIN_TIMER_ID = 1998;  // the first identifier the tracker tries

bool hookInstalled();
bool trayIconPresent();
void deleteTrayIcon();
// Whether the plug-in passed this tip to the notification area and it was taken.
bool tipPassed(const std::string& tip);
int volumeDownCommands();

// After quit and FreeLibrary: `ms` of the host's own timer, with the plug-in's timer
// ticks, hotkeys, tray clicks and "TaskbarCreated" posted to the host's window every
// 100 ms. Checks that the host saw them all, that nothing acted on them, and that no
// icon came back.
void hostGoesOnAfterUnload(DWORD ms);

}  // namespace PluginTraces
