// The simulated clock and timers: delivery order and moments, replacement of a re-armed
// identifier, routines versus WM_TIMER, the platform's period bounds, refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/platform.h"

namespace {

struct Tick {
    UINT_PTR id;
    uint32_t atMs;
    bool viaRoutine;
};
std::vector<Tick> ticks;
std::vector<UINT> procedureMessages;

LRESULT CALLBACK recordingProcedure(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    procedureMessages.push_back(message);
    if (message == WM_TIMER) {
        EXPECT_EQ(lParam, 0);
        ticks.push_back(Tick{wParam, sim::now(), false});
    }
    return 0;
}

HWND routineWindow = nullptr;
DWORD routineTickCount = 0;
void CALLBACK routineA(HWND hwnd, UINT message, UINT_PTR id, DWORD tickCount) {
    routineWindow = hwnd;
    routineTickCount = tickCount;
    EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
    ticks.push_back(Tick{id, sim::now(), true});
}
int routineBCalls = 0;
void CALLBACK routineB(HWND, UINT, UINT_PTR id, DWORD) {
    ++routineBCalls;
    ticks.push_back(Tick{id, sim::now(), true});
}

class SimTimers : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset(::testing::TempDir() + "sim_timers");
        ticks.clear();
        procedureMessages.clear();
        routineBCalls = 0;
        window = sim::createWindow(recordingProcedure, "timers");
    }
    HWND window = nullptr;
};

std::vector<std::pair<UINT_PTR, uint32_t>> idsAndMoments() {
    std::vector<std::pair<UINT_PTR, uint32_t>> out;
    for (const Tick& t : ticks) out.emplace_back(t.id, t.atMs);
    return out;
}

TEST_F(SimTimers, DueTimersArriveEachAtItsOwnMomentByDueTimeThenArmingOrder) {
    ASSERT_NE(SetTimer(window, 7, 300, nullptr), 0u);
    ASSERT_NE(SetTimer(window, 5, 100, nullptr), 0u);
    ASSERT_NE(SetTimer(window, 6, 100, nullptr), 0u);
    sim::advance(99);
    EXPECT_TRUE(ticks.empty());
    sim::advance(201);
    using P = std::pair<UINT_PTR, uint32_t>;
    EXPECT_EQ(idsAndMoments(), (std::vector<P>{{5, 100}, {6, 100}, {5, 200}, {6, 200}, {7, 300}, {5, 300}, {6, 300}}));
    EXPECT_EQ(sim::now(), 300u);
    EXPECT_EQ(GetTickCount(), 300u);
}

TEST_F(SimTimers, AdvancingInSmallStepsGivesTheSameDeliveriesAsOneLongStep) {
    SetTimer(window, 1, 250, nullptr);
    SetTimer(window, 2, 1000, nullptr);
    for (int i = 0; i < 30; ++i) sim::advance(100);
    auto stepped = idsAndMoments();
    sim::reset(::testing::TempDir() + "sim_timers");
    ticks.clear();
    window = sim::createWindow(recordingProcedure, "timers");
    SetTimer(window, 1, 250, nullptr);
    SetTimer(window, 2, 1000, nullptr);
    sim::advance(3000);
    EXPECT_EQ(idsAndMoments(), stepped);
    EXPECT_EQ(stepped.size(), 12u + 3u);
}

TEST_F(SimTimers, ReArmingAnIdentifierReplacesPeriodRoutineAndDueMoment) {
    SetTimer(window, 1999, 250, routineA);
    sim::advance(200);
    // Re-armed 200 ms in: the old due moment (250) is forgotten, the new period counts
    // from now, and only the new routine runs.
    ASSERT_NE(SetTimer(window, 1999, 1000, routineB), 0u);
    sim::advance(1000);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0].atMs, 1200u);
    EXPECT_EQ(routineBCalls, 1);
    EXPECT_EQ(sim::timers().size(), 1u);
    sim::TimerInfo info;
    ASSERT_TRUE(sim::findTimer(window, 1999, &info));
    EXPECT_EQ(info.periodMs, 1000u);
    EXPECT_EQ(info.routine, &routineB);
    EXPECT_EQ(info.dueAtMs, 2200u);
}

TEST_F(SimTimers, ARoutineIsCalledDirectlyAndAPlainTimerGoesThroughTheProcedure) {
    SetTimer(window, 3, 100, routineA);
    SetTimer(window, 4, 150, nullptr);
    sim::advance(150);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_TRUE(ticks[0].viaRoutine);
    EXPECT_EQ(routineWindow, window);
    EXPECT_EQ(routineTickCount, 100u);
    EXPECT_FALSE(ticks[1].viaRoutine);
    // The window's procedure saw exactly one WM_TIMER: the plain one.
    EXPECT_EQ(procedureMessages, std::vector<UINT>{WM_TIMER});
}

TEST_F(SimTimers, PeriodsAreHeldWithinThePlatformBounds) {
    SetTimer(window, 1, 0, nullptr);
    SetTimer(window, 2, 9, nullptr);
    SetTimer(window, 3, 10, nullptr);
    // A negative interval passed as an unsigned count is a very long wait, not a short one.
    SetTimer(window, 4, static_cast<UINT>(-1500), nullptr);
    SetTimer(window, 5, 0x7FFFFFFF, nullptr);
    sim::TimerInfo info;
    uint32_t expected[] = {10, 10, 10, 0x7FFFFFFF, 0x7FFFFFFF};
    for (UINT_PTR id = 1; id <= 5; ++id) {
        ASSERT_TRUE(sim::findTimer(window, id, &info));
        EXPECT_EQ(info.periodMs, expected[id - 1]) << "timer " << id;
    }
    KillTimer(window, 1);
    KillTimer(window, 2);
    KillTimer(window, 3);
    sim::advance(0x7FFFFFFE);
    EXPECT_TRUE(ticks.empty());
    sim::advance(1);
    EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(SimTimers, KilledTimersStopAndUnknownOnesAreRefused) {
    SetTimer(window, 1, 100, nullptr);
    sim::advance(100);
    EXPECT_TRUE(KillTimer(window, 1));
    sim::advance(1000);
    EXPECT_EQ(ticks.size(), 1u);
    EXPECT_FALSE(KillTimer(window, 1));
    EXPECT_FALSE(sim::findTimer(window, 1));
}

TEST_F(SimTimers, RefusedArmingAnswersZeroAndLeavesTheOldTimer) {
    sim::refuseTimerId(1998);
    EXPECT_EQ(SetTimer(window, 1998, 1000, nullptr), 0u);
    EXPECT_NE(SetTimer(window, 1999, 1000, nullptr), 0u);
    EXPECT_FALSE(sim::findTimer(window, 1998));

    sim::refuseAllTimers(true);
    EXPECT_EQ(SetTimer(window, 1999, 50, routineA), 0u);
    sim::TimerInfo info;
    ASSERT_TRUE(sim::findTimer(window, 1999, &info));
    EXPECT_EQ(info.periodMs, 1000u);
    EXPECT_EQ(info.routine, nullptr);
    sim::refuseAllTimers(false);
    EXPECT_NE(SetTimer(window, 1999, 50, nullptr), 0u);
}

TEST_F(SimTimers, DestroyedWindowsTakeTheirTimersAlong) {
    SetTimer(window, 1, 100, nullptr);
    sim::destroyWindow(window);
    EXPECT_TRUE(sim::timers().empty());
    EXPECT_EQ(SetTimer(window, 2, 100, nullptr), 0u);
    sim::advance(500);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(SimTimers, ARoutineMayKillOrReArmItsOwnTimerWhileBeingCalled) {
    static HWND w;
    w = window;
    static int calls;
    calls = 0;
    SetTimer(window, 9, 100, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
        ++calls;
        if (calls == 1) SetTimer(hwnd, id, 400, nullptr);  // the next one comes as WM_TIMER
    });
    sim::advance(500);
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0].atMs, 500u);
    EXPECT_FALSE(ticks[0].viaRoutine);
}

TEST_F(SimTimers, ClockListenersActAtTheirMomentBeforeATimerDueThen) {
    std::vector<std::string> events;
    static std::vector<std::string>* log;
    log = &events;
    sim::addClockListener([&events](uint64_t nowMs) -> uint64_t {
        if (nowMs >= 1000 && events.empty()) events.push_back("listener@" + std::to_string(nowMs));
        return nowMs < 1000 ? 1000 : UINT64_MAX;
    });
    SetTimer(window, 1, 1000, [](HWND, UINT, UINT_PTR, DWORD) { log->push_back("timer@" + std::to_string(sim::now())); });
    sim::advance(1000);
    EXPECT_EQ(events, (std::vector<std::string>{"listener@1000", "timer@1000"}));
}

}  // namespace
