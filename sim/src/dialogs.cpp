// Simulated modal dialogs and their buttons and statics. The dialog and each control are
// windows of the simulated platform, so messages reach them through whatever procedure
// is installed, and posted messages (a BM_CLICK posted from a timer) arrive in the modal
// loop as they would. The modal loop is the test's script for that opening.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <list>
#include <string>
#include <vector>

#include "core_internal.h"
#include "resource_script.h"
#include "sim/dialogs.h"
#include "sim/platform.h"
#include "sim_internal.h"

namespace sim {

namespace {

constexpr DWORD ERROR_INVALID_WINDOW_HANDLE_ = 1400;
constexpr DWORD ERROR_CONTROL_ID_NOT_FOUND_ = 1421;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND_ = 1814;

struct Control {
    DialogControlTemplate from;
    HWND window;
    DWORD style;  // radio buttons gain and lose WS_TABSTOP with their check
    UINT check = 0;
    bool pressed = false;  // between the button's mouse down and up
};

struct Dialog {
    HWND window;
    DLGPROC procedure;
    int resource;
    size_t record;  // index in `records`
    std::vector<Control> controls;
    int focus = -1;  // index in `controls`
    bool ended = false;
    INT_PTR result = 0;
};

// Stable addresses: a dialog stays where it is while its procedures run.
std::list<Dialog> dialogs;
std::deque<std::function<void(HWND)>> scripts;
std::vector<DialogRecord> records;
std::vector<std::string> errors;

void fail(const std::string& what) {
    errors.push_back(what);
    std::fprintf(stderr, "sim dialogs: %s\n", what.c_str());
}

std::string lower(const std::string& text) { return core::lowerCase(text); }

Dialog* dialogOf(HWND window) {
    for (Dialog& d : dialogs) {
        if (d.window == window) return &d;
    }
    return nullptr;
}

Control* controlOf(HWND window, Dialog** owner) {
    for (Dialog& d : dialogs) {
        for (Control& c : d.controls) {
            if (c.window == window) {
                *owner = &d;
                return &c;
            }
        }
    }
    return nullptr;
}

int indexOf(const Dialog& d, int id) {
    for (size_t i = 0; i < d.controls.size(); ++i) {
        if (d.controls[i].from.id == id) return static_cast<int>(i);
    }
    return -1;
}

bool isButton(const Control& c) { return lower(c.from.windowClass) == "button"; }
bool isStatic(const Control& c) { return lower(c.from.windowClass) == "static"; }
DWORD buttonType(const Control& c) { return c.style & BS_TYPEMASK; }
bool isRadio(const Control& c) {
    return isButton(c) && (buttonType(c) == BS_RADIOBUTTON || buttonType(c) == BS_AUTORADIOBUTTON);
}

void notifyParent(HWND dialogWindow, int id, WORD code, HWND from) {
    SendMessageA(dialogWindow, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(from));
}

// The controls of `index`'s group: from the nearest WS_GROUP control at or before it up
// to the next WS_GROUP control, going round the end of the template as the platform does.
std::vector<int> groupOf(const Dialog& d, int index) {
    const int n = static_cast<int>(d.controls.size());
    int start = index;
    for (int step = 0; step < n && !(d.controls[start].style & WS_GROUP); ++step) start = (start + n - 1) % n;
    std::vector<int> group{start};
    for (int i = (start + 1) % n; i != start && !(d.controls[i].style & WS_GROUP); i = (i + 1) % n) group.push_back(i);
    return group;
}

void moveFocus(Dialog& d, int index) {
    if (d.focus == index) return;
    HWND previous = d.focus >= 0 ? d.controls[d.focus].window : nullptr;
    HWND next = d.controls[index].window;
    d.focus = index;
    // The control losing the focus hears of it first.
    if (previous) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
    SendMessageA(next, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
}

int nextTabStop(const Dialog& d, bool backwards) {
    const int n = static_cast<int>(d.controls.size());
    int i = d.focus;
    for (int step = 0; step < n; ++step) {
        i = backwards ? (i <= 0 ? n - 1 : i - 1) : (i + 1) % n;
        DWORD s = d.controls[i].style;
        if ((s & WS_TABSTOP) && (s & WS_VISIBLE) && !(s & WS_DISABLED)) return i;
    }
    return -1;
}

void destroy(Dialog& d, INT_PTR result) {
    DialogRecord& r = records[d.record];
    r.result = result;
    r.closed = true;
    r.closedAtMs = now();
    // The procedure still hears WM_DESTROY.
    for (const Control& c : d.controls) destroyWindow(c.window);
    destroyWindow(d.window);
    for (auto it = dialogs.begin(); it != dialogs.end(); ++it) {
        if (&*it == &d) {
            dialogs.erase(it);
            return;
        }
    }
}

LRESULT buttonMessage(Dialog& d, Control& c, UINT message, WPARAM wParam) {
    const int id = c.from.id;
    const HWND self = c.window;
    switch (message) {
        case BM_GETCHECK:
            return c.check & 3;
        case BM_SETCHECK: {
            // A button holds no more state than its kind has.
            UINT most = 0;
            DWORD type = buttonType(c);
            if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || isRadio(c)) most = BST_CHECKED;
            if (type == BS_3STATE || type == BS_AUTO3STATE) most = BST_INDETERMINATE;
            c.check = static_cast<UINT>(wParam) > most ? most : static_cast<UINT>(wParam);
            // A radio button is a tab stop while it is checked, and only then.
            if (isRadio(c)) c.style = wParam ? (c.style | WS_TABSTOP) : (c.style & ~static_cast<DWORD>(WS_TABSTOP));
            return 0;
        }
        case BM_CLICK:
            SendMessageA(self, WM_LBUTTONDOWN, 0, 0);
            SendMessageA(self, WM_LBUTTONUP, 0, 0);
            return 0;
        case WM_LBUTTONDOWN:
            // A group box is see-through to the mouse.
            if (buttonType(c) == BS_GROUPBOX) return 0;
            c.pressed = true;
            moveFocus(d, indexOf(d, id));
            return 0;
        case WM_LBUTTONUP: {
            if (!c.pressed) return 0;
            c.pressed = false;
            if (buttonType(c) == BS_AUTOCHECKBOX) {
                SendMessageA(self, BM_SETCHECK, c.check ? BST_UNCHECKED : BST_CHECKED, 0);
            } else if (buttonType(c) == BS_AUTORADIOBUTTON) {
                for (int member : groupOf(d, indexOf(d, id))) {
                    const Control& other = d.controls[member];
                    if (isRadio(other)) SendMessageA(other.window, BM_SETCHECK, other.window == self, 0);
                }
            }
            notifyParent(d.window, id, BN_CLICKED, self);
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            if (c.style & BS_NOTIFY) notifyParent(d.window, id, BN_DOUBLECLICKED, self);
            return 0;
        case WM_SETFOCUS:
            if (c.style & BS_NOTIFY) notifyParent(d.window, id, BN_SETFOCUS, self);
            return 0;
        case WM_KILLFOCUS:
            c.pressed = false;
            if (c.style & BS_NOTIFY) notifyParent(d.window, id, BN_KILLFOCUS, self);
            return 0;
        default:
            return 0;
    }
}

LRESULT staticMessage(Dialog& d, Control& c, UINT message) {
    if (!(c.style & SS_NOTIFY)) return 0;  // a plain static lets the mouse through
    if (message == WM_LBUTTONDOWN) notifyParent(d.window, c.from.id, STN_CLICKED, c.window);
    if (message == WM_LBUTTONDBLCLK) notifyParent(d.window, c.from.id, STN_DBLCLK, c.window);
    return 0;
}

LRESULT CALLBACK controlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
    Dialog* d = nullptr;
    Control* c = controlOf(window, &d);
    if (!c) return 0;
    if (isButton(*c)) return buttonMessage(*d, *c, message, wParam);
    if (isStatic(*c)) return staticMessage(*d, *c, message);
    return 0;
}

// The dialog procedure first; what it leaves (answers 0 to) gets the platform's default
// dialog handling, of which only the close request matters here.
LRESULT CALLBACK dialogWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* d = dialogOf(window);
    if (!d) return 0;
    INT_PTR answer = d->procedure ? d->procedure(window, message, wParam, lParam) : 0;
    if (answer == 0 && message == WM_CLOSE) {
        int cancel = indexOf(*d, IDCANCEL);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel >= 0 ? d->controls[cancel].window : nullptr));
    }
    return answer;
}

// The open, not yet ended dialog behind `window`; a loud failure otherwise.
Dialog* listenerDialog(HWND window, const char* action) {
    Dialog* d = dialogOf(window);
    if (!d || d->ended) {
        fail(std::string(action) + ": no dialog is open with that window" + (d ? " (it has ended)" : ""));
        return nullptr;
    }
    return d;
}

Control* listenerControl(HWND window, int id, const char* action, Dialog** owner = nullptr) {
    Dialog* d = listenerDialog(window, action);
    if (!d) return nullptr;
    int i = indexOf(*d, id);
    if (i < 0) {
        fail(std::string(action) + ": dialog " + std::to_string(d->resource) + " has no control " +
             std::to_string(id));
        return nullptr;
    }
    if (owner) *owner = d;
    return &d->controls[i];
}

// For the platform's own functions the plug-in calls: the control, or null with the
// platform's error; asking a dialog for a control it lacks is recorded as well.
Control* platformControl(HWND dialog, int id, const char* function) {
    Dialog* d = dialogOf(dialog);
    if (!d) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE_);
        fail(std::string(function) + ": not a dialog's window");
        return nullptr;
    }
    int i = indexOf(*d, id);
    if (i < 0) {
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND_);
        fail(std::string(function) + ": dialog " + std::to_string(d->resource) + " has no control " +
             std::to_string(id));
        return nullptr;
    }
    return &d->controls[i];
}

int resourceNumber(LPCSTR name) {
    if (!name) return -1;
    if (IS_INTRESOURCE(name)) return static_cast<int>(reinterpret_cast<uintptr_t>(name));
    if (name[0] == '#') return std::atoi(name + 1);
    return -1;
}

}  // namespace

namespace detail {

void resetDialogs() {
    // The windows went with the platform's reset.
    dialogs.clear();
    scripts.clear();
    records.clear();
    errors.clear();
}

}  // namespace detail

void whileDialogOpen(std::function<void(HWND dialog)> script) { scripts.push_back(std::move(script)); }
size_t dialogScriptsWaiting() { return scripts.size(); }

HWND openDialog() {
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it) {
        if (!it->ended) return it->window;
    }
    return nullptr;
}

const std::vector<DialogRecord>& dialogsShown() { return records; }
const std::vector<std::string>& dialogErrors() { return errors; }
void clearDialogErrors() { errors.clear(); }

std::vector<int> controlIds(HWND dialog) {
    std::vector<int> ids;
    if (Dialog* d = listenerDialog(dialog, "controlIds")) {
        for (const Control& c : d->controls) ids.push_back(c.from.id);
    }
    return ids;
}

bool hasControl(HWND dialog, int id) {
    Dialog* d = listenerDialog(dialog, "hasControl");
    return d && indexOf(*d, id) >= 0;
}

std::string controlClass(HWND dialog, int id) {
    Control* c = listenerControl(dialog, id, "controlClass");
    return c ? c->from.windowClass : "";
}

std::string controlText(HWND dialog, int id) {
    Control* c = listenerControl(dialog, id, "controlText");
    return c ? c->from.text : "";
}

int controlTextResource(HWND dialog, int id) {
    Control* c = listenerControl(dialog, id, "controlTextResource");
    return c ? c->from.textResource : 0;
}

DWORD controlStyle(HWND dialog, int id) {
    Control* c = listenerControl(dialog, id, "controlStyle");
    return c ? c->style : 0;
}

DWORD controlExStyle(HWND dialog, int id) {
    Control* c = listenerControl(dialog, id, "controlExStyle");
    return c ? c->from.exStyle : 0;
}

bool isChecked(HWND dialog, int id) {
    Control* c = listenerControl(dialog, id, "isChecked");
    return c && (c->check & 3) == BST_CHECKED;
}

int focusedControl(HWND dialog) {
    Dialog* d = listenerDialog(dialog, "focusedControl");
    return d && d->focus >= 0 ? d->controls[d->focus].from.id : 0;
}

void click(HWND dialog, int id) {
    Control* c = listenerControl(dialog, id, "click");
    if (!c) return;
    HWND window = c->window;
    if (isButton(*c)) {
        SendMessageA(window, BM_CLICK, 0, 0);
    } else {
        SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
        SendMessageA(window, WM_LBUTTONUP, 0, 0);
    }
}

void doubleClick(HWND dialog, int id) {
    Control* c = listenerControl(dialog, id, "doubleClick");
    if (!c) return;
    HWND window = c->window;
    // The platform's order: down, up, then the double click in place of the second down.
    SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
    SendMessageA(window, WM_LBUTTONUP, 0, 0);
    SendMessageA(window, WM_LBUTTONDBLCLK, 0, 0);
    SendMessageA(window, WM_LBUTTONUP, 0, 0);
}

void focus(HWND dialog, int id) {
    Dialog* d = nullptr;
    if (!listenerControl(dialog, id, "focus", &d)) return;
    moveFocus(*d, indexOf(*d, id));
}

void pressTab(HWND dialog, bool backwards) {
    Dialog* d = listenerDialog(dialog, "pressTab");
    if (!d) return;
    int next = nextTabStop(*d, backwards);
    if (next >= 0) moveFocus(*d, next);
}

void pressEscape(HWND dialog) {
    Dialog* d = listenerDialog(dialog, "pressEscape");
    if (!d) return;
    int cancel = indexOf(*d, IDCANCEL);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(cancel >= 0 ? d->controls[cancel].window : nullptr));
}

}  // namespace sim

using namespace sim;

extern "C" {

INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
    const int resource = resourceNumber(lpTemplateName);
    const DialogTemplate* found = hInstance == pluginInstance() ? dialogTemplate(resource) : nullptr;
    if (!found) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND_);
        fail("DialogBoxParamA: no dialog resource " + std::to_string(resource) + " in that module");
        return -1;
    }
    if (hWndParent && !IsWindow(hWndParent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE_);
        fail("DialogBoxParamA: the owner is not a window");
        return -1;
    }
    const DialogTemplate t = *found;

    dialogs.push_back(Dialog{});
    Dialog* d = &dialogs.back();
    HWND window = createWindow(dialogWindowProcedure, t.caption.c_str());
    d->window = window;
    d->procedure = lpDialogFunc;
    d->resource = resource;
    d->record = records.size();
    records.push_back(DialogRecord{resource, hWndParent, window, -1, now(), 0, false});
    for (const DialogControlTemplate& c : t.controls) {
        d->controls.push_back(Control{c, createWindow(controlProcedure, c.text.c_str()), c.style});
    }
    int first = nextTabStop(*d, false);
    HWND firstStop = first >= 0 ? d->controls[first].window : nullptr;
    // Answering TRUE asks the platform to put the focus on the first tab stop.
    if (SendMessageA(window, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstStop), dwInitParam) && !d->ended &&
        first >= 0) {
        moveFocus(*d, first);
    }
    pump();

    // The modal loop: the test's script stands for the listener until the dialog ends.
    // The dialog stays in place until the script returns, so nothing of it is taken away
    // under a procedure still running.
    if (!d->ended) {
        if (scripts.empty()) {
            fail("dialog " + std::to_string(resource) +
                 " opened with nothing scripted to do in it (sim::whileDialogOpen)");
        } else {
            std::function<void(HWND)> script = std::move(scripts.front());
            scripts.pop_front();
            if (script) script(window);
            pump();
            if (!d->ended) fail("dialog " + std::to_string(resource) + " is still open after its script ran out");
        }
    }
    INT_PTR result = d->ended ? d->result : -1;
    destroy(*d, result);
    return result;
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
    Dialog* d = dialogOf(hDlg);
    if (!d) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE_);
        return FALSE;
    }
    d->ended = true;
    d->result = nResult;
    return TRUE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    Dialog* d = dialogOf(hDlg);
    if (!d) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE_);
        return nullptr;
    }
    int i = indexOf(*d, nIDDlgItem);
    if (i < 0) {
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND_);
        return nullptr;
    }
    return d->controls[i].window;
}

LRESULT SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Control* c = platformControl(hDlg, nIDDlgItem, "SendDlgItemMessageA");
    return c ? SendMessageA(c->window, Msg, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    Control* c = platformControl(hDlg, nIDButton, "CheckDlgButton");
    if (!c) return FALSE;
    SendMessageA(c->window, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    Control* c = platformControl(hDlg, nIDButton, "IsDlgButtonChecked");
    return c ? static_cast<UINT>(SendMessageA(c->window, BM_GETCHECK, 0, 0)) : 0;
}

}  // extern "C"
