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
