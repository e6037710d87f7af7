// Simulated dialogs: templates read from a resource script as the resource compiler
// reads them, a modal run driven by the test's script, and buttons and statics that act
// and report as the platform's do.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "sim/dialogs.h"
#include "sim/platform.h"

namespace {

// Two radio groups (A1..A2 wrapping round to A0 at the top, B1..B2), check boxes, a
// static that reports clicks and one that does not.
constexpr char SCRIPT[] = R"(#include <windows.h>
#include "ids.h"
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
IDD_TEST DIALOGEX 0, 0, 100, 80
STYLE WS_POPUP | WS_CAPTION | DS_MODALFRAME
CAPTION "Test ""dialog"""
FONT 8, "Verdana", 0, 0, 0x1
BEGIN
    CONTROL "A0", 10, "Button", BS_AUTORADIOBUTTON, 1, 1, 10, 10
    CONTROL "OK", IDOK, "Button", WS_TABSTOP | BS_DEFPUSHBUTTON, 1, 1, 10, 10
    CONTROL "Box", ID_BOX, "Button", WS_TABSTOP | BS_AUTOCHECKBOX | BS_NOTIFY, 1, 1, 10, 10
    CONTROL "B1", 21, "Button", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON | BS_NOTIFY, 1, 1, 10, 10
    CONTROL "B2", 22, "Button", WS_TABSTOP | BS_AUTORADIOBUTTON | BS_NOTIFY, 1, 1, 10, 10
    CONTROL "A1", 11, "Button", WS_GROUP | BS_AUTORADIOBUTTON, 1, 1, 10, 10
    CONTROL "A2", 12, "Button", NOT WS_VISIBLE | BS_AUTORADIOBUTTON, 1, 1, 10, 10, WS_EX_CLIENTEDGE
    CONTROL 7, 30, "Static", SS_ICON | SS_NOTIFY, 1, 1, 10, 10
    CONTROL "Plain", 31, "Static", SS_LEFT, 1, 1, 10, 10
END
)";

std::vector<std::string> heard;
HWND seenDialog = nullptr;
LPARAM seenInitParam = 0;
int endOnCommand = 0;  // the command that ends the dialog, with result 5
INT_PTR initAnswer = 0;

INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        seenDialog = dialog;
        seenInitParam = lParam;
        return initAnswer;
    }
    if (message == WM_COMMAND) {
        // BN_CLICKED and STN_CLICKED are 0, STN_DBLCLK 1, BN_DOUBLECLICKED 5.
        static const char* names[] = {"clicked", "dblclk", "?", "?", "?", "dblclk", "setfocus", "killfocus"};
        heard.push_back(std::to_string(LOWORD(wParam)) + " " + names[HIWORD(wParam) & 7]);
        if (LOWORD(wParam) == endOnCommand) {
            EndDialog(dialog, 5);
            // Ending takes effect once the procedure has returned.
            heard.push_back(IsWindow(dialog) ? "still a window" : "gone");
        }
    }
    return 0;
}

class SimDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of each test's own: ctest runs tests side by side.
        folder = ::testing::TempDir() + "sim_dialogs_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        sim::reset(folder);
        std::ofstream(folder + "/ids.h") << "#define IDD_TEST 7\n#define ID_BOX 40\n";
        std::ofstream(folder + "/test.rc") << SCRIPT;
        sim::loadResourceScript(folder + "/test.rc");
        owner = sim::createWindow(DefWindowProcA, "owner");
        heard.clear();
        seenDialog = nullptr;
        endOnCommand = IDOK;
        initAnswer = 0;
    }

    INT_PTR run(std::function<void(HWND)> script) {
        sim::whileDialogOpen(std::move(script));
        return DialogBoxParamA(sim::pluginInstance(), MAKEINTRESOURCEA(7), owner, procedure, 99);
    }

    std::string folder;
    HWND owner = nullptr;
};

TEST_F(SimDialogs, TheTemplateReadsAsTheResourceCompilerBuildsIt) {
    const sim::DialogTemplate* t = sim::dialogTemplate(7);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(sim::dialogScriptProblems().empty());
    EXPECT_EQ(t->language, 0x0409);
    EXPECT_EQ(t->caption, "Test \"dialog\"");
    EXPECT_EQ(t->style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(t->typeface, "Verdana");
    EXPECT_EQ(t->pointSize, 8);
    EXPECT_EQ(t->charset, 1);
    ASSERT_EQ(t->controls.size(), 9u);
    // Every CONTROL starts from WS_CHILD | WS_VISIBLE; NOT takes a style away.
    EXPECT_EQ(t->controls[1].style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON));
    EXPECT_EQ(t->controls[2].id, 40);  // named through the included header
    EXPECT_EQ(t->controls[6].style, static_cast<DWORD>(WS_CHILD | BS_AUTORADIOBUTTON));
    EXPECT_EQ(t->controls[6].exStyle, static_cast<DWORD>(WS_EX_CLIENTEDGE));
    EXPECT_EQ(t->controls[7].text, "");
    EXPECT_EQ(t->controls[7].textResource, 7);
    EXPECT_EQ(sim::dialogTemplate(8), nullptr);
}

TEST_F(SimDialogs, WhatTheReaderCannotTakeIsReportedWithItsLine) {
    std::ofstream(folder + "/bad.rc") << "9 DIALOGEX 0, 0, 10, 10\nBEGIN\n"
                                         "    CONTROL \"a\", 1, \"Button\", BS_PUSHBUTTON, 1, 1, 1, 1\n"
                                         "    PUSHBUTTON \"b\", 2, 1, 1, 1, 1\n"
                                         "    CONTROL \"c\", 3, \"Button\", BS_NOSUCHSTYLE, 1, 1, 1, 1\n";
    sim::loadResourceScript(folder + "/bad.rc");
    std::vector<std::string> problems = sim::dialogScriptProblems();
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_NE(problems[0].find("bad.rc:4: one CONTROL statement per line"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("bad.rc:5: style: cannot read \"BS_NOSUCHSTYLE\""), std::string::npos) << problems[1];
    EXPECT_NE(problems[2].find("no END"), std::string::npos) << problems[2];
    // The statement it could not read is not a control of the dialog.
    ASSERT_NE(sim::dialogTemplate(9), nullptr);
    EXPECT_EQ(sim::dialogTemplate(9)->controls.size(), 2u);
}

TEST_F(SimDialogs, TheDialogRunsModallyUntilEndDialogHasTakenEffect) {
    sim::advance(100);
    HWND during = nullptr;
    INT_PTR result = run([&](HWND dialog) {
        during = dialog;
        EXPECT_EQ(sim::openDialog(), dialog);
        sim::click(dialog, IDOK);
        EXPECT_EQ(sim::openDialog(), nullptr);
    });
    EXPECT_EQ(result, 5);
    EXPECT_EQ(seenDialog, during);
    EXPECT_EQ(seenInitParam, 99);
    EXPECT_EQ(heard, (std::vector<std::string>{"1 clicked", "still a window"}));
    EXPECT_FALSE(IsWindow(during));
    ASSERT_EQ(sim::dialogsShown().size(), 1u);
    EXPECT_EQ(sim::dialogsShown()[0].owner, owner);
    EXPECT_EQ(sim::dialogsShown()[0].result, 5);
    EXPECT_EQ(sim::dialogsShown()[0].openedAtMs, 100u);
    EXPECT_TRUE(sim::dialogErrors().empty());
}

TEST_F(SimDialogs, ADialogLeftOpenOrWithoutAScriptFailsLoudlyInsteadOfHanging) {
    EXPECT_EQ(DialogBoxParamA(sim::pluginInstance(), MAKEINTRESOURCEA(7), owner, procedure, 0), -1);
    ASSERT_EQ(sim::dialogErrors().size(), 1u);
    EXPECT_NE(sim::dialogErrors()[0].find("nothing scripted"), std::string::npos);

    sim::clearDialogErrors();
    HWND left = nullptr;
    EXPECT_EQ(run([&](HWND dialog) {
                  left = dialog;
                  sim::click(dialog, 40);
              }),
              -1);
    ASSERT_EQ(sim::dialogErrors().size(), 1u);
    EXPECT_NE(sim::dialogErrors()[0].find("still open after its script ran out"), std::string::npos);
    EXPECT_FALSE(IsWindow(left));

    // Acting on a dialog that has ended, or asking it for a control it lacks.
    sim::clearDialogErrors();
    run([](HWND dialog) {
        EXPECT_FALSE(CheckDlgButton(dialog, 41, BST_CHECKED));
        EXPECT_EQ(GetLastError(), 1421u);
        sim::click(dialog, IDOK);
        sim::click(dialog, 40);
    });
    ASSERT_EQ(sim::dialogErrors().size(), 2u);
    EXPECT_NE(sim::dialogErrors()[0].find("has no control 41"), std::string::npos);
    EXPECT_NE(sim::dialogErrors()[1].find("has ended"), std::string::npos);

    sim::clearDialogErrors();
    EXPECT_EQ(DialogBoxParamA(sim::pluginInstance(), MAKEINTRESOURCEA(8), owner, procedure, 0), -1);
    EXPECT_EQ(GetLastError(), 1814u);
    EXPECT_EQ(sim::dialogErrors().size(), 1u);
    sim::clearDialogErrors();  // expected here; any other test that ends with one fails
}

TEST_F(SimDialogs, AutoButtonsActOnTheirOwnAndCheckDlgButtonOnlySetsTheDisplay) {
    run([](HWND dialog) {
        sim::click(dialog, 40);
        EXPECT_TRUE(sim::isChecked(dialog, 40));
        sim::click(dialog, 40);
        EXPECT_FALSE(sim::isChecked(dialog, 40));
        EXPECT_EQ(IsDlgButtonChecked(dialog, 40), 0u);

        // Setting the display: no command, and the other radio buttons keep theirs.
        heard.clear();
        CheckDlgButton(dialog, 21, BST_CHECKED);
        CheckDlgButton(dialog, 22, BST_CHECKED);
        EXPECT_TRUE(heard.empty());
        EXPECT_TRUE(sim::isChecked(dialog, 21) && sim::isChecked(dialog, 22));
        EXPECT_EQ(SendDlgItemMessageA(dialog, 22, BM_GETCHECK, 0, 0), BST_CHECKED);

        // A click selects one and clears the others of its group only.
        CheckDlgButton(dialog, 11, BST_CHECKED);
        sim::click(dialog, 21);
        EXPECT_TRUE(sim::isChecked(dialog, 21));
        EXPECT_FALSE(sim::isChecked(dialog, 22));
        EXPECT_TRUE(sim::isChecked(dialog, 11));
        // The last group runs on round the end of the template: A0 belongs with A1, A2.
        sim::click(dialog, 10);
        EXPECT_FALSE(sim::isChecked(dialog, 11));
        EXPECT_TRUE(sim::isChecked(dialog, 10));
        EXPECT_TRUE(sim::isChecked(dialog, 21));

        // A push button holds no check.
        SendDlgItemMessageA(dialog, IDOK, BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_FALSE(sim::isChecked(dialog, IDOK));
        sim::click(dialog, IDOK);
    });
    // Each click is reported after the button has taken the focus and changed its state.
    EXPECT_EQ(heard, (std::vector<std::string>{"40 killfocus", "21 setfocus", "21 clicked",  // B1 notifies
                                               "21 killfocus", "10 clicked",                 // A0 does not
                                               "1 clicked", "still a window"}));
}

TEST_F(SimDialogs, FocusMovesReportThroughNotifyButtonsAndTabFollowsTheTabStops) {
    run([](HWND dialog) {
        EXPECT_EQ(sim::focusedControl(dialog), 0);  // the procedure answered FALSE
        sim::pressTab(dialog);
        EXPECT_EQ(sim::focusedControl(dialog), IDOK);
        sim::pressTab(dialog);
        sim::pressTab(dialog);
        sim::pressTab(dialog);
        EXPECT_EQ(sim::focusedControl(dialog), 22);
        sim::pressTab(dialog);  // past the last tab stop, round to the first
        EXPECT_EQ(sim::focusedControl(dialog), IDOK);
        sim::pressTab(dialog, true);
        EXPECT_EQ(sim::focusedControl(dialog), 22);

        // A radio button is a tab stop while it is checked, and only then.
        sim::click(dialog, 21);
        EXPECT_FALSE(sim::controlStyle(dialog, 22) & WS_TABSTOP);
        sim::click(dialog, 10);
        EXPECT_TRUE(sim::controlStyle(dialog, 10) & WS_TABSTOP);
        sim::pressTab(dialog);
        EXPECT_EQ(sim::focusedControl(dialog), IDOK);

        // Statics: the one with SS_NOTIFY reports clicks, the other lets them through.
        sim::click(dialog, 30);
        sim::doubleClick(dialog, 30);
        sim::click(dialog, 31);
        sim::pressEscape(dialog);
        EXPECT_EQ(sim::openDialog(), dialog);
        sim::focus(dialog, 40);
        sim::click(dialog, IDOK);
    });
    EXPECT_EQ(heard, (std::vector<std::string>{
                         "40 setfocus", "40 killfocus", "21 setfocus",  // Tab to the box, then to B1
                         "21 killfocus", "22 setfocus",                 // and on to B2
                         "22 killfocus",                                // round to OK
                         "22 setfocus",                                 // and back
                         "22 killfocus", "21 setfocus", "21 clicked",   // a click takes the focus first
                         "21 killfocus", "10 clicked",                  // A0 has no BS_NOTIFY
                         "30 clicked", "30 clicked", "30 dblclk",       // down, then the double click
                         "2 clicked",                                   // Escape
                         "40 setfocus", "40 killfocus", "1 clicked", "still a window"}));
}

TEST_F(SimDialogs, AnsweringTrueToInitDialogPutsTheFocusOnTheFirstTabStop) {
    initAnswer = TRUE;
    run([](HWND dialog) {
        EXPECT_EQ(sim::focusedControl(dialog), IDOK);
        sim::click(dialog, IDOK);
    });
}

// The platform keeps delivering messages while a dialog is up: timers fire, and a click
// posted from a timer arrives through the modal loop.
UINT_PTR const PRESS_TIMER = 77;
HWND timerDialog = nullptr;
std::vector<uint32_t> ticks;

void CALLBACK pressOk(HWND, UINT, UINT_PTR, DWORD) {
    ticks.push_back(sim::now());
    if (ticks.size() == 3) PostMessageA(GetDlgItem(timerDialog, IDOK), BM_CLICK, 0, 0);
}

TEST_F(SimDialogs, TheClockRunsWhileTheDialogIsOpen) {
    ticks.clear();
    SetTimer(owner, PRESS_TIMER, 100, pressOk);
    INT_PTR result = run([](HWND dialog) {
        timerDialog = dialog;
        sim::advance(1000);
    });
    EXPECT_EQ(result, 5);
    EXPECT_EQ(ticks.size(), 10u);
    EXPECT_EQ(heard.front(), "1 clicked");
    EXPECT_TRUE(sim::dialogErrors().empty());
}

}  // namespace
