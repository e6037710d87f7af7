#include "host/settings_store.h"

// Interim: loading and saving come with the settings store itself.
Settings settings = DEFAULT_SETTINGS;

namespace SettingsStore {
char settingsPath[MAX_PATH] = "plugin.ini";
char databasePath[MAX_PATH] = "volume.ini";
void locateFiles(HINSTANCE) {}
void load() {}
void save() {}
}  // namespace SettingsStore
