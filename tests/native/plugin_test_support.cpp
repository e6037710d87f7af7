#include "plugin_test_support.h"

#include "controls/resource_ids.h"
#include "plugin/plugin_lifecycle.h"
#include "sim/dialogs.h"

#include <filesystem>

#include <windows.h>

#include "controls/hotkey_control.h"
#include "controls/tray_indicator.h"
#include "adapters/host_link.h"
#include "plugin/host_window_hook.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "memory/database_index.h"
#include "memory/pending_records.h"
#include "memory/song_tracker.h"

namespace testsupport {

std::string freshFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "no-test";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "loudmark" / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

void freshMachine() {
    sim::reset(freshFolder());
    sim::setModulePath(sim::pluginInstance(), PLUGIN_PATH);
    sim::writeFile(PLUGIN_PATH, "MZ");  // the plug-in's folder exists: the module is in it
    HWND host = sim::player::start();
    pluginRecord.hwndParent = host;
    HostLink::attach(pluginRecord.hwndParent);
    pluginRecord.hDllInstance = sim::pluginInstance();
    settings = DEFAULT_SETTINGS;
    snprintf(SettingsStore::settingsPath, MAX_PATH, "%s", SETTINGS_PATH);
    snprintf(SettingsStore::databasePath, MAX_PATH, "%s", DATABASE_PATH);
    SongTracker::state = SongTracker::State();
    HotkeyControl::state = HotkeyControl::State();
    TrayIndicator::state = TrayIndicator::State();
    HostWindowHook::state = HostWindowHook::State();
    PendingRecords::reset();
    DatabaseIndex::release();
    HostLink::forgetVersion();
    // As the plug-in's start-up wires it: a song picked up shows the new-song animation.
    SongTracker::whenNewSong([] { TrayIndicator::startAnimation(AnimationKind::NewSong); });
    SettingsStore::storage = StorageFolder::Kind::BesideModule;
}

sim::player::Entry song(const std::string& name, int lengthSeconds, int sizeBytes) {
    std::string path = "C:\\Music\\" + name;
    sim::writeFile(path, std::string(static_cast<size_t>(sizeBytes), 'x'));
    return {path, lengthSeconds};
}

std::string cleanInTheDialog() {
    size_t before = sim::messageBoxes().size();
    sim::whileDialogOpen([](HWND dialog) {
        sim::click(dialog, IDC_CLEAN_DATABASE);
        sim::click(dialog, IDOK);
    });
    PluginLifecycle::config();
    return sim::messageBoxes().size() > before ? sim::messageBoxes()[before].caption : "";
}

int storedValue(const std::string& fileName, int sizeBytes) {
    std::string key = "\"" + fileName + "[" + std::to_string(sizeBytes) + "]\"";
    return static_cast<int>(GetPrivateProfileIntA("Tamsel Loudmark", key.c_str(), -1, DATABASE_PATH));
}

}  // namespace testsupport

namespace testsupport {

void routeThroughPlugin() { HostWindowHook::install(sim::player::window()); }

void showTrayIcon() {
    sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
    TrayIndicator::loadIcons(sim::pluginInstance());
    TrayIndicator::add();
}

TrayView trayView() {
    sim::TrayIcon icon;
    if (!sim::findTrayIcon(sim::player::window(), TRAY_ICON_ID, &icon)) return {false, 0, ""};
    return {true, sim::iconResourceNumber(icon.icon), icon.tip};
}

}  // namespace testsupport
