// The test side of the simulated dialogs. A dialog is built from the DIALOGEX template
// of the resource script loaded with sim::loadResourceScript, the same script the DLL is
// built from. DialogBoxParamA runs it modally: WM_INITDIALOG, then the test's script of
// what the listener does while it is open, then back to the caller once EndDialog has
// been called. The listener's clicks, focus moves and keys arrive through the controls'
// own window procedures, as on the platform.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Window, dialog, button and static styles, with the platform's names and values. The
// plug-in never needs them; the script reader and the tests do.
#ifndef WS_POPUP
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L

#define DS_SYSMODAL 0x0002L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_SETFOREGROUND 0x0200L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L

#define BS_PUSHBUTTON 0x0000L
#define BS_DEFPUSHBUTTON 0x0001L
#define BS_CHECKBOX 0x0002L
#define BS_AUTOCHECKBOX 0x0003L
#define BS_RADIOBUTTON 0x0004L
#define BS_3STATE 0x0005L
#define BS_AUTO3STATE 0x0006L
#define BS_GROUPBOX 0x0007L
#define BS_AUTORADIOBUTTON 0x0009L
#define BS_TYPEMASK 0x000FL
#define BS_LEFTTEXT 0x0020L
#define BS_LEFT 0x0100L
#define BS_RIGHT 0x0200L
#define BS_CENTER 0x0300L
#define BS_TOP 0x0400L
#define BS_BOTTOM 0x0800L
#define BS_VCENTER 0x0C00L
#define BS_PUSHLIKE 0x1000L
#define BS_MULTILINE 0x2000L
#define BS_NOTIFY 0x4000L
#define BS_FLAT 0x8000L

#define SS_LEFT 0x0000L
#define SS_CENTER 0x0001L
#define SS_RIGHT 0x0002L
#define SS_ICON 0x0003L
#define SS_TYPEMASK 0x001FL
#define SS_NOTIFY 0x0100L

#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_TRANSPARENT 0x00000020L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_STATICEDGE 0x00020000L

#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_ENGLISH_US 0x01
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#define DEFAULT_CHARSET 1

#define BST_INDETERMINATE 0x0002
#define BN_DOUBLECLICKED 5
#endif

namespace sim {

// ---------------------------------------------------------------------------
// Templates, as the resource script declares them

struct DialogControlTemplate {
    int id;
    std::string windowClass;  // as written: "Button", "Static", ...
    std::string text;         // empty when the text is a resource number
    int textResource;         // that number (an SS_ICON static's icon), else 0
    DWORD style;              // WS_CHILD | WS_VISIBLE included, as the compiler adds them
    DWORD exStyle;
    int x, y, width, height;  // dialog units
    DWORD helpId;
    int line;                 // in the script
};

struct DialogTemplate {
    int resource;
    WORD language;  // MAKELANGID of the LANGUAGE in force, 0 when none
    std::string caption;
    DWORD style;  // DS_SETFONT included when there is a FONT, as the compiler adds it
    DWORD exStyle;
    int x, y, width, height;
    DWORD helpId;
    int pointSize;  // 0 when there is no FONT
    std::string typeface;
    int weight;
    bool italic;
    int charset;
    std::vector<DialogControlTemplate> controls;  // in template order
};

// The dialog template numbered `resource` in the loaded resource script, or null. Read
// afresh at every call; the pointer holds until the next call.
const DialogTemplate* dialogTemplate(int resource);
// What the reader could not make sense of in the script ("loudmark.rc:42: ..."); a
// template with a problem is still built from the lines it could read.
std::vector<std::string> dialogScriptProblems();

// ---------------------------------------------------------------------------
// Running dialogs

// What the listener does while the next dialog is open, one script per opening, used in
// the order given. The script gets the dialog's window. A dialog that opens with no
// script left, or is still open when its script has returned, is closed by force:
// DialogBoxParamA answers -1 and the failure is recorded in dialogErrors().
void whileDialogOpen(std::function<void(HWND dialog)> script);
// Scripts no dialog has taken yet. One left when a test ends was written for a dialog
// that never opened: the test runner fails the test for it.
size_t dialogScriptsWaiting();
// The innermost dialog that is open and not yet ended, or null.
HWND openDialog();

struct DialogRecord {
    int resource;
    HWND owner;
    HWND window;
    INT_PTR result;  // what DialogBoxParamA answered; -1 until then
    uint32_t openedAtMs;
    uint32_t closedAtMs;
    bool closed;
};
const std::vector<DialogRecord>& dialogsShown();

// Everything that went wrong around dialogs: scripts that ran out or were missing, a
// template not found, a control asked for that the dialog does not have, a listener
// acting on a dialog that is no longer open. A test that passes leaves this empty.
const std::vector<std::string>& dialogErrors();
void clearDialogErrors();

// ---------------------------------------------------------------------------
// The listener's eyes on an open dialog

std::vector<int> controlIds(HWND dialog);  // in template order
bool hasControl(HWND dialog, int id);
std::string controlClass(HWND dialog, int id);
std::string controlText(HWND dialog, int id);
int controlTextResource(HWND dialog, int id);  // the icon an SS_ICON static shows
DWORD controlStyle(HWND dialog, int id);       // as it is now (radio buttons' WS_TABSTOP moves)
DWORD controlExStyle(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
int focusedControl(HWND dialog);  // 0 while no control has the focus

// ---------------------------------------------------------------------------
// The listener's hands

// A mouse click: a button takes the focus and then acts (an auto check box flips, an
// auto radio button is selected and clears the others of its group); a static with
// SS_NOTIFY reports STN_CLICKED.
void click(HWND dialog, int id);
void doubleClick(HWND dialog, int id);  // on a static with SS_NOTIFY: STN_DBLCLK
// The keyboard focus moves to the control (BS_NOTIFY buttons report losing and gaining it).
void focus(HWND dialog, int id);
// Tab (or Shift+Tab): the focus moves to the next (previous) visible, enabled control
// with WS_TABSTOP, in template order, round the end.
void pressTab(HWND dialog, bool backwards = false);
// Escape: the dialog gets WM_COMMAND IDCANCEL.
void pressEscape(HWND dialog);

}  // namespace sim
