// The eight user settings, held in memory for the module's lifetime, and the two file
// paths worked out at start-up.
#pragma once

#include <windows.h>

#include "adapters/storage_folder.h"

struct Settings {
    int enabled;  // flag
    int trim;     // flag: "Always trim"
    int trimTo;   // trim choice 1..3; anything else acts as 1
    int hotkey;   // flag
    int upMod;    // ModifierMask
    int upKey;    // virtual-key code
    int downMod;  // ModifierMask
    int downKey;  // virtual-key code
};

// The values a start-up without a settings file ends up with.
constexpr Settings DEFAULT_SETTINGS = {1, 0, -1, 1, 3, 38, 3, 40};

extern Settings settings;

namespace SettingsStore {

extern char settingsPath[MAX_PATH];
extern char databasePath[MAX_PATH];
// Which folder locateFiles chose for both, and the module's own folder (with its
// backslash; empty when it has none).
extern StorageFolder::Kind storage;
extern char moduleFolder[MAX_PATH];

void locateFiles(HINSTANCE module);
// StorageFolder::keepsEmptyDatabase for the folder locateFiles chose.
bool keepsEmptyDatabase();
// The settings in the file at `path`, each key by its own rule, as load() reads them;
// with an empty path, every key as if absent.
Settings readFrom(const char* path);
void load();  // readFrom(settingsPath) into `settings`
void save();

}  // namespace SettingsStore
