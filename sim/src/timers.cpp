// Simulated timers on the virtual clock. A timer is keyed by window and identifier;
// arming an identifier the window already has replaces that timer (period, routine and
// due moment), as the platform does.
#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

// The platform's bounds on a timer's period.
constexpr uint32_t USER_TIMER_MINIMUM_ = 0x0000000A;
constexpr uint32_t USER_TIMER_MAXIMUM_ = 0x7FFFFFFF;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE_ = 1400;
constexpr DWORD ERROR_NO_SYSTEM_RESOURCES_ = 1450;

struct Timer {
    uint32_t periodMs;
    TIMERPROC routine;
    uint64_t dueAtMs;
    uint64_t armedOrder;  // breaks ties between timers due at the same moment
};

using Key = std::pair<HWND, UINT_PTR>;
std::map<Key, Timer> timerTable;
uint64_t armings = 0;
std::set<UINT_PTR> refusedIds;
bool refuseAll = false;
UINT_PTR nextWindowlessId = 1;

std::map<Key, Timer>::iterator earliest() {
    auto best = timerTable.end();
    for (auto it = timerTable.begin(); it != timerTable.end(); ++it) {
        if (best == timerTable.end() || it->second.dueAtMs < best->second.dueAtMs ||
            (it->second.dueAtMs == best->second.dueAtMs && it->second.armedOrder < best->second.armedOrder)) {
            best = it;
        }
    }
    return best;
}

uint32_t clampedPeriod(UINT elapse) {
    if (elapse < USER_TIMER_MINIMUM_) return USER_TIMER_MINIMUM_;
    if (elapse > USER_TIMER_MAXIMUM_) return USER_TIMER_MAXIMUM_;
    return elapse;
}

}  // namespace

bool earliestTimerDue(uint64_t* dueAtMs) {
    auto it = earliest();
    if (it == timerTable.end()) return false;
    *dueAtMs = it->second.dueAtMs;
    return true;
}

void fireEarliestTimer(uint64_t nowMs) {
    auto it = earliest();
    if (it == timerTable.end() || it->second.dueAtMs > nowMs) return;
    // Schedule the next expiry before delivering, so a routine that re-arms or kills
    // its own timer has the last word.
    it->second.dueAtMs = nowMs + it->second.periodMs;
    const HWND window = it->first.first;
    const UINT_PTR id = it->first.second;
    const TIMERPROC routine = it->second.routine;
    if (routine) {
        // The platform calls the routine itself: the window's procedure never sees it.
        routine(window, WM_TIMER, id, static_cast<DWORD>(nowMs));
    } else {
        deliver(window, WM_TIMER, id, 0);
    }
}

void forgetTimers(HWND window) {
    for (auto it = timerTable.begin(); it != timerTable.end();) {
        it = it->first.first == window ? timerTable.erase(it) : std::next(it);
    }
}

void resetTimers() {
    timerTable.clear();
    armings = 0;
    refusedIds.clear();
    refuseAll = false;
    nextWindowlessId = 1;
}

}  // namespace core

bool findTimer(HWND window, UINT_PTR id, TimerInfo* out) {
    auto it = core::timerTable.find(core::Key(window, id));
    if (it == core::timerTable.end()) return false;
    if (out) *out = TimerInfo{window, id, it->second.periodMs, it->second.routine, it->second.dueAtMs};
    return true;
}

std::vector<TimerInfo> timers() {
    std::vector<TimerInfo> out;
    for (auto& [key, t] : core::timerTable) {
        out.push_back(TimerInfo{key.first, key.second, t.periodMs, t.routine, t.dueAtMs});
    }
    return out;
}

void refuseTimerId(UINT_PTR id) { core::refusedIds.insert(id); }
void refuseAllTimers(bool refuse) { core::refuseAll = refuse; }

}  // namespace sim

extern "C" {

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    using namespace sim::core;
    if (hWnd && !isLiveWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE_);
        return 0;
    }
    UINT_PTR id = nIDEvent;
    if (!hWnd && (id == 0 || timerTable.find(Key(nullptr, id)) == timerTable.end())) {
        // Without a window the platform picks a new identifier unless one is re-armed.
        while (timerTable.count(Key(nullptr, nextWindowlessId))) ++nextWindowlessId;
        id = nextWindowlessId++;
    }
    // A refused arming leaves whatever timer the identifier already had as it was.
    if (refuseAll || refusedIds.count(id)) {
        SetLastError(ERROR_NO_SYSTEM_RESOURCES_);
        return 0;
    }
    uint32_t period = clampedPeriod(uElapse);
    timerTable[Key(hWnd, id)] = Timer{period, lpTimerFunc, clockNow() + period, ++armings};
    if (!hWnd) return id;
    return id != 0 ? id : 1;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    using namespace sim::core;
    auto it = timerTable.find(Key(hWnd, uIDEvent));
    if (it == timerTable.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timerTable.erase(it);
    return TRUE;
}

}  // extern "C"
