// The configuration dialog as the listener uses it: the player starts with a settings
// file, the listener opens the dialog from the player's preferences, clicks, and presses
// OK; then the settings file, the hotkeys, the timer, the icon and the database show
// what the plug-in did.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "controls/config_dialog.h"
#include "controls/hotkey_control.h"
#include "controls/resource_ids.h"
#include "controls/tray_indicator.h"
#include "plugin/host_window_hook.h"
#include "plugin/plugin_lifecycle.h"
#include "adapters/settings_store.h"
#include "memory/song_tracker.h"
#include "plugin_test_support.h"
#include "sim/dialogs.h"

#include "../common/config_dialog_controls.h"

using namespace testsupport;
namespace player = sim::player;

namespace {

constexpr int STEP = player::VOLUME_STEP;

class ConfigDialogScenario : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        HostWindowHook::state = HostWindowHook::State();
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
        player::setVolume(130);
    }

    // The settings file as the listener left it last time; the player then loads the
    // plug-in.
    static void startWithSettings(const std::string& lines) {
        sim::writeFile(SETTINGS_PATH, "[Tamsel Loudmark]\r\n" + lines);
        PluginLifecycle::init();
    }

    // The listener opens the dialog from the player; `listener` is what they do while it
    // is open. Returns once the dialog has closed.
    static void configure(std::function<void(HWND)> listener) {
        sim::whileDialogOpen(std::move(listener));
        PluginLifecycle::config();
    }

    static int saved(const char* word) {
        std::string key = std::string("\"") + word + "\"";
        return static_cast<int>(GetPrivateProfileIntA("Tamsel Loudmark", key.c_str(), -99, SETTINGS_PATH));
    }

    static std::vector<int> checked(HWND dialog) {
        std::vector<int> ids;
        for (int id : sim::controlIds(dialog)) {
            if (sim::isChecked(dialog, id)) ids.push_back(id);
        }
        return ids;
    }

    static bool hotkey(int id, UINT modifiers, UINT vk) {
        sim::HotkeyInfo info;
        return sim::findHotkey(player::window(), id, &info) && info.modifiers == modifiers && info.vk == vk;
    }

    static void press(std::initializer_list<int> modifiers, int key) {
        for (int vk : modifiers) sim::keyDown(vk);
        sim::pressKey(key);
        for (int vk : modifiers) sim::keyUp(vk);
    }
};

using ConfigDialogTable::CONTROLS;
using ConfigDialogTable::ControlRow;


}  // namespace

TEST_F(ConfigDialogScenario, TheDialogHasEveryControlOfItsTemplateInTabOrder) {
    EXPECT_TRUE(sim::dialogScriptProblems().empty());
    const sim::DialogTemplate* t = sim::dialogTemplate(IDD_CONFIG);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->language, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_EQ(t->caption, "Configure Loudmark");
    EXPECT_EQ(t->width, 175);
    EXPECT_EQ(t->height, 166);
    // No WS_SYSMENU: no close button, so OK is the only way out.
    EXPECT_EQ(t->style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER |
                                           DS_SETFOREGROUND | DS_SYSMODAL));
    EXPECT_EQ(t->exStyle, 0u);
    EXPECT_EQ(t->typeface, "Verdana");
    EXPECT_EQ(t->pointSize, 8);
    EXPECT_EQ(t->weight, 0);
    EXPECT_FALSE(t->italic);
    EXPECT_EQ(t->charset, DEFAULT_CHARSET);
    ASSERT_EQ(t->controls.size(), std::size(CONTROLS));
    for (size_t i = 0; i < t->controls.size(); ++i) {
        const sim::DialogControlTemplate& c = t->controls[i];
        const ControlRow& want = CONTROLS[i];
        SCOPED_TRACE("control " + std::to_string(i + 1) + " (" + (want.text ? want.text : "logo") + ")");
        EXPECT_EQ(c.id, want.id);
        EXPECT_EQ(c.windowClass, want.windowClass);
        EXPECT_EQ(c.text, want.text ? want.text : "");
        EXPECT_EQ((std::vector<int>{c.x, c.y, c.width, c.height}),
                  (std::vector<int>{want.x, want.y, want.width, want.height}));
        EXPECT_EQ(c.style, WS_CHILD | WS_VISIBLE | want.style);
        EXPECT_EQ(c.exStyle, want.exStyle);
        EXPECT_EQ(c.helpId, 0u);
    }

    startWithSettings("");
    configure([](HWND dialog) {
        std::vector<int> ids;
        for (const ControlRow& row : CONTROLS) ids.push_back(row.id);
        EXPECT_EQ(sim::controlIds(dialog), ids);
        EXPECT_EQ(sim::controlTextResource(dialog, IDC_LOGO), ICON_LOGO);
        EXPECT_EQ(sim::controlText(dialog, IDC_KEYS_NUMPAD), "Num+, Num-");
        sim::click(dialog, IDOK);
    });
    ASSERT_EQ(sim::dialogsShown().size(), 1u);
    EXPECT_EQ(sim::dialogsShown()[0].resource, IDD_CONFIG);
    EXPECT_EQ(sim::dialogsShown()[0].owner, player::window());
    EXPECT_EQ(sim::dialogsShown()[0].result, 0);
}

TEST_F(ConfigDialogScenario, OpeningShowsTheSettingsAndOkSavesWhatWasNotTouchedAsLoaded) {
    // No "TrimTo" yet, keys no preset has, modifier bits above the six boxes, and a down
    // mask of its own.
    startWithSettings("\"Enabled\"=1\r\n\"Trim\"=1\r\n\"Hotkey\"=0\r\n\"UpMod\"=67\r\n\"UpKey\"=65\r\n"
                      "\"DownMod\"=12\r\n\"DownKey\"=66\r\n");
    configure([](HWND dialog) {
        EXPECT_EQ(checked(dialog), (std::vector<int>{IDC_ENABLE, IDC_ALWAYS_TRIM, IDC_BAND_12, IDC_KEYS_ARROWS,
                                                     IDC_MOD_LCTRL, IDC_MOD_RCTRL}));
        EXPECT_EQ(settings.trimTo, -1);
        EXPECT_EQ(settings.upKey, 65);
        sim::click(dialog, IDOK);
    });
    EXPECT_EQ(saved("Enabled"), 1);
    EXPECT_EQ(saved("Trim"), 1);
    EXPECT_EQ(saved("TrimTo"), -1);
    EXPECT_EQ(saved("Hotkey"), 0);
    EXPECT_EQ(saved("UpMod"), LeftCtrl | RightCtrl);
    EXPECT_EQ(saved("UpKey"), 65);
    EXPECT_EQ(saved("DownMod"), LeftCtrl | RightCtrl);
    EXPECT_EQ(saved("DownKey"), 66);
    EXPECT_EQ(sim::readFile(SETTINGS_PATH).find("Win95"), std::string::npos);
    EXPECT_FALSE(sim::findHotkey(player::window(), HOTKEY_UP));
}

TEST_F(ConfigDialogScenario, EachTrimChoiceAndKeyPresetShowsItsButton) {
    struct Case {
        int trimTo, upKey, band, preset;
    };
    const Case cases[] = {
        {1, 38, IDC_BAND_12, IDC_KEYS_ARROWS},   {2, 33, IDC_BAND_18, IDC_KEYS_PAGE},
        {3, 36, IDC_BAND_24, IDC_KEYS_HOME_END}, {0, 45, IDC_BAND_12, IDC_KEYS_INS_DEL},
        {4, 107, IDC_BAND_12, IDC_KEYS_NUMPAD},  {2, 40, IDC_BAND_18, IDC_KEYS_ARROWS},
    };
    startWithSettings("");
    for (const Case& c : cases) {
        settings.trimTo = c.trimTo;
        settings.upKey = c.upKey;
        settings.downKey = 40;
        configure([&](HWND dialog) {
            SCOPED_TRACE("trimTo " + std::to_string(c.trimTo) + ", upKey " + std::to_string(c.upKey));
            for (int band : {IDC_BAND_12, IDC_BAND_18, IDC_BAND_24})
                EXPECT_EQ(sim::isChecked(dialog, band), band == c.band) << band;
            for (int preset = IDC_KEYS_ARROWS; preset <= IDC_KEYS_NUMPAD; ++preset)
                EXPECT_EQ(sim::isChecked(dialog, preset), preset == c.preset) << preset;
            sim::click(dialog, IDOK);
        });
        // Nothing is rewritten to match the buttons: the keys stay as they were.
        EXPECT_EQ(saved("TrimTo"), c.trimTo);
        EXPECT_EQ(saved("UpKey"), c.upKey);
        EXPECT_EQ(saved("DownKey"), 40);
    }
}

TEST_F(ConfigDialogScenario, NoModifierBoxTickedAsksFirstAndNoKeepsTheDialogOpen) {
    startWithSettings("");  // hotkeys on: both Ctrl keys with Up and Down
    ASSERT_TRUE(hotkey(HOTKEY_UP, MOD_CONTROL, VK_UP));
    const std::string fileBefore = sim::readFile(SETTINGS_PATH);
    configure([&](HWND dialog) {
        sim::click(dialog, IDC_MOD_LCTRL);
        sim::click(dialog, IDC_MOD_RCTRL);
        sim::click(dialog, IDC_ENABLE);  // would turn the plug-in off, were the OK completed
        sim::answerNextMessageBox(IDNO);
        sim::click(dialog, IDOK);

        ASSERT_EQ(sim::messageBoxes().size(), 1u);
        const sim::MessageBoxRecord& box = sim::messageBoxes()[0];
        EXPECT_EQ(box.text, "No modifiers specified.\nAre you sure you want to proceed?");
        EXPECT_EQ(box.caption, "Warning");
        EXPECT_EQ(box.style, 0x1014u);
        EXPECT_EQ(box.owner, dialog);

        EXPECT_EQ(sim::openDialog(), dialog);
        EXPECT_EQ(settings.upMod, 0);
        EXPECT_EQ(settings.downMod, 0);
        EXPECT_EQ(settings.enabled, 1);
        EXPECT_TRUE(hotkey(HOTKEY_UP, MOD_CONTROL, VK_UP));
        EXPECT_EQ(sim::readFile(SETTINGS_PATH), fileBefore);
        // The registered hotkey still fires, but the held keys no longer match the mask.
        press({VK_LCONTROL, VK_RCONTROL}, VK_UP);
        EXPECT_EQ(player::volume(), 130);

        sim::click(dialog, IDC_ENABLE);
        sim::answerNextMessageBox(IDYES);
        sim::click(dialog, IDOK);
    });
    EXPECT_EQ(sim::messageBoxes().size(), 2u);
    EXPECT_TRUE(hotkey(HOTKEY_UP, 0, VK_UP));
    EXPECT_TRUE(hotkey(HOTKEY_DOWN, 0, VK_DOWN));
    EXPECT_EQ(saved("Hotkey"), 1);
    EXPECT_EQ(saved("UpMod"), 0);
    EXPECT_EQ(saved("DownMod"), 0);
    sim::pressKey(VK_UP);
    EXPECT_EQ(player::volume(), 130 + 8 * STEP);
}

TEST_F(ConfigDialogScenario, HotKeyClearedUnregistersBothWithoutAQuestion) {
    startWithSettings("");
    configure([](HWND dialog) {
        sim::click(dialog, IDC_HOTKEY);
        sim::click(dialog, IDC_MOD_LCTRL);
        sim::click(dialog, IDC_MOD_RCTRL);
        sim::click(dialog, IDOK);
    });
    EXPECT_TRUE(sim::messageBoxes().empty());
    EXPECT_FALSE(sim::findHotkey(player::window(), HOTKEY_UP));
    EXPECT_FALSE(sim::findHotkey(player::window(), HOTKEY_DOWN));
    EXPECT_EQ(saved("Hotkey"), 0);
    EXPECT_EQ(saved("UpMod"), 0);
    EXPECT_EQ(saved("DownMod"), 0);
}

TEST_F(ConfigDialogScenario, NewKeysTakeEffectOnlyAtOkWhichRegistersBothAgain) {
    startWithSettings("");
    sim::holdHotkeyElsewhere(MOD_CONTROL | MOD_SHIFT, VK_NEXT);
    configure([&](HWND dialog) {
        sim::click(dialog, IDC_KEYS_PAGE);
        EXPECT_EQ(settings.upKey, VK_PRIOR);
        EXPECT_EQ(settings.downKey, VK_NEXT);
        EXPECT_TRUE(hotkey(HOTKEY_UP, MOD_CONTROL, VK_UP));  // still the old keys
        sim::click(dialog, IDC_MOD_LSHIFT);
        sim::click(dialog, IDOK);
    });
    EXPECT_TRUE(hotkey(HOTKEY_UP, MOD_CONTROL | MOD_SHIFT, VK_PRIOR));
    // Another program holds Ctrl+Shift+PgDn: the listener is told, and the rest goes on.
    EXPECT_FALSE(sim::findHotkey(player::window(), HOTKEY_DOWN));
    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    EXPECT_EQ(sim::messageBoxes()[0].text, "Registration failed for hotkey DOWN");
    EXPECT_EQ(sim::messageBoxes()[0].owner, player::window());
    EXPECT_EQ(saved("Hotkey"), 1);
    EXPECT_EQ(saved("UpKey"), VK_PRIOR);
    EXPECT_EQ(saved("UpMod"), LeftCtrl | RightCtrl | LeftShift);
    EXPECT_TRUE(sim::dialogsShown().back().closed);

    press({VK_LCONTROL, VK_RCONTROL, VK_LSHIFT}, VK_PRIOR);
    EXPECT_EQ(player::volume(), 130 + 8 * STEP);
}

TEST_F(ConfigDialogScenario, APresetChosenWithHotKeyOffIsSavedButNotRegistered) {
    startWithSettings("\"Hotkey\"=0\r\n");
    configure([](HWND dialog) {
        sim::click(dialog, IDC_KEYS_NUMPAD);
        sim::click(dialog, IDOK);
    });
    EXPECT_FALSE(sim::findHotkey(player::window(), HOTKEY_UP));
    EXPECT_EQ(saved("UpKey"), VK_ADD);
    EXPECT_EQ(saved("DownKey"), VK_SUBTRACT);
}

TEST_F(ConfigDialogScenario, TabbingThroughTheKeyPresetsAppliesEachOneItReaches) {
    startWithSettings("\"UpKey\"=65\r\n\"DownKey\"=66\r\n");
    configure([](HWND dialog) {
        sim::focus(dialog, IDC_HOTKEY);
        EXPECT_EQ(settings.upKey, 65);
        sim::pressTab(dialog);  // onto "Up, Down": its focus report counts as its click
        EXPECT_EQ(sim::focusedControl(dialog), IDC_KEYS_ARROWS);
        EXPECT_EQ(settings.upKey, VK_UP);
        sim::pressTab(dialog);  // on to "PgUp, PgDn", which is not selected on the screen
        EXPECT_EQ(settings.upKey, VK_PRIOR);
        EXPECT_EQ(settings.downKey, VK_NEXT);
        EXPECT_TRUE(sim::isChecked(dialog, IDC_KEYS_ARROWS));
        sim::click(dialog, IDOK);
    });
    EXPECT_EQ(saved("UpKey"), VK_PRIOR);
    EXPECT_TRUE(hotkey(HOTKEY_UP, MOD_CONTROL, VK_PRIOR));
}

TEST_F(ConfigDialogScenario, EnableAfterADisabledStartInstallsTheHookOnceAndStartsTheRest) {
    startWithSettings("\"Enabled\"=0\r\n");
    WNDPROC playerProcedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(player::window(), GWLP_WNDPROC));
    ASSERT_NE(playerProcedure, &HostWindowHook::procedure);
    player::setPlaylist({song("a.mp3", 200), song("b.mp3", 200)});
    player::play();

    configure([](HWND dialog) {
        sim::click(dialog, IDC_ENABLE);
        sim::click(dialog, IDOK);
    });
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(player::window(), GWLP_WNDPROC)), &HostWindowHook::procedure);
    sim::TimerInfo timer;
    ASSERT_TRUE(sim::findTimer(player::window(), SongTracker::FIRST_TIMER_ID, &timer));
    EXPECT_EQ(timer.periodMs, 1000u);
    EXPECT_EQ(trayView().tip, "Reference Volume is 130");
    EXPECT_EQ(saved("Enabled"), 1);

    // OK with the box as it is starts nothing anew.
    const size_t trayCalls = sim::trayCalls().size();
    configure([](HWND dialog) { sim::click(dialog, IDOK); });
    EXPECT_EQ(sim::trayCalls().size(), trayCalls);
    sim::TimerInfo same;
    ASSERT_TRUE(sim::findTimer(player::window(), SongTracker::FIRST_TIMER_ID, &same));
    EXPECT_EQ(same.dueAtMs, timer.dueAtMs);

    // Off and on again: the hook stays, and is never put in the chain a second time.
    configure([](HWND dialog) {
        sim::click(dialog, IDC_ENABLE);
        sim::click(dialog, IDOK);
    });
    EXPECT_FALSE(sim::findTimer(player::window(), SongTracker::FIRST_TIMER_ID));
    EXPECT_FALSE(trayView().present);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(player::window(), GWLP_WNDPROC)), &HostWindowHook::procedure);
    configure([](HWND dialog) {
        sim::click(dialog, IDC_ENABLE);
        sim::click(dialog, IDOK);
    });
    const UINT someMessage = RegisterWindowMessageA("a message of the player's own");
    player::clearLog();
    SendMessageA(player::window(), someMessage, 1, 2);
    EXPECT_EQ(std::count_if(player::requests().begin(), player::requests().end(),
                            [someMessage](const player::Request& r) { return r.message == someMessage; }),
              1)
        << "the player's own procedure hears each message once";

    // And the plug-in works: the listener turns song a down, and it is remembered.
    sim::advance(1500);
    player::setVolume(100);
    sim::advance(200 * 1000);
    EXPECT_EQ(player::position(), 1);
    EXPECT_EQ(storedValue("a.mp3", 1000), 255 + 100 - 130);
}

TEST_F(ConfigDialogScenario, Win95ModePairsTheModifierBoxesWhileItIsOn) {
    startWithSettings("\"UpMod\"=32\r\n");  // R-Alt only
    configure([](HWND dialog) {
        sim::click(dialog, IDC_WIN95);
        press({VK_RMENU}, VK_UP);
        EXPECT_EQ(player::volume(), 130) << "in Win95 Mode a one-sided mask never matches";
        EXPECT_TRUE(sim::isChecked(dialog, IDC_MOD_LALT));
        EXPECT_TRUE(sim::isChecked(dialog, IDC_MOD_RALT));
        EXPECT_FALSE(sim::isChecked(dialog, IDC_MOD_LCTRL) || sim::isChecked(dialog, IDC_MOD_RCTRL));
        // While on, a click carries over to the partner box.
        sim::click(dialog, IDC_MOD_RSHIFT);
        EXPECT_TRUE(sim::isChecked(dialog, IDC_MOD_LSHIFT));
        sim::click(dialog, IDC_MOD_LSHIFT);
        EXPECT_FALSE(sim::isChecked(dialog, IDC_MOD_RSHIFT));

        // Off again: both Alt boxes stay, and the boxes are independent.
        sim::click(dialog, IDC_WIN95);
        press({VK_RMENU}, VK_UP);
        EXPECT_EQ(player::volume(), 130 + 8 * STEP) << "off, right Alt is told from left";
        EXPECT_TRUE(sim::isChecked(dialog, IDC_MOD_LALT) && sim::isChecked(dialog, IDC_MOD_RALT));
        sim::click(dialog, IDC_MOD_LCTRL);
        EXPECT_FALSE(sim::isChecked(dialog, IDC_MOD_RCTRL));
        sim::click(dialog, IDC_WIN95);
        EXPECT_TRUE(sim::isChecked(dialog, IDC_MOD_RCTRL));
        sim::click(dialog, IDOK);
    });
    EXPECT_EQ(saved("UpMod"), LeftCtrl | RightCtrl | LeftAlt | RightAlt);
    const int before = player::volume();
    press({VK_RCONTROL, VK_LMENU}, VK_UP);  // one key of each pair: both read as held
    EXPECT_EQ(player::volume(), before + 8 * STEP) << "Win95 Mode stays on after OK";
    EXPECT_EQ(sim::readFile(SETTINGS_PATH).find("Win95"), std::string::npos);
}

TEST_F(ConfigDialogScenario, TheDatabasePassesUseTrimAsHeldInMemoryAndABandClickAtOnce) {
    startWithSettings("\"Trim\"=0\r\n");
    const std::string settingsBefore = sim::readFile(SETTINGS_PATH);
    player::setPlaylist({song("inside12.mp3", 100), song("inside24.mp3", 100), song("outside.mp3", 100)});
    sim::writeFile(DATABASE_PATH,
                   "[Tamsel Loudmark]\r\n\"inside12.mp3[1000]\"=120\r\n\"inside24.mp3[1000]\"=80\r\n"
                   "\"outside.mp3[1000]\"=300\r\n\"gone.mp3[1000]\"=300\r\n");
    configure([&](HWND dialog) {
        // "Always trim" ticked but not yet confirmed: Clean only cleans.
        sim::click(dialog, IDC_ALWAYS_TRIM);
        sim::click(dialog, IDC_CLEAN_DATABASE);
        EXPECT_EQ(storedValue("inside12.mp3", 1000), 120);
        EXPECT_EQ(storedValue("inside24.mp3", 1000), 80);
        EXPECT_EQ(storedValue("gone.mp3", 1000), -1);

        // The widest band, clicked just before, counts for the Trim that follows.
        sim::click(dialog, IDC_BAND_24);
        EXPECT_EQ(settings.trimTo, 3);
        sim::click(dialog, IDC_TRIM_DATABASE);
        EXPECT_EQ(storedValue("inside12.mp3", 1000), -1);
        EXPECT_EQ(storedValue("inside24.mp3", 1000), -1);
        EXPECT_EQ(storedValue("outside.mp3", 1000), 300);
        EXPECT_EQ(sim::readFile(SETTINGS_PATH), settingsBefore);  // nothing written before OK
        sim::click(dialog, IDOK);
    });
    const auto& boxes = sim::messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Volume database cleaned.");
    EXPECT_EQ(boxes[1].text, "Volume database trimmed.");
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, "Done");
        EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
        EXPECT_EQ(box.owner, sim::dialogsShown()[0].window);
    }
    EXPECT_EQ(saved("Trim"), 1);
    EXPECT_EQ(saved("TrimTo"), 3);
}

TEST_F(ConfigDialogScenario, EscapeChangesNothingAndTheLogoTellsWhoMadeIt) {
    startWithSettings("");
    configure([](HWND dialog) {
        sim::click(dialog, IDC_ENABLE);
        sim::pressEscape(dialog);
        EXPECT_EQ(sim::openDialog(), dialog);
        EXPECT_EQ(settings.enabled, 1);
        EXPECT_FALSE(sim::fileExists(DATABASE_PATH));

        sim::click(dialog, IDC_LOGO);
        ASSERT_EQ(sim::messageBoxes().size(), 1u);
        const sim::MessageBoxRecord& about = sim::messageBoxes()[0];
        EXPECT_EQ(about.caption, "About");
        EXPECT_EQ(about.style, static_cast<UINT>(MB_OK));
        EXPECT_EQ(about.owner, dialog);
        EXPECT_NE(about.text.find("Loudmark"), std::string::npos);
        EXPECT_EQ(std::count(about.text.begin(), about.text.end(), '\n'), 3);
        EXPECT_NE(about.text.find('<'), std::string::npos);
        EXPECT_EQ(about.text.substr(about.text.rfind('\n') + 1), "Thanks!");
        sim::click(dialog, IDC_ENABLE);
        sim::click(dialog, IDOK);
    });
    EXPECT_EQ(saved("Enabled"), 1);
    EXPECT_TRUE(sim::findTimer(player::window(), SongTracker::FIRST_TIMER_ID));
}

TEST_F(ConfigDialogScenario, ThePlayerPlaysOnWhileTheDialogAndItsNoticesAreOpen) {
    startWithSettings("");
    player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10)});
    sim::writeFile(DATABASE_PATH, "[Tamsel Loudmark]\r\n\"b.mp3[1000]\"=275\r\n");
    player::play();
    sim::advance(1500);
    configure([](HWND dialog) {
        // Song a ends while the "Done" notice is up; b starts 20 steps above the reference.
        sim::whileMessageBoxOpen([](const sim::MessageBoxRecord&) { sim::advance(10 * 1000); });
        sim::click(dialog, IDC_CLEAN_DATABASE);
        sim::whileMessageBoxOpen(nullptr);
        EXPECT_EQ(player::position(), 1);
        EXPECT_EQ(player::volume(), 150);
        // A hotkey press while the dialog is up.
        press({VK_LCONTROL, VK_RCONTROL}, VK_DOWN);
        EXPECT_EQ(player::volume(), 150 - 8 * STEP);
        sim::click(dialog, IDOK);
    });
}
