// Drives a modal dialog from inside its own modal loop: a timer on the calling thread
// takes one scripted step per tick once the dialog is up, and a hook answers every
// message box that comes up meanwhile, reading it once its WM_INITDIALOG is done.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace DialogDriver {

struct Box {
    HWND owner;
    std::string caption;
    std::string text;
    bool yesNo;  // Yes and No buttons, rather than OK
};

using Step = std::function<void(HWND dialog)>;

struct Session {
    const char* caption;  // how the dialog is found
    std::vector<Step> steps;
    UINT stepMs = 200;
    int idleTicksFirst = 0;   // ticks with the dialog up before the first step
    int idleTicksAtEnd = 10;  // after the last step, before the driver closes it itself
    std::function<void(HWND dialog)> onOpen;  // once, when the dialog is first seen
};

struct Outcome {
    HWND dialog = nullptr;  // null: never seen
    size_t stepsRun = 0;
    bool closedByDriver = false;  // the steps did not close it
    std::vector<Box> boxes;
};

// `open` shows the dialog and returns when it has closed (a config routine).
Outcome run(const Session& session, const std::function<void()>& open);

// From a step: the answer for the next message box (default: Yes, or OK).
void answerNextBox(int answer);

// The listener's mouse, posted so the dialog's own modal loop handles it.
void click(HWND dialog, int id);
void clickStatic(HWND dialog, int id);

}  // namespace DialogDriver
