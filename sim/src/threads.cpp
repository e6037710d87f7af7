// Threads on a machine with one thread: a new thread runs to its end inside
// CreateThread, so its work is done, in order and reproducibly, before the creator goes
// on; waiting for it then answers at once. A test can refuse threads to see the creator
// do without.
#include <windows.h>

#include <set>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

constexpr DWORD ERROR_NOT_ENOUGH_MEMORY_ = 8;

std::set<HANDLE> threadHandles;
uintptr_t nextThread = 0x7A000000;
bool refuse = false;
int started = 0;

}  // namespace

bool closeThreadHandle(HANDLE handle) { return threadHandles.erase(handle) != 0; }

void resetThreads() {
    threadHandles.clear();
    refuse = false;
    started = 0;
}

}  // namespace core

void refuseThreads(bool on) { core::refuse = on; }
int threadsStarted() { return core::started; }

}  // namespace sim

extern "C" {

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD,
                    LPDWORD lpThreadId) {
    if (sim::core::refuse || lpStartAddress == nullptr) {
        SetLastError(sim::core::ERROR_NOT_ENOUGH_MEMORY_);
        return nullptr;
    }
    // CreateThread's reference (1998): "Windows 95 and Windows 98: lpThreadId ... may not
    // be NULL."
    if (lpThreadId == nullptr && (sim::core::playingWindows95())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE thread = reinterpret_cast<HANDLE>(sim::core::nextThread);
    sim::core::nextThread += 4;
    if (lpThreadId != nullptr) *lpThreadId = static_cast<DWORD>(sim::core::nextThread);
    ++sim::core::started;
    lpStartAddress(lpParameter);
    sim::core::threadHandles.insert(thread);
    return thread;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD) {
    if (sim::core::threadHandles.count(hHandle) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return WAIT_OBJECT_0;
}

// One thread runs at a time, so a plain add is already indivisible.
LONG InterlockedIncrement(LONG volatile* Addend) { return ++*Addend; }

}  // extern "C"
