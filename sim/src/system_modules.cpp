// The system's own modules as a plug-in finds them at run time: KERNEL32, USER32 and
// COMCTL32 by name, and the functions looked up in them, present or not as the simulated
// Windows version has them. LoadLibraryA of a module already loaded keeps it loaded for
// good, since nothing of ours ever frees it again.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <set>
#include <string>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

const HMODULE KERNEL32_MODULE = reinterpret_cast<HMODULE>(0x7FE00000);
const HMODULE USER32_MODULE = reinterpret_cast<HMODULE>(0x7FD00000);
const HMODULE COMCTL32_MODULE = reinterpret_cast<HMODULE>(0x7FC00000);
constexpr DWORD ERROR_MOD_NOT_FOUND_ = 126;

bool windows95 = false;
bool windowsNT4 = false;
bool listingsCut = false;
bool wineEncodings = false;

bool sameName(const char* a, const char* b) { return lowerCase(a) == lowerCase(b); }

// Windows 95 exports MoveFileExA, but only as a stub.
BOOL WINAPI moveFileExStub(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

// GetVersion's reference: the low-order word holds the version, major then minor; the
// high-order bit is zero on NT-based Windows, and Windows 95, 98 and ME set it (the
// reference's older sample took "dwVersion < 0x80000000" for NT). Build numbers: 95's
// 950, NT 4's 1381; otherwise what Windows 8 and later tell a program without a
// manifest naming them, 6.2 build 9200.
DWORD WINAPI versionOfWindows() {
    if (windows95) return 0xC3B60004;
    if (windowsNT4) return 0x05650004;
    return 0x23F00206;
}

template <typename Function>
FARPROC procedure(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

FARPROC kernel32Procedure(const char* name) {
    // Windows 95 already exports it; the plug-in still looks it up, to keep its import list.
    if (sameName(name, "GetVersion")) return procedure(&versionOfWindows);
    if (sameName(name, "MoveFileExA")) return windows95 ? procedure(&moveFileExStub) : procedure(&MoveFileExA);
    if (windows95) return nullptr;
    if (sameName(name, "GetFileAttributesExA")) return procedure(&GetFileAttributesExA);
    if (sameName(name, "GetModuleHandleExA")) return procedure(&GetModuleHandleExA);
    if (sameName(name, "FindFirstFileExW")) return procedure(&FindFirstFileExW);
    return nullptr;
}

std::set<std::string> hidden;  // lower-cased names: functions of a later Windows

// Windows 95 already exports these; the plug-in still looks them up, to keep its import
// list as it is.
FARPROC user32Procedure(const char* name) {
    if (sameName(name, "LoadImageA")) return procedure(&LoadImageA);
    if (sameName(name, "GetSystemMetrics")) return procedure(&GetSystemMetrics);
    if (sameName(name, "GetKeyboardLayout")) return procedure(&GetKeyboardLayout);
    if (sameName(name, "VkKeyScanExA")) return procedure(&VkKeyScanExA);
    if (sameName(name, "GetForegroundWindow")) return procedure(&GetForegroundWindow);
    if (sameName(name, "GetWindowThreadProcessId")) return procedure(&GetWindowThreadProcessId);
    if (windows95) return nullptr;
    // Vista and later; the Ex form Windows 7 and later.
    if (sameName(name, "ChangeWindowMessageFilter")) return procedure(&ChangeWindowMessageFilter);
    if (sameName(name, "ChangeWindowMessageFilterEx")) return procedure(&ChangeWindowMessageFilterEx);
    return nullptr;
}

// Vista and later.
FARPROC comctl32Procedure(const char* name) {
    if (!windows95 && sameName(name, "LoadIconMetric")) return procedure(&LoadIconMetric);
    return nullptr;
}

bool isKernel32(const char* name) { return sameName(name, "kernel32.dll") || sameName(name, "kernel32"); }

HMODULE systemModule(const char* name) {
    if (isKernel32(name)) return KERNEL32_MODULE;
    if (sameName(name, "user32.dll") || sameName(name, "user32")) return USER32_MODULE;
    if (sameName(name, "comctl32.dll") || sameName(name, "comctl32")) return COMCTL32_MODULE;
    return nullptr;
}

}  // namespace

void resetSystemModules() {
    windows95 = false;
    windowsNT4 = false;
    listingsCut = false;
    wineEncodings = false;
}

bool playingWindows95() { return windows95; }
bool playingWindowsNT4() { return windowsNT4; }
bool sectionListingsCut() { return listingsCut || windows95 || windowsNT4; }
bool profileEncodingsAsWine() { return wineEncodings; }

void resetHiddenFunctions() { hidden.clear(); }

}  // namespace core

void hideSystemFunction(const std::string& name) { core::hidden.insert(core::lowerCase(name)); }

void runAsWindows95(bool on) { core::windows95 = on; }
void cutSectionListings(bool on) { core::listingsCut = on; }
void runAsWindowsNT4(bool on) { core::windowsNT4 = on; }
void readProfileEncodingsAsWine(bool on) { core::wineEncodings = on; }

}  // namespace sim

extern "C" {

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    if (lpModuleName != nullptr && sim::core::systemModule(lpModuleName)) return sim::core::systemModule(lpModuleName);
    HMODULE found = nullptr;
    if (!GetModuleHandleExA(0, lpModuleName, &found)) return nullptr;
    return found;
}

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr) return nullptr;
    if (sim::core::systemModule(lpLibFileName)) return sim::core::systemModule(lpLibFileName);
    HMODULE loaded = nullptr;
    // Only modules already loaded can be loaded here; each load holds it for good.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, lpLibFileName, &loaded)) {
        SetLastError(sim::core::ERROR_MOD_NOT_FOUND_);
        return nullptr;
    }
    return loaded;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    using namespace sim::core;
    FARPROC found = nullptr;
    if (lpProcName != nullptr && !IS_INTRESOURCE(lpProcName) && !hidden.count(lowerCase(lpProcName))) {
        if (hModule == KERNEL32_MODULE) found = kernel32Procedure(lpProcName);
        if (hModule == USER32_MODULE) found = user32Procedure(lpProcName);
        if (hModule == COMCTL32_MODULE) found = comctl32Procedure(lpProcName);
    }
    if (found == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
    return found;
}

}  // extern "C"
