// Sees what a loaded module asks of the notification area: its import of
// Shell_NotifyIconA is pointed at a recorder that keeps each call (action, icon, tip,
// the platform's answer) and passes it on to the real function unchanged. Wine's
// notification area offers no way to read a tip back, so this is where tips are read.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace TraySpy {

struct Call {
    DWORD atTick;  // GetTickCount() when it was made
    DWORD action;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
    DWORD size;    // the record's cbSize, as the caller filled it in
    HWND window;
    UINT id;
    UINT flags;
    UINT callbackMessage;  // when NIF_MESSAGE
    HICON icon;       // when NIF_ICON
    std::string tip;  // when NIF_TIP
    BOOL answer;      // what the platform said
};

// Answers whether the module's import was found and redirected. Before its init.
bool watch(HMODULE module);
const std::vector<Call>& calls();
void clear();

// The last tip passed, or "" when the icon was deleted or never added.
std::string currentTip();

// The picture an icon handle holds: its width in pixels and colour depth (0 when unknown).
struct Image {
    int width;
    int bitsPerPixel;
};
Image imageOf(HICON icon);

}  // namespace TraySpy
