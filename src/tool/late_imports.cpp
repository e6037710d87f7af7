// user32, shell32 and winmm, loaded at the first call into them rather than at start.
// The tool calls them only to write (is the player running?) or to read a paths.ini;
// the plug-in's code it shares names a few more it never calls. Loaded at start, user32
// (which the other two load too) costs every command tens of milliseconds under Wine.
//
// Each function's import slot, the pointer a call through an import goes by, is defined
// here: it first points at a stand-in that loads the DLL, finds the function, puts it in
// the slot and calls it; the import libraries are then never asked for these names. The
// Windows builds only (binutils' own late-loading libraries leave 32-bit slots empty).
#include <windows.h>
#include <mmsystem.h>
#include <shlobj.h>

namespace {

// The slot's name as the compiler calls through it: 32-bit names carry the bytes of
// their arguments.
#ifdef _WIN64
#define IMPORT_SLOT(name, argumentBytes) "__imp_" #name
#else
#define IMPORT_SLOT(name, argumentBytes) "__imp__" #name "@" #argumentBytes
#endif

// The function `name` of `dll`, loaded once; null when either cannot be had (the
// system's own DLLs always can be).
FARPROC find(HMODULE* module, const char* dll, const char* name) {
    if (*module == nullptr) *module = LoadLibraryA(dll);
    return *module == nullptr ? nullptr : GetProcAddress(*module, name);
}

HMODULE user32 = nullptr;
HMODULE shell32 = nullptr;
HMODULE winmm = nullptr;

}  // namespace

// Stand-ins and slots, a pair a function: the stand-in answers as a failed call would
// when the function cannot be had.
#define LATE(module, dll, Result, name, argumentBytes, failed, parameters, arguments)              \
    extern "C" Result(WINAPI* name##Slot) parameters asm(IMPORT_SLOT(name, argumentBytes));         \
    namespace {                                                                                     \
    using name##Type = Result(WINAPI*) parameters;                                                  \
    Result WINAPI name##Late parameters {                                                           \
        void* found = reinterpret_cast<void*>(find(&module, dll, #name));                           \
        name##Type real = reinterpret_cast<name##Type>(found);                                      \
        if (real == nullptr) return failed;                                                         \
        name##Slot = real;                                                                          \
        return real arguments;                                                                      \
    }                                                                                               \
    }                                                                                               \
    extern "C" {                                                                                    \
    name##Type name##Slot = name##Late;                                                             \
    }

LATE(user32, "user32.dll", HWND, FindWindowA, 8, nullptr, (LPCSTR className, LPCSTR title), (className, title))
LATE(user32, "user32.dll", int, MessageBoxA, 16, 0, (HWND owner, LPCSTR text, LPCSTR caption, UINT type),
     (owner, text, caption, type))
LATE(user32, "user32.dll", LRESULT, SendMessageA, 16, 0, (HWND window, UINT message, WPARAM wParam, LPARAM lParam),
     (window, message, wParam, lParam))
LATE(shell32, "shell32.dll", HRESULT, SHGetFolderPathA, 20, E_FAIL,
     (HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path), (owner, folder, token, flags, path))
LATE(winmm, "winmm.dll", MMRESULT, waveOutGetVolume, 8, MMSYSERR_ERROR, (HWAVEOUT device, LPDWORD volume),
     (device, volume))
