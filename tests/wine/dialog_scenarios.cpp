#include "dialog_scenarios.h"

#include <windows.h>

#include <vector>

#include "../common/config_dialog_controls.h"
#include "dialog_driver.h"
#include "host_files.h"
#include "host_player.h"
#include "plugin_record_view.h"

namespace DialogScenarios {

namespace {

constexpr int IDD_CONFIG = 2;
constexpr char CAPTION[] = "Configure Loudmark";
constexpr DWORD DIALOG_STYLE =
    WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_SETFOREGROUND | DS_SYSMODAL;
// Before the first look at the dialog: time for a screenshot of it untouched.
constexpr int IDLE_STEPS_FIRST = 5;
constexpr int IDLE_STEPS_AT_END = 10;

using namespace ConfigDialogTable;

Check check = nullptr;

void checkEqual(long long actual, long long expected, const std::string& what) {
    check(actual == expected,
          what + (actual == expected ? "" : ": got " + std::to_string(actual) + ", want " + std::to_string(expected)));
}

void checkEqual(const std::string& actual, const std::string& expected, const std::string& what) {
    check(actual == expected, what + (actual == expected ? "" : ": got \"" + actual + "\", want \"" + expected + "\""));
}

std::string lower(std::string text) {
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// ---------------------------------------------------------------------------
// The compiled template, read from the module's resources as the platform reads it

struct TemplateReader {
    const BYTE* at;
    const BYTE* end;
    bool overrun = false;

    template <typename T>
    T take() {
        T value{};
        if (at + sizeof(T) > end) {
            overrun = true;
            return value;
        }
        CopyMemory(&value, at, sizeof(T));
        at += sizeof(T);
        return value;
    }
    // A string, or an ordinal written "#n".
    std::string nameOrOrdinal() {
        if (at + 2 <= end && at[0] == 0xFF && at[1] == 0xFF) {
            at += 2;
            return "#" + std::to_string(take<WORD>());
        }
        std::string text;
        for (WCHAR c = take<WCHAR>(); c != 0 && !overrun; c = take<WCHAR>()) text += static_cast<char>(c);
        return text;
    }
    void alignToDword(const BYTE* base) {
        while ((at - base) % 4 != 0) ++at;
    }
};

// The class as the template names it: an atom of the system classes or a name.
std::string className(const std::string& raw) {
    if (raw == "#128") return "button";
    if (raw == "#130") return "static";
    return lower(raw);
}

void checkCompiledTemplate(HMODULE module) {
    HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(IDD_CONFIG),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    check(found != nullptr, "dialog resource 2 is there in English (United States)");
    if (found == nullptr) return;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    TemplateReader r{base, base + SizeofResource(module, found)};
    checkEqual(r.take<WORD>(), 1, "an extended template");
    checkEqual(r.take<WORD>(), 0xFFFF, "its signature");
    checkEqual(r.take<DWORD>(), 0, "help id 0");
    checkEqual(r.take<DWORD>(), 0, "no extended styles");
    checkEqual(r.take<DWORD>(), DIALOG_STYLE, "the dialog's styles, WS_SYSMENU not among them");
    const WORD count = r.take<WORD>();
    checkEqual(count, static_cast<long long>(CONTROL_COUNT), "26 controls");
    r.take<short>();
    r.take<short>();
    const short width = r.take<short>();
    const short height = r.take<short>();
    check(width == 175 && height == 166, "175 x 166 dialog units");
    checkEqual(r.nameOrOrdinal(), "", "no menu");
    checkEqual(r.nameOrOrdinal(), "", "the default dialog class");
    checkEqual(r.nameOrOrdinal(), CAPTION, "the caption");
    checkEqual(r.take<WORD>(), 8, "8 point");
    checkEqual(r.take<WORD>(), 0, "weight 0");
    checkEqual(r.take<BYTE>(), 0, "not italic");
    checkEqual(r.take<BYTE>(), DEFAULT_CHARSET, "DEFAULT_CHARSET");
    checkEqual(r.nameOrOrdinal(), "Verdana", "Verdana");

    int exact = 0;
    for (size_t i = 0; i < count && i < CONTROL_COUNT && !r.overrun; ++i) {
        const ControlRow& want = CONTROLS[i];
        r.alignToDword(base);
        DWORD helpId = r.take<DWORD>();
        DWORD exStyle = r.take<DWORD>();
        DWORD style = r.take<DWORD>();
        short x = r.take<short>(), y = r.take<short>(), cx = r.take<short>(), cy = r.take<short>();
        DWORD id = r.take<DWORD>();
        std::string windowClass = className(r.nameOrOrdinal());
        std::string text = r.nameOrOrdinal();
        WORD extra = r.take<WORD>();
        r.at += extra;
        std::string wantText = want.text ? want.text : "#102";
        bool same = helpId == 0 && exStyle == want.exStyle && style == (WS_CHILD | WS_VISIBLE | want.style) &&
                    x == want.x && y == want.y && cx == want.width && cy == want.height &&
                    id == static_cast<DWORD>(want.id) && windowClass == lower(want.windowClass) &&
                    text == wantText && extra == 0;
        if (!same) check(false, "template control " + std::to_string(i + 1) + " (" + wantText + ") as the table says");
        exact += same;
    }
    checkEqual(exact, static_cast<long long>(CONTROL_COUNT), "every control in the template exactly as the table says");
}

// ---------------------------------------------------------------------------
// The live dialog

std::string windowText(HWND window) {
    char buffer[256] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

void checkLiveControls(HWND dialog) {
    checkEqual(windowText(dialog), CAPTION, "the dialog's caption");
    const LONG_PTR style = GetWindowLongPtrA(dialog, GWL_STYLE);
    check((style & WS_CAPTION) == WS_CAPTION && !(style & WS_SYSMENU), "a caption and no system menu");

    // Children in creation order, which is template order.
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    checkEqual(static_cast<long long>(children.size()), static_cast<long long>(CONTROL_COUNT), "26 controls on screen");
    int matching = 0;
    for (size_t i = 0; i < children.size() && i < CONTROL_COUNT; ++i) {
        const ControlRow& want = CONTROLS[i];
        HWND child = children[i];
        char windowClass[64] = "";
        GetClassNameA(child, windowClass, sizeof windowClass);
        // The platform moves WS_TABSTOP with a radio button's check, and the dialog
        // manager gives every control WS_EX_NOPARENTNOTIFY.
        DWORD wantStyle = WS_CHILD | WS_VISIBLE | want.style;
        DWORD gotStyle = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
        if ((want.style & 0xF) == BS_AUTORADIOBUTTON && lower(want.windowClass) == "button") {
            wantStyle &= ~WS_TABSTOP;
            gotStyle &= ~WS_TABSTOP;
        }
        DWORD gotEx = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_EXSTYLE)) & ~WS_EX_NOPARENTNOTIFY;
        bool textOk = want.text ? windowText(child) == want.text
                                : SendMessageA(child, STM_GETICON, 0, 0) != 0;  // the logo shows an icon
        bool same = GetDlgCtrlID(child) == want.id && lower(windowClass) == lower(want.windowClass) && textOk &&
                    gotStyle == wantStyle && gotEx == want.exStyle;
        if (!same) {
            check(false, "control " + std::to_string(i + 1) + " (id " + std::to_string(GetDlgCtrlID(child)) + ", " +
                             windowClass + ", \"" + windowText(child) + "\", style " + std::to_string(gotStyle) +
                             ", ex " + std::to_string(gotEx) + ") as the table says");
        }
        matching += same;
    }
    checkEqual(matching, static_cast<long long>(CONTROL_COUNT),
               "every control on screen with its identifier, class, text and style");
}

std::vector<int> checkedBoxes(HWND dialog) {
    std::vector<int> ids;
    for (const ControlRow& row : CONTROLS) {
        if (IsDlgButtonChecked(dialog, row.id) == BST_CHECKED) ids.push_back(row.id);
    }
    return ids;
}

std::string idList(const std::vector<int>& ids) {
    std::string out;
    for (int id : ids) out += (out.empty() ? "" : " ") + std::to_string(id);
    return out;
}

using DialogDriver::click;
using DialogDriver::clickStatic;

std::string settingsPath;

}  // namespace

void session(Check checkFunction, const std::string& builtDll, const std::string& folder) {
    check = checkFunction;
    const std::string markerPath = folder + "\\dialog-open";
    DeleteFileA(markerPath.c_str());
    settingsPath = folder + "\\plugin.ini";
    const std::string databasePath = folder + "\\volume.ini";

    // The player's playlist, and a database that remembers one song no longer on it.
    const std::string music = folder + "\\music";
    CreateDirectoryA(music.c_str(), nullptr);
    HostFiles::write(music + "\\kept.mp3", std::string(1000, 'x'));
    HostPlayer::setPlaylist({{music + "\\kept.mp3", 60000}});
    HostFiles::write(databasePath, "[Tamsel Loudmark]\r\n\"kept.mp3[1000]\"=300\r\n\"gone.mp3[1000]\"=300\r\n");

    const std::string path = folder + "\\gen_loudmark.dll";
    CopyFileA(builtDll.c_str(), path.c_str(), FALSE);
    HMODULE module = LoadLibraryA(path.c_str());
    check(module != nullptr, "the module loads");
    if (module == nullptr) return;
    checkCompiledTemplate(module);

    GetPluginRecord getPlugin = findPluginExport(module);
    PluginRecordView* record = getPlugin ? getPlugin() : nullptr;
    check(record != nullptr, "the record");
    if (record == nullptr) return;
    record->hwndParent = HostPlayer::window();
    record->hDllInstance = module;
    record->init();  // no settings file: the defaults, hotkeys on Ctrl+Up and Ctrl+Down

    DialogDriver::Session listener;
    listener.caption = CAPTION;
    listener.idleTicksFirst = IDLE_STEPS_FIRST;
    listener.idleTicksAtEnd = IDLE_STEPS_AT_END;
    // Tells a screenshot taker outside that the dialog is up and untouched.
    listener.onOpen = [markerPath](HWND) { HostFiles::write(markerPath, "open\r\n"); };
    listener.steps = {
        [](HWND dialog) {
            checkLiveControls(dialog);
            checkEqual(idList(checkedBoxes(dialog)),
                       idList({ENABLE, BAND_12, HOTKEY, KEYS_ARROWS, MOD_LCTRL, MOD_RCTRL}),
                       "the defaults shown: 12%, \"Up, Down\", both Ctrl keys");
            click(dialog, KEYS_PAGE);
        },
        [](HWND dialog) { click(dialog, BAND_18); },
        [](HWND dialog) {
            check(IsDlgButtonChecked(dialog, KEYS_PAGE) && !IsDlgButtonChecked(dialog, KEYS_ARROWS),
                  "a click selects \"PgUp, PgDn\" and clears \"Up, Down\"");
            check(IsDlgButtonChecked(dialog, BAND_18) && !IsDlgButtonChecked(dialog, BAND_12) &&
                      IsDlgButtonChecked(dialog, KEYS_PAGE),
                  "\"18%\" selected in its own group, the key presets left alone");
            click(dialog, MOD_RCTRL);
        },
        [](HWND dialog) {
            check(IsDlgButtonChecked(dialog, MOD_LCTRL) && !IsDlgButtonChecked(dialog, MOD_RCTRL),
                  "without Win95 mode R-Ctrl clears alone");
            click(dialog, WIN95);
        },
        [](HWND dialog) {
            check(IsDlgButtonChecked(dialog, WIN95) && IsDlgButtonChecked(dialog, MOD_RCTRL),
                  "Win95 mode on ticks R-Ctrl beside L-Ctrl");
            click(dialog, MOD_LCTRL);
        },
        [](HWND dialog) {
            check(!IsDlgButtonChecked(dialog, MOD_LCTRL) && !IsDlgButtonChecked(dialog, MOD_RCTRL),
                  "in Win95 mode clearing L-Ctrl clears R-Ctrl");
            PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        },
        [](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "Escape leaves the dialog open");
            click(dialog, CLEAN);
        },
        [](HWND dialog) { clickStatic(dialog, LOGO); },
        [](HWND dialog) {
            DialogDriver::answerNextBox(IDNO);
            click(dialog, IDOK);
        },
        [](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "after No to the question the dialog is still open");
            check(!HostFiles::exists(settingsPath), "and nothing has been saved");
            click(dialog, MOD_RALT);
        },
        [](HWND dialog) {
            check(IsDlgButtonChecked(dialog, MOD_LALT) != 0, "R-Alt ticks L-Alt too");
            click(dialog, IDOK);
        },
    };
    const DialogDriver::Outcome outcome = DialogDriver::run(listener, [record] { record->config(); });
    const HWND seenDialog = outcome.dialog;
    const std::vector<DialogDriver::Box>& boxes = outcome.boxes;

    check(seenDialog != nullptr, "config opened the dialog");
    checkEqual(static_cast<long long>(outcome.stepsRun), static_cast<long long>(listener.steps.size()),
               "every step of the session ran");
    if (outcome.closedByDriver) check(false, "the dialog closed after the last OK");
    check(!IsWindow(seenDialog), "config returned with the dialog closed");
    checkEqual(static_cast<long long>(boxes.size()), 3, "three message boxes");
    if (boxes.size() == 3) {
        checkEqual(boxes[0].text, "Volume database cleaned.", "the Clean notice");
        checkEqual(boxes[0].caption, "Done", "its caption");
        check(boxes[0].owner == seenDialog && !boxes[0].yesNo, "owned by the dialog, one OK button");
        checkEqual(boxes[1].caption, "About", "the logo's About box");
        const std::string& about = boxes[1].text;
        check(about.size() > 8 && about.compare(about.size() - 7, 7, "Thanks!") == 0 &&
                  about.find('<') != std::string::npos && about.find("Loudmark") != std::string::npos,
              "the credit names Loudmark, a contact in angle brackets, and ends \"Thanks!\"");
        checkEqual(boxes[2].text, "No modifiers specified.\nAre you sure you want to proceed?", "the question");
        checkEqual(boxes[2].caption, "Warning", "its caption");
        check(boxes[2].owner == seenDialog && boxes[2].yesNo, "owned by the dialog, Yes and No");
    }
    checkEqual(HostFiles::read(databasePath), "[Tamsel Loudmark]\r\n\"kept.mp3[1000]\"=300\r\n",
               "Clean kept the record of the song on the playlist only");
    checkEqual(HostFiles::read(settingsPath),
               "[Tamsel Loudmark]\r\n\"Enabled\"=1\r\n\"Trim\"=0\r\n\"TrimTo\"=2\r\n\"Hotkey\"=1\r\n\"UpMod\"=48\r\n"
               "\"UpKey\"=33\r\n\"DownMod\"=48\r\n\"DownKey\"=34\r\n",
               "OK saved all eight settings through the real profile functions");

    // Alt+PgUp is ours now, Ctrl+Up free again.
    check(!RegisterHotKey(nullptr, 77, MOD_ALT, VK_PRIOR) && GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED,
          "the new up hotkey is registered");
    bool ctrlUpFree = RegisterHotKey(nullptr, 78, MOD_CONTROL, VK_UP) != FALSE;
    if (ctrlUpFree) UnregisterHotKey(nullptr, 78);
    check(ctrlUpFree, "the old one is not");

    record->quit();
    FreeLibrary(module);
    HostPlayer::stop();
}

}  // namespace DialogScenarios
