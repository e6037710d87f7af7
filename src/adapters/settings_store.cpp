#include "adapters/settings_store.h"

#include "adapters/bounded_text.h"
#include "adapters/profile_file.h"

Settings settings = DEFAULT_SETTINGS;

namespace SettingsStore {

// The bare names (StorageFolder::SETTINGS_FILE_NAME and DATABASE_FILE_NAME) until
// locateFiles finds their folder; an array takes no other array as its first value.
char settingsPath[MAX_PATH] = "plugin.ini";
char databasePath[MAX_PATH] = "volume.ini";
StorageFolder::Kind storage = StorageFolder::Kind::BesideModule;
char moduleFolder[MAX_PATH] = "";

namespace {

enum class LoadRule {
    OnUnlessZero,  // a flag that any value but 0 turns on; absent is on
    OnlyOne,       // a flag that only 1 turns on; absent is off
    AsRead,        // the number as read, -1 (absent) included
    AbsentIsDefault,
};

struct Row {
    const char* word;
    int Settings::*field;
    LoadRule rule;
    int fallback;  // for AbsentIsDefault
};

// The settings file's keys, in the order they are loaded and saved.
const Row ROWS[] = {
    {"Enabled", &Settings::enabled, LoadRule::OnUnlessZero, 0},
    {"Trim", &Settings::trim, LoadRule::OnlyOne, 0},
    {"TrimTo", &Settings::trimTo, LoadRule::AsRead, 0},
    {"Hotkey", &Settings::hotkey, LoadRule::OnUnlessZero, 0},
    {"UpMod", &Settings::upMod, LoadRule::AbsentIsDefault, DEFAULT_SETTINGS.upMod},
    {"UpKey", &Settings::upKey, LoadRule::AbsentIsDefault, DEFAULT_SETTINGS.upKey},
    {"DownMod", &Settings::downMod, LoadRule::AbsentIsDefault, DEFAULT_SETTINGS.downMod},
    {"DownKey", &Settings::downKey, LoadRule::AbsentIsDefault, DEFAULT_SETTINGS.downKey},
};

constexpr size_t QUOTED_KEY_CAPACITY = 16;

bool isFlag(LoadRule rule) { return rule == LoadRule::OnUnlessZero || rule == LoadRule::OnlyOne; }

int applyRule(const Row& row, int value) {
    switch (row.rule) {
        case LoadRule::OnUnlessZero: return value != 0 ? 1 : 0;
        case LoadRule::OnlyOne: return value == 1 ? 1 : 0;
        case LoadRule::AbsentIsDefault: return value == ProfileFile::ABSENT ? row.fallback : value;
        case LoadRule::AsRead: break;
    }
    return value;
}

}  // namespace

void locateFiles(HINSTANCE module) {
    char modulePath[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(module, modulePath, MAX_PATH);
    if (length >= MAX_PATH) {
        // The name was cut, perhaps inside a folder name: no path we could build from it
        // is trustworthy, so neither file is read or written.
        settingsPath[0] = '\0';
        databasePath[0] = '\0';
        moduleFolder[0] = '\0';
        storage = StorageFolder::Kind::BesideModule;
        return;
    }
    modulePath[length] = '\0';

    // The plug-in folder keeps its backslash, so a file name follows it directly.
    size_t folderLength = 0;
    for (size_t i = 0; i < length; ++i) {
        if (modulePath[i] == '\\') folderLength = i + 1;
    }
    modulePath[folderLength] = '\0';
    BoundedText::copy(moduleFolder, sizeof moduleFolder, modulePath);

    // A path that does not fit is left empty.
    BoundedText::join(settingsPath, MAX_PATH, modulePath, StorageFolder::SETTINGS_FILE_NAME);
    BoundedText::join(databasePath, MAX_PATH, modulePath, StorageFolder::DATABASE_FILE_NAME);
    storage = StorageFolder::Kind::BesideModule;
    // Bare names, or a folder too long for them: there is no folder worth probing.
    if (folderLength == 0 || settingsPath[0] == '\0' || databasePath[0] == '\0') return;

    char folder[MAX_PATH];
    storage = StorageFolder::choose(modulePath, folder, sizeof folder);
    BoundedText::join(settingsPath, MAX_PATH, folder, StorageFolder::SETTINGS_FILE_NAME);
    BoundedText::join(databasePath, MAX_PATH, folder, StorageFolder::DATABASE_FILE_NAME);
}

bool keepsEmptyDatabase() { return StorageFolder::keepsEmptyDatabase(storage); }

Settings readFrom(const char* path) {
    Settings read = DEFAULT_SETTINGS;
    for (const Row& row : ROWS) {
        char key[QUOTED_KEY_CAPACITY];
        ProfileFile::quoteKey(row.word, key, sizeof key);
        // Without a settings file every key reads as absent.
        int value = path[0] != '\0' ? ProfileFile::readInt(key, path) : ProfileFile::ABSENT;
        read.*row.field = applyRule(row, value);
    }
    return read;
}

void load() { settings = readFrom(settingsPath); }

void save() {
    if (settingsPath[0] == '\0') return;
    for (const Row& row : ROWS) {
        char key[QUOTED_KEY_CAPACITY];
        ProfileFile::quoteKey(row.word, key, sizeof key);
        int value = settings.*row.field;
        if (isFlag(row.rule)) value = value != 0 ? 1 : 0;
        ProfileFile::writeInt(key, value, settingsPath);
    }
}

}  // namespace SettingsStore
