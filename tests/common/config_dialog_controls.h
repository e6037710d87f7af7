// The configuration dialog as the listener must find it: every control in template (and
// tab) order, with the identifiers, texts, places and styles it is specified with. Written
// out here rather than taken from the resource header, so that a wrong number there
// shows. Shared by the simulated-platform tests and the end-to-end host under Wine;
// include it after the headers that define the button and static styles.
#pragma once

#include <cstddef>

namespace ConfigDialogTable {

struct ControlRow {
    int id;
    const char* windowClass;
    const char* text;  // null: the logo, which shows icon 102
    int x, y, width, height;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE
    DWORD exStyle;
};

constexpr DWORD FLAT_CHECK_BOX = WS_TABSTOP | BS_AUTOCHECKBOX | BS_FLAT;
constexpr DWORD DATABASE_BUTTON = WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_FLAT | BS_CENTER | BS_VCENTER;
constexpr DWORD KEY_PRESET = WS_TABSTOP | BS_AUTORADIOBUTTON | BS_NOTIFY;

const ControlRow CONTROLS[] = {
    {IDOK, "Button", "OK", 125, 5, 45, 14, WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {1501, "Button", "Enable Loudmark", 25, 5, 89, 14, FLAT_CHECK_BOX | BS_LEFT | BS_VCENTER, 0},
    {1601, "Button", "Clean Volume Database", 10, 30, 54, 25, DATABASE_BUTTON, WS_EX_CLIENTEDGE},
    {1602, "Button", "Trim Volume Database", 10, 60, 54, 25, DATABASE_BUTTON, WS_EX_CLIENTEDGE},
    {1011, "Button", "Always trim", 70, 77, 50, 10, FLAT_CHECK_BOX, 0},
    {1040, "Button", "12%", 130, 59, 25, 10, WS_GROUP | BS_AUTORADIOBUTTON | BS_FLAT, 0},
    {1041, "Button", "18%", 130, 69, 25, 10, BS_AUTORADIOBUTTON | BS_FLAT, 0},
    {1042, "Button", "24%", 130, 79, 25, 10, BS_AUTORADIOBUTTON | BS_FLAT, 0},
    {1502, "Button", "HotKey", 10, 95, 35, 10, FLAT_CHECK_BOX | BS_LEFTTEXT | BS_LEFT | BS_VCENTER, WS_EX_TRANSPARENT},
    {1027, "Button", "Up, Down", 10, 105, 47, 10, WS_GROUP | KEY_PRESET, 0},
    {1028, "Button", "PgUp, PgDn", 10, 115, 54, 10, KEY_PRESET, 0},
    {1029, "Button", "Home, End", 10, 125, 51, 10, KEY_PRESET, 0},
    {1030, "Button", "Ins, Del", 10, 135, 42, 10, KEY_PRESET, 0},
    {1031, "Button", "Num+, Num-", 10, 145, 58, 10, KEY_PRESET, 0},
    {2001, "Button", "L-Ctrl", 90, 125, 35, 10, FLAT_CHECK_BOX, 0},
    {2003, "Button", "L-Shift", 90, 136, 35, 10, FLAT_CHECK_BOX, 0},
    {2005, "Button", "L-Alt", 90, 146, 35, 10, FLAT_CHECK_BOX, 0},
    {2002, "Button", "R-Ctrl", 125, 125, 35, 10, FLAT_CHECK_BOX, 0},
    {2004, "Button", "R-Shift", 125, 136, 35, 10, FLAT_CHECK_BOX, 0},
    {2006, "Button", "R-Alt", 125, 146, 35, 10, FLAT_CHECK_BOX, 0},
    {1012, "Static", "Delete volume records within middle", 70, 60, 55, 15, SS_LEFT, 0},
    {1003, "Static", "Check against the current playlist and remove absent entries in volume database", 70, 30, 95,
     26, SS_LEFT, 0},
    {1008, "Static", nullptr, 1, 0, 20, 20, SS_ICON | SS_NOTIFY, 0},
    {1013, "Button", "Database", 5, 20, 165, 70, BS_GROUPBOX, 0},
    {1014, "Button", "", 5, 95, 165, 65, BS_GROUPBOX, 0},
    {1048, "Button", "Win95 Mode", 90, 110, 50, 10, FLAT_CHECK_BOX, 0},
};

constexpr size_t CONTROL_COUNT = sizeof CONTROLS / sizeof CONTROLS[0];

}  // namespace ConfigDialogTable
