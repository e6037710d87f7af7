#include "adapters/side_thread.h"

namespace SideThread {

HANDLE start(LPTHREAD_START_ROUTINE work, void* parameter) {
    DWORD id = 0;  // Windows 95 and 98 refuse a null one
    return CreateThread(nullptr, 0, work, parameter, 0, &id);
}

void finish(HANDLE thread, LPTHREAD_START_ROUTINE work, void* parameter) {
    if (thread == nullptr) {
        work(parameter);
        return;
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

}  // namespace SideThread
