// Simulated message boxes: every box is recorded; its answer comes from the test's
// script, or is its first button, as a listener pressing Enter would give. While a box is
// up its modal loop runs: posted messages are delivered, and the test's action may move
// the clock so that timers fire inside the box, as they do on the platform.
#include <windows.h>

#include <deque>
#include <functional>
#include <vector>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

constexpr UINT MB_ABORTRETRYIGNORE_ = 0x2;
constexpr UINT MB_YESNOCANCEL_ = 0x3;
constexpr UINT MB_RETRYCANCEL_ = 0x5;

std::deque<int> scriptedAnswers;
std::function<void(const MessageBoxRecord&)> openAction;
std::vector<MessageBoxRecord> records;

std::vector<int> buttonsOf(UINT style) {
    switch (style & MB_TYPEMASK) {
        case MB_OKCANCEL: return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE_: return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL_: return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO: return {IDYES, IDNO};
        case MB_RETRYCANCEL_: return {IDRETRY, IDCANCEL};
        default: return {IDOK};
    }
}

int answerFor(UINT style) {
    std::vector<int> buttons = buttonsOf(style);
    if (scriptedAnswers.empty()) return buttons.front();
    int scripted = scriptedAnswers.front();
    scriptedAnswers.pop_front();
    // A box can only close with one of its own buttons: an answer it does not offer
    // (scripted for a box of another kind) falls back to the first button.
    for (int b : buttons) {
        if (b == scripted) return scripted;
    }
    return buttons.front();
}

}  // namespace

void resetMessageBoxes() {
    scriptedAnswers.clear();
    openAction = nullptr;
    records.clear();
}

}  // namespace core

void answerNextMessageBox(int answer) { core::scriptedAnswers.push_back(answer); }
size_t messageBoxAnswersWaiting() { return core::scriptedAnswers.size(); }

void whileMessageBoxOpen(std::function<void(const MessageBoxRecord&)> action) {
    core::openAction = std::move(action);
}

const std::vector<MessageBoxRecord>& messageBoxes() { return core::records; }
void clearMessageBoxes() { core::records.clear(); }

}  // namespace sim

extern "C" int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    using namespace sim;
    MessageBoxRecord record{hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType,
                            core::answerFor(uType), now()};
    core::records.push_back(record);
    core::deliverPosted();
    // A copy: the action may replace itself, or open another box.
    auto action = core::openAction;
    if (action) action(record);
    return record.answer;
}
