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

// The controls' identifiers, by what each one is.
enum Id {
    ENABLE = 1501, CLEAN = 1601, TRIM = 1602, ALWAYS_TRIM = 1011, BAND_12 = 1040, BAND_18 = 1041,
    BAND_24 = 1042, HOTKEY = 1502, KEYS_ARROWS = 1027, KEYS_PAGE = 1028, KEYS_HOME_END = 1029,
    KEYS_INS_DEL = 1030, KEYS_NUMPAD = 1031, MOD_LCTRL = 2001, MOD_RCTRL = 2002, MOD_LSHIFT = 2003,
    MOD_RSHIFT = 2004, MOD_LALT = 2005, MOD_RALT = 2006, TEXT_TRIM = 1012, TEXT_CLEAN = 1003, LOGO = 1008,
    GROUP_DATABASE = 1013, GROUP_HOTKEYS = 1014, WIN95 = 1048,
};

constexpr DWORD FLAT_CHECK_BOX = WS_TABSTOP | BS_AUTOCHECKBOX | BS_FLAT;
constexpr DWORD DATABASE_BUTTON = WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_FLAT | BS_CENTER | BS_VCENTER;
constexpr DWORD KEY_PRESET = WS_TABSTOP | BS_AUTORADIOBUTTON | BS_NOTIFY;

const ControlRow CONTROLS[] = {
    {IDOK, "Button", "OK", 125, 5, 45, 14, WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
    {ENABLE, "Button", "Enable Loudmark", 25, 5, 89, 14, FLAT_CHECK_BOX | BS_LEFT | BS_VCENTER, 0},
    {CLEAN, "Button", "Clean Volume Database", 10, 30, 54, 25, DATABASE_BUTTON, WS_EX_CLIENTEDGE},
    {TRIM, "Button", "Trim Volume Database", 10, 60, 54, 25, DATABASE_BUTTON, WS_EX_CLIENTEDGE},
    {ALWAYS_TRIM, "Button", "Always trim", 70, 77, 50, 10, FLAT_CHECK_BOX, 0},
    {BAND_12, "Button", "12%", 130, 59, 25, 10, WS_GROUP | BS_AUTORADIOBUTTON | BS_FLAT, 0},
    {BAND_18, "Button", "18%", 130, 69, 25, 10, BS_AUTORADIOBUTTON | BS_FLAT, 0},
    {BAND_24, "Button", "24%", 130, 79, 25, 10, BS_AUTORADIOBUTTON | BS_FLAT, 0},
    {HOTKEY, "Button", "HotKey", 10, 95, 35, 10, FLAT_CHECK_BOX | BS_LEFTTEXT | BS_LEFT | BS_VCENTER, WS_EX_TRANSPARENT},
    {KEYS_ARROWS, "Button", "Up, Down", 10, 105, 47, 10, WS_GROUP | KEY_PRESET, 0},
    {KEYS_PAGE, "Button", "PgUp, PgDn", 10, 115, 54, 10, KEY_PRESET, 0},
    {KEYS_HOME_END, "Button", "Home, End", 10, 125, 51, 10, KEY_PRESET, 0},
    {KEYS_INS_DEL, "Button", "Ins, Del", 10, 135, 42, 10, KEY_PRESET, 0},
    {KEYS_NUMPAD, "Button", "Num+, Num-", 10, 145, 58, 10, KEY_PRESET, 0},
    {MOD_LCTRL, "Button", "L-Ctrl", 90, 125, 35, 10, FLAT_CHECK_BOX, 0},
    {MOD_LSHIFT, "Button", "L-Shift", 90, 136, 35, 10, FLAT_CHECK_BOX, 0},
    {MOD_LALT, "Button", "L-Alt", 90, 146, 35, 10, FLAT_CHECK_BOX, 0},
    {MOD_RCTRL, "Button", "R-Ctrl", 125, 125, 35, 10, FLAT_CHECK_BOX, 0},
    {MOD_RSHIFT, "Button", "R-Shift", 125, 136, 35, 10, FLAT_CHECK_BOX, 0},
    {MOD_RALT, "Button", "R-Alt", 125, 146, 35, 10, FLAT_CHECK_BOX, 0},
    {TEXT_TRIM, "Static", "Delete volume records within middle", 70, 60, 55, 15, SS_LEFT, 0},
    {TEXT_CLEAN, "Static", "Check against the current playlist and remove absent entries in volume database", 70, 30, 95,
     26, SS_LEFT, 0},
    {LOGO, "Static", nullptr, 1, 0, 20, 20, SS_ICON | SS_NOTIFY, 0},
    {GROUP_DATABASE, "Button", "Database", 5, 20, 165, 70, BS_GROUPBOX, 0},
    {GROUP_HOTKEYS, "Button", "", 5, 95, 165, 65, BS_GROUPBOX, 0},
    {WIN95, "Button", "Win95 Mode", 90, 110, 50, 10, FLAT_CHECK_BOX, 0},
};

constexpr size_t CONTROL_COUNT = sizeof CONTROLS / sizeof CONTROLS[0];

}  // namespace ConfigDialogTable
