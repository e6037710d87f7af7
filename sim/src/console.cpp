// The process's standard handles and the console behind them: a test says which of the
// three are a console (the rest are redirected), types the listener's answers, and reads
// back what was written to the console as the text the console shows.
#include <windows.h>

#include <string>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {
// GetStdHandle's answers: pseudo handles that no file handle can be.
HANDLE const STANDARD[3] = {reinterpret_cast<HANDLE>(0x7E10), reinterpret_cast<HANDLE>(0x7E11),
                            reinterpret_cast<HANDLE>(0x7E12)};
bool isConsole[3] = {false, false, false};
std::wstring shown[3];
std::wstring typed;

int indexOf(HANDLE handle) {
    for (int i = 0; i < 3; ++i) {
        if (handle == STANDARD[i]) return i;
    }
    return -1;
}
int indexOf(DWORD standard) {
    if (standard == STD_INPUT_HANDLE) return 0;
    if (standard == STD_OUTPUT_HANDLE) return 1;
    if (standard == STD_ERROR_HANDLE) return 2;
    return -1;
}
}  // namespace

void resetConsole() {
    for (int i = 0; i < 3; ++i) {
        isConsole[i] = false;
        shown[i].clear();
    }
    typed.clear();
}

}  // namespace core

void useConsole(DWORD standardHandle, bool console) {
    int i = core::indexOf(standardHandle);
    if (i >= 0) core::isConsole[i] = console;
}

void typeIntoConsole(const std::wstring& text) { core::typed += text; }

std::wstring consoleText(DWORD standardHandle) {
    int i = core::indexOf(standardHandle);
    return i >= 0 ? core::shown[i] : std::wstring();
}

}  // namespace sim

extern "C" {

HANDLE GetStdHandle(DWORD nStdHandle) {
    int i = sim::core::indexOf(nStdHandle);
    if (i < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    return sim::core::STANDARD[i];
}

// GetConsoleMode's reference: fails for a handle that is not a console's, which is how a
// program tells a standard handle redirected to a file or a pipe.
BOOL GetConsoleMode(HANDLE hConsoleHandle, LPDWORD lpMode) {
    int i = sim::core::indexOf(hConsoleHandle);
    if (i < 0 || !sim::core::isConsole[i]) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *lpMode = 0;
    return TRUE;
}

// WriteConsoleW's reference: the characters as they are; "WriteConsole fails if it is used
// with a standard handle that is redirected to a file".
BOOL WriteConsoleW(HANDLE hConsoleOutput, const void* lpBuffer, DWORD nNumberOfCharsToWrite,
                   LPDWORD lpNumberOfCharsWritten, LPVOID) {
    int i = sim::core::indexOf(hConsoleOutput);
    if (i < 1 || !sim::core::isConsole[i]) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    sim::core::shown[i].append(static_cast<const WCHAR*>(lpBuffer), nNumberOfCharsToWrite);
    if (lpNumberOfCharsWritten != nullptr) *lpNumberOfCharsWritten = nNumberOfCharsToWrite;
    return TRUE;
}

// ReadConsoleW's reference, in the console's line mode: one line as typed, its carriage
// return and line feed included; 0 characters at the end of what was typed.
BOOL ReadConsoleW(HANDLE hConsoleInput, LPVOID lpBuffer, DWORD nNumberOfCharsToRead, LPDWORD lpNumberOfCharsRead,
                  LPVOID) {
    if (sim::core::indexOf(hConsoleInput) != 0 || !sim::core::isConsole[0]) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::wstring& typed = sim::core::typed;
    size_t line = typed.find(L'\n');
    size_t count = line == std::wstring::npos ? typed.size() : line + 1;
    if (count > nNumberOfCharsToRead) count = nNumberOfCharsToRead;
    typed.copy(static_cast<WCHAR*>(lpBuffer), count);
    typed.erase(0, count);
    *lpNumberOfCharsRead = static_cast<DWORD>(count);
    return TRUE;
}

}  // extern "C"
