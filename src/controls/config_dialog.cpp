#include "controls/config_dialog.h"

#include "controls/hotkey_control.h"
#include "controls/resource_ids.h"
#include "controls/tray_indicator.h"
#include "adapters/host_link.h"
#include "adapters/settings_store.h"
#include "memory/database_maintenance.h"
#include "memory/song_tracker.h"

namespace ConfigDialog {

namespace {

void (*hookOnHostWindow)() = nullptr;

struct KeyPreset {
    int button;
    int upKey;
    int downKey;
};

constexpr KeyPreset KEY_PRESETS[] = {
    {IDC_KEYS_ARROWS, VK_UP, VK_DOWN},     {IDC_KEYS_PAGE, VK_PRIOR, VK_NEXT},
    {IDC_KEYS_HOME_END, VK_HOME, VK_END},  {IDC_KEYS_INS_DEL, VK_INSERT, VK_DELETE},
    {IDC_KEYS_NUMPAD, VK_ADD, VK_SUBTRACT},
};

constexpr int MODIFIER_BOXES = 6;  // IDC_MOD_LCTRL + bit index

constexpr char ABOUT_TEXT[] =
    "Loudmark, by the Loudmark project\n"
    "Please send problem reports and ideas to\n"
    "<loudmark-bugs@example.org>\n"
    "Thanks!";

void show(HWND dialog, int control, int on) { CheckDlgButton(dialog, control, on ? BST_CHECKED : BST_UNCHECKED); }
bool ticked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

int partnerOf(int modifierBox) {
    // Left and right boxes of one modifier are neighbours: 2001/2002, 2003/2004, 2005/2006.
    return ((modifierBox - IDC_MOD_LCTRL) % 2 == 0) ? modifierBox + 1 : modifierBox - 1;
}

void applyKeyPreset(int button) {
    for (const KeyPreset& preset : KEY_PRESETS) {
        if (preset.button == button) {
            settings.upKey = preset.upKey;
            settings.downKey = preset.downKey;
        }
    }
}

void pairModifierBoxes(HWND dialog) {
    for (int left = IDC_MOD_LCTRL; left <= IDC_MOD_LALT; left += 2) {
        if (ticked(dialog, left) || ticked(dialog, left + 1)) {
            show(dialog, left, 1);
            show(dialog, left + 1, 1);
        }
    }
}

void notifyDone(HWND dialog, const char* text) { MessageBoxA(dialog, text, "Done", MB_ICONINFORMATION | MB_OK); }

// A pass that could not finish has left the database as it was, and must not say "Done".
void notifyPass(HWND dialog, bool done, const char* doneText, const char* failedText) {
    if (done) {
        notifyDone(dialog, doneText);
    } else {
        MessageBoxA(dialog, failedText, "Warning", MB_ICONWARNING | MB_OK);
    }
}

constexpr char CLEAN_FAILED[] =
    "The volume database could not be cleaned: it could not be read, or its new copy could not be "
    "written or put in its place.\nIt is as it was; nothing was lost.";
constexpr char TRIM_FAILED[] =
    "The volume database could not be trimmed: it could not be read, or its new copy could not be "
    "written or put in its place.\nIt is as it was; nothing was lost.";

// False when the listener would rather not go on without modifier keys.
bool applyHotkeys(HWND dialog) {
    if (ticked(dialog, IDC_HOTKEY)) {
        if (settings.upMod == 0 &&
            MessageBoxA(dialog, "No modifiers specified.\nAre you sure you want to proceed?", "Warning",
                        MB_SYSTEMMODAL | MB_ICONERROR | MB_YESNO) == IDNO) {
            return false;
        }
        settings.hotkey = 1;
        HotkeyControl::unregisterHotkeys();
        HotkeyControl::registerHotkeys();
    } else if (settings.hotkey) {
        settings.hotkey = 0;
        HotkeyControl::unregisterHotkeys();
    }
    return true;
}

void applyEnable(HWND dialog) {
    bool wanted = ticked(dialog, IDC_ENABLE);
    if (wanted && !settings.enabled) {
        settings.enabled = 1;
        // Start-up found the plug-in off and put nothing on the host's window.
        if (hookOnHostWindow != nullptr) hookOnHostWindow();
        SongTracker::start();
        TrayIndicator::add();
    } else if (!wanted && settings.enabled) {
        settings.enabled = 0;
        SongTracker::stop();
        TrayIndicator::remove();
    }
}

}  // namespace

void run(HINSTANCE module, void (*ensureHook)()) {
    hookOnHostWindow = ensureHook;
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_CONFIG), HostLink::window(), dialogProc, 0);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            onInitDialog(dialog);
            break;
        case WM_COMMAND:
            // Every notification counts as the control's command: the key presets' focus
            // reports apply their preset just as a click does.
            onCommand(dialog, LOWORD(wParam));
            break;
        default:
            break;
    }
    return 0;
}

void onInitDialog(HWND dialog) {
    show(dialog, IDC_ENABLE, settings.enabled);
    show(dialog, IDC_ALWAYS_TRIM, settings.trim);
    int band = settings.trimTo == 3 ? IDC_BAND_24 : settings.trimTo == 2 ? IDC_BAND_18 : IDC_BAND_12;
    show(dialog, band, 1);
    show(dialog, IDC_HOTKEY, settings.hotkey);
    int preset = IDC_KEYS_ARROWS;
    for (const KeyPreset& candidate : KEY_PRESETS) {
        if (candidate.upKey == settings.upKey) preset = candidate.button;
    }
    show(dialog, preset, 1);
    for (int bit = 0; bit < MODIFIER_BOXES; ++bit) show(dialog, IDC_MOD_LCTRL + bit, (settings.upMod >> bit) & 1);
    show(dialog, IDC_WIN95, HotkeyControl::state.win95Mode);
}

void onCommand(HWND dialog, int controlId) {
    switch (controlId) {
        case IDOK:
            onOk(dialog);
            return;
        case IDC_LOGO:
            MessageBoxA(dialog, ABOUT_TEXT, "About", MB_OK);
            return;
        case IDC_KEYS_ARROWS:
        case IDC_KEYS_PAGE:
        case IDC_KEYS_HOME_END:
        case IDC_KEYS_INS_DEL:
        case IDC_KEYS_NUMPAD:
            applyKeyPreset(controlId);
            return;
        case IDC_BAND_12:
        case IDC_BAND_18:
        case IDC_BAND_24:
            settings.trimTo = controlId - IDC_BAND_12 + 1;
            return;
        case IDC_WIN95:
            // The auto check box flips its own display; the flag follows it click by click.
            HotkeyControl::state.win95Mode = !HotkeyControl::state.win95Mode;
            if (HotkeyControl::state.win95Mode) pairModifierBoxes(dialog);
            return;
        case IDC_CLEAN_DATABASE:
            notifyPass(dialog, DatabaseMaintenance::clean(), "Volume database cleaned.", CLEAN_FAILED);
            return;
        case IDC_TRIM_DATABASE:
            notifyPass(dialog, DatabaseMaintenance::trim(), "Volume database trimmed.", TRIM_FAILED);
            return;
        case IDC_MOD_LCTRL:
        case IDC_MOD_RCTRL:
        case IDC_MOD_LSHIFT:
        case IDC_MOD_RSHIFT:
        case IDC_MOD_LALT:
        case IDC_MOD_RALT:
            // Without sides a held modifier reads as both its keys, so only masks holding
            // both or neither can ever match.
            if (HotkeyControl::state.win95Mode) show(dialog, partnerOf(controlId), ticked(dialog, controlId));
            return;
        default:
            return;  // Enable, Always trim, HotKey and Cancel count only at OK
    }
}

void onOk(HWND dialog) {
    int mask = 0;
    for (int bit = 0; bit < MODIFIER_BOXES; ++bit) {
        if (ticked(dialog, IDC_MOD_LCTRL + bit)) mask |= 1 << bit;
    }
    settings.upMod = mask;
    settings.downMod = mask;

    if (!applyHotkeys(dialog)) return;  // the dialog stays open
    applyEnable(dialog);
    settings.trim = ticked(dialog, IDC_ALWAYS_TRIM) ? 1 : 0;
    SettingsStore::save();
    EndDialog(dialog, 0);
}

}  // namespace ConfigDialog
