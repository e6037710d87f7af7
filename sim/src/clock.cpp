// The virtual clock. Nothing happens by itself: a test moves the clock, and everything
// that falls due on the way happens at its own moment, in order: first what the clock
// listeners (the player) do at that moment, then the timers due then, by due time and
// then by the order they were armed, each followed by the posted messages it caused.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

uint64_t clockMs = 0;
std::vector<ClockListener> listeners;

// Lets every listener catch up with the present; answers the earliest later moment any
// of them wants to be called at. A listener may be called more often than it asked: it
// does what is due by the moment it is given and tells its next moment again.
uint64_t callListeners() {
    uint64_t earliest = UINT64_MAX;
    // A listener may add another one; index, don't iterate.
    for (size_t i = 0; i < listeners.size(); ++i) {
        ClockListener listener = listeners[i];
        uint64_t next = listener(clockMs);
        if (next > clockMs) earliest = std::min(earliest, next);
    }
    return earliest;
}

}  // namespace

uint64_t clockNow() { return clockMs; }

void resetClock() {
    clockMs = 0;
    listeners.clear();
}

}  // namespace core

uint32_t now() { return static_cast<uint32_t>(core::clockMs); }

void pump() { core::deliverPosted(); }

void advance(uint32_t ms) {
    const uint64_t target = core::clockMs + ms;
    core::deliverPosted();
    for (;;) {
        uint64_t listenerDue = core::callListeners();
        core::deliverPosted();
        uint64_t timerDue = UINT64_MAX;
        bool haveTimer = core::earliestTimerDue(&timerDue);
        // A message box opened on the way may have let the clock run past this moment.
        if (haveTimer && timerDue < core::clockMs) timerDue = core::clockMs;
        uint64_t next = std::min(listenerDue, haveTimer ? timerDue : UINT64_MAX);
        if (next > target) break;
        core::clockMs = std::max(core::clockMs, next);
        if (listenerDue <= timerDue) continue;  // the listeners act first at this moment
        core::fireEarliestTimer(core::clockMs);
        core::deliverPosted();
    }
    core::clockMs = std::max(core::clockMs, target);
    core::callListeners();
    core::deliverPosted();
}

void addClockListener(ClockListener listener) {
    if (listener) core::listeners.push_back(std::move(listener));
}

}  // namespace sim

extern "C" DWORD GetTickCount(void) { return static_cast<DWORD>(sim::core::clockNow()); }
