// Functions the tray icon and the hotkeys use where the system has them, found at run
// time: the module imports only a fixed list of functions the first Windows 95 exports,
// and these are newer, or not on that list.
#pragma once

#include <windows.h>

namespace SystemFunctions {

constexpr char USER32[] = "USER32.DLL";
constexpr char COMMON_CONTROLS[] = "COMCTL32.DLL";

// Null where the module or the function is absent.
FARPROC find(const char* module, const char* name);

// Typed as the declaration it stands for: find<decltype(&LoadImageA)>(USER32, "LoadImageA").
template <typename Function>
Function find(const char* module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(find(module, name)));
}

}  // namespace SystemFunctions
