// Simulated message boxes: recorded as shown, answered from the test's script or with
// their first button, and a modal loop in which the clock can run.
#include <gtest/gtest.h>

#include <vector>

#include "sim/platform.h"

namespace {

class SimMessageBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        sim::reset(::testing::TempDir() + "sim_message_boxes");
        owner = sim::createWindow(DefWindowProcA, "owner");
    }
    HWND owner = nullptr;
};

TEST_F(SimMessageBoxes, ScriptedAnswersAreUsedInOrderThenTheDefaultAgain) {
    sim::answerNextMessageBox(IDNO);
    sim::answerNextMessageBox(IDCANCEL);
    EXPECT_EQ(MessageBoxA(owner, "first", "Warning", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxA(owner, "second", "x", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(owner, "third", "x", MB_YESNO), IDYES);
}

TEST_F(SimMessageBoxes, AnAnswerTheBoxDoesNotOfferGivesItsFirstButton) {
    // A Yes/No question scripted for a box that turns out to be a plain notice.
    sim::answerNextMessageBox(IDNO);
    EXPECT_EQ(MessageBoxA(owner, "notice", "Done", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(owner, "question", "Warning", MB_YESNO), IDYES);
}

TEST_F(SimMessageBoxes, EveryBoxIsRecordedWithOwnerTextCaptionStyleAnswerAndMoment) {
    sim::advance(1234);
    sim::answerNextMessageBox(IDNO);
    MessageBoxA(owner, "Timer set failed.", "Fatal Error", MB_ICONERROR);
    MessageBoxA(nullptr, "Old host", nullptr, MB_YESNO | MB_ICONWARNING);
    const auto& boxes = sim::messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, owner);
    EXPECT_EQ(boxes[0].text, "Timer set failed.");
    EXPECT_EQ(boxes[0].caption, "Fatal Error");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(boxes[0].answer, IDOK);
    EXPECT_EQ(boxes[0].atMs, 1234u);
    EXPECT_EQ(boxes[1].owner, nullptr);
    EXPECT_EQ(boxes[1].caption, "Error");  // the platform's caption when none is given
    EXPECT_EQ(boxes[1].answer, IDYES);     // the IDNO went to the first box and was not its button
    sim::clearMessageBoxes();
    EXPECT_TRUE(sim::messageBoxes().empty());
}

std::vector<uint32_t> tickMoments;
LRESULT CALLBACK ticking(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_TIMER) tickMoments.push_back(sim::now());
    return 0;
}

TEST_F(SimMessageBoxes, TimersKeepRunningWhileABoxIsUp) {
    tickMoments.clear();
    HWND window = sim::createWindow(ticking, "ticking");
    SetTimer(window, 1, 250, nullptr);
    std::vector<std::string> seenTexts;
    sim::whileMessageBoxOpen([&](const sim::MessageBoxRecord& box) {
        seenTexts.push_back(box.text);
        EXPECT_EQ(sim::messageBoxes().size(), seenTexts.size());  // recorded before it closes
        sim::advance(1000);
    });
    sim::answerNextMessageBox(IDNO);
    EXPECT_EQ(MessageBoxA(window, "Clean the database?", "Warning", MB_YESNO), IDNO);
    EXPECT_EQ(tickMoments, (std::vector<uint32_t>{250, 500, 750, 1000}));
    EXPECT_EQ(sim::now(), 1000u);

    // The action stays for the next box, until removed.
    MessageBoxA(window, "again", "Done", MB_OK);
    EXPECT_EQ(sim::now(), 2000u);
    sim::whileMessageBoxOpen(nullptr);
    MessageBoxA(window, "last", "Done", MB_OK);
    EXPECT_EQ(sim::now(), 2000u);
    EXPECT_EQ(seenTexts, (std::vector<std::string>{"Clean the database?", "again"}));
}

int boxesFromTicks = 0;
void CALLBACK failingTick(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    ++boxesFromTicks;
    MessageBoxA(hwnd, "Timer set failed.", "Fatal Error", MB_ICONERROR);
}

TEST_F(SimMessageBoxes, ABoxOpenedByATimerInsideAdvanceLetsTheOuterAdvanceFinish) {
    boxesFromTicks = 0;
    tickMoments.clear();
    HWND window = sim::createWindow(ticking, "ticking");
    SetTimer(window, 1, 100, failingTick);
    SetTimer(window, 2, 1000, nullptr);
    // The box stays up for 1.5 s of the clock; the outer advance must not go back in time.
    sim::whileMessageBoxOpen([](const sim::MessageBoxRecord&) { sim::advance(1500); });
    sim::advance(1000);
    EXPECT_EQ(boxesFromTicks, 1);
    EXPECT_EQ(sim::now(), 1600u);
    EXPECT_EQ(tickMoments, std::vector<uint32_t>{1000});
}

}  // namespace
