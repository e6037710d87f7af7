#include "message_box_watcher.h"

namespace MessageBoxWatcher {

namespace {

constexpr int TEXT_CONTROL = 0xFFFF;
constexpr int ICON_CONTROL = 1088;  // where Wine's message box shows its icon

HHOOK hook = nullptr;
std::vector<Box> seen;

std::string textOf(HWND window) {
    char buffer[1024] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

bool visibleChild(HWND box, int id) {
    HWND child = GetDlgItem(box, id);
    return child != nullptr && (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0;
}

LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[32] = "";
        GetClassNameA(box, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0 && GetDlgItem(box, TEXT_CONTROL) != nullptr) {
            Box record;
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            record.at = now.QuadPart;
            record.owner = GetWindow(box, GW_OWNER);
            record.caption = textOf(box);
            record.text = textOf(GetDlgItem(box, TEXT_CONTROL));
            // Wine's box template holds every button and hides those not asked for.
            record.hasOk = visibleChild(box, IDOK);
            record.hasCancel = visibleChild(box, IDCANCEL);
            record.hasYes = visibleChild(box, IDYES);
            record.hasNo = visibleChild(box, IDNO);
            record.iconShown = visibleChild(box, ICON_CONTROL);
            seen.push_back(record);
            // The box's own loop picks this up once it runs; a send would come too early.
            PostMessageA(box, WM_COMMAND, record.hasYes ? IDYES : IDOK, 0);
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

void start() {
    if (hook == nullptr) hook = SetWindowsHookExA(WH_CBT, onCbt, nullptr, GetCurrentThreadId());
}

void stop() {
    if (hook != nullptr) UnhookWindowsHookEx(hook);
    hook = nullptr;
}

bool running() { return hook != nullptr; }

const std::vector<Box>& boxes() { return seen; }
void clear() { seen.clear(); }

}  // namespace MessageBoxWatcher
