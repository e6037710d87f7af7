#include "dialog_driver.h"

#include <deque>

#include "message_box_watcher.h"

namespace DialogDriver {

namespace {

const Session* current = nullptr;
Outcome outcome;
std::deque<int> answers;
HHOOK boxHook = nullptr;
int idleTicks = 0;

std::string windowText(HWND window) {
    char buffer[1024] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// Read once the box has finished its WM_INITDIALOG: a system-modal box is activated
// before its text and buttons are in place.
LRESULT CALLBACK afterMessage(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_INITDIALOG) {
        HWND box = sent->hwnd;
        char windowClass[32] = "";
        GetClassNameA(box, windowClass, sizeof windowClass);
        HWND text = GetDlgItem(box, 0xFFFF);
        if (lstrcmpA(windowClass, "#32770") == 0 && text != nullptr) {
            HWND yes = GetDlgItem(box, IDYES);
            // The box itself is not shown yet: its own style bit says whether Yes will be.
            bool yesNo = yes != nullptr && (GetWindowLongPtrA(yes, GWL_STYLE) & WS_VISIBLE) != 0;
            outcome.boxes.push_back({GetWindow(box, GW_OWNER), windowText(box), windowText(text), yesNo});
            int answer = yesNo ? IDYES : IDOK;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            // Picked up by the box's own loop once it runs.
            PostMessageA(box, WM_COMMAND, answer, 0);
        }
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

void CALLBACK onStep(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowA("#32770", current->caption);
    if (dialog == nullptr) return;
    if (outcome.dialog == nullptr) {
        outcome.dialog = dialog;
        if (current->onOpen) current->onOpen(dialog);
    }
    if (idleTicks < current->idleTicksFirst) {
        ++idleTicks;
        return;
    }
    if (outcome.stepsRun < current->steps.size()) {
        current->steps[outcome.stepsRun++](dialog);
        return;
    }
    if (++idleTicks > current->idleTicksFirst + current->idleTicksAtEnd) {
        outcome.closedByDriver = true;
        EndDialog(dialog, -1);
    }
}

}  // namespace

Outcome run(const Session& session, const std::function<void()>& open) {
    current = &session;
    outcome = Outcome();
    answers.clear();
    idleTicks = 0;

    // Boxes are answered here as the session wants; the general watcher goes quiet meanwhile.
    bool watcherWasRunning = MessageBoxWatcher::running();
    MessageBoxWatcher::stop();
    boxHook = SetWindowsHookExA(WH_CALLWNDPROCRET, afterMessage, nullptr, GetCurrentThreadId());
    UINT_PTR timer = SetTimer(nullptr, 0, session.stepMs, onStep);
    open();
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
    if (watcherWasRunning) MessageBoxWatcher::start();

    current = nullptr;
    return outcome;
}

void answerNextBox(int answer) { answers.push_back(answer); }

void click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void clickStatic(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageA(control, WM_LBUTTONUP, 0, 0);
}

}  // namespace DialogDriver
