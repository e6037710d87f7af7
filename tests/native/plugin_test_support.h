// A fresh machine for every scenario: the simulated platform reset into a folder of the
// test's own, the simulated player's window as the host, and the plug-in's module-level
// state as a new load of the module has it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/platform.h"
#include "player/simulated_player.h"

namespace testsupport {

constexpr char PLUGIN_PATH[] = "C:\\Program Files\\Winamp\\Plugins\\gen_loudmark.dll";
constexpr char DATABASE_PATH[] = "C:\\Program Files\\Winamp\\Plugins\\volume.ini";
constexpr char SETTINGS_PATH[] = "C:\\Program Files\\Winamp\\Plugins\\plugin.ini";
// The first line of either file, as the plug-in writes it.
inline const std::string DATABASE_HEADER = "[Tamsel Loudmark]\r\n";

// A folder under the test temp dir named after the running test, emptied.
std::string freshFolder();

// Resets the platform and the plug-in's state; starts the player as the host.
void freshMachine();

// Real files for the player's playlist: "C:\Music\<name>" with `sizeBytes` bytes.
sim::player::Entry song(const std::string& name, int lengthSeconds, int sizeBytes = 1000);

// Sends the host window's messages through the plug-in's hook, as a loaded plug-in does.
void routeThroughPlugin();

// Loads the icons from the resource script the DLL is built from and adds the tray icon.
void showTrayIcon();

// The tray icon as the listener sees it now: its resource number and its tip.
struct TrayView {
    bool present;
    int resource;
    std::string tip;
};
TrayView trayView();

// The value stored under a song's key ("name[size]"), or -1.
int storedValue(const std::string& fileName, int sizeBytes);

// The listener opens the configuration dialog, presses Clean and then OK. Answers the
// caption of the notice the pass showed ("Done", "Warning"), or "" when none.
std::string cleanInTheDialog();

class PluginScenario : public ::testing::Test {
protected:
    void SetUp() override { freshMachine(); }
};

}  // namespace testsupport
