// The calling thread's last-error code; there is one thread.
#include <windows.h>

#include "core_internal.h"

namespace {
DWORD lastError = 0;
}

namespace sim {
namespace core {
void resetLastError() { lastError = 0; }
}  // namespace core
}  // namespace sim

extern "C" {
DWORD GetLastError(void) { return lastError; }
void SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }
}

// The system's words for the errors the simulated platform gives, as Windows words them
// (FormatMessageA with FORMAT_MESSAGE_FROM_SYSTEM), each ending in a line break.
namespace {

struct SystemMessage {
    DWORD code;
    const char* text;
};
const SystemMessage SYSTEM_MESSAGES[] = {
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
    {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device.\r\n"},
    {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process.\r\n"},
    {ERROR_FILE_EXISTS, "The file exists.\r\n"},
    {ERROR_DISK_FULL, "There is not enough space on the disk.\r\n"},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty.\r\n"},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
};
constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;

}  // namespace

extern "C" {
DWORD FormatMessageA(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPSTR lpBuffer, DWORD nSize, va_list*) {
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || lpBuffer == nullptr || nSize == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    for (const SystemMessage& message : SYSTEM_MESSAGES) {
        if (message.code != dwMessageId) continue;
        DWORD length = 0;
        while (message.text[length] != '\0') ++length;
        if (length + 1 > nSize) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        for (DWORD i = 0; i <= length; ++i) lpBuffer[i] = message.text[i];
        return length;
    }
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
}
}
