// Reads the message boxes that come up on this thread and answers them: a thread
// WH_CBT hook catches each box (class #32770) as it is activated, reads its caption,
// text (control 0xFFFF), owner and buttons, and posts the scripted answer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace MessageBoxWatcher {

struct Box {
    HWND owner;
    std::string caption;
    std::string text;
    bool hasOk, hasCancel, hasYes, hasNo;
    bool iconShown;
    LONGLONG at;  // QueryPerformanceCounter when it came up
};

void start();  // on the calling thread
void stop();
bool running();
const std::vector<Box>& boxes();
void clear();

}  // namespace MessageBoxWatcher
