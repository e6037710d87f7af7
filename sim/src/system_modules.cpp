// The system's own modules as a plug-in finds them at run time: KERNEL32 by name, and
// the functions later Windows versions added looked up in it, present or not as the
// simulated Windows version has them. LoadLibraryA of a module already loaded keeps it
// loaded for good, since nothing of ours ever frees it again.
#include <windows.h>

#include <cstring>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

const HMODULE KERNEL32_MODULE = reinterpret_cast<HMODULE>(0x7FE00000);
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

template <typename Function>
FARPROC procedure(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

FARPROC kernel32Procedure(const char* name) {
    if (sameName(name, "MoveFileExA")) return windows95 ? procedure(&moveFileExStub) : procedure(&MoveFileExA);
    if (windows95) return nullptr;
    if (sameName(name, "GetFileAttributesExA")) return procedure(&GetFileAttributesExA);
    if (sameName(name, "GetModuleHandleExA")) return procedure(&GetModuleHandleExA);
    return nullptr;
}

bool isKernel32(const char* name) { return sameName(name, "kernel32.dll") || sameName(name, "kernel32"); }

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

}  // namespace core

void runAsWindows95(bool on) { core::windows95 = on; }
void cutSectionListings(bool on) { core::listingsCut = on; }
void runAsWindowsNT4(bool on) { core::windowsNT4 = on; }
void readProfileEncodingsAsWine(bool on) { core::wineEncodings = on; }

}  // namespace sim

extern "C" {

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    if (lpModuleName != nullptr && sim::core::isKernel32(lpModuleName)) return sim::core::KERNEL32_MODULE;
    HMODULE found = nullptr;
    if (!GetModuleHandleExA(0, lpModuleName, &found)) return nullptr;
    return found;
}

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr) return nullptr;
    if (sim::core::isKernel32(lpLibFileName)) return sim::core::KERNEL32_MODULE;
    HMODULE loaded = nullptr;
    // Only modules already loaded can be loaded here; each load holds it for good.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, lpLibFileName, &loaded)) {
        SetLastError(sim::core::ERROR_MOD_NOT_FOUND_);
        return nullptr;
    }
    return loaded;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    FARPROC found = nullptr;
    if (hModule == sim::core::KERNEL32_MODULE && lpProcName != nullptr) found = sim::core::kernel32Procedure(lpProcName);
    if (found == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
    return found;
}

}  // extern "C"
