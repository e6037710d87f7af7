#include "tool/database_location.h"

#include "adapters/bounded_text.h"
#include "adapters/storage_folder.h"
#include "tool/player_folder.h"

namespace DatabaseLocation {

namespace {

constexpr const char* PLAYLIST_NAMES[] = {"winamp.m3u8", "winamp.m3u"};

bool isFile(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// plugin.ini in the folder of the named database.
bool settingsBeside(const char* databasePath, char* settingsPath, size_t capacity) {
    const char* name = BoundedText::afterLastBackslash(databasePath);
    if (!BoundedText::copy(settingsPath, capacity, databasePath)) return false;
    settingsPath[name - databasePath] = '\0';
    return BoundedText::append(settingsPath, capacity, StorageFolder::SETTINGS_FILE_NAME);
}

// A name with no folder or drive in it at all.
bool isBareName(const char* path) {
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') return false;
    }
    return true;
}

// Where the player keeps winamp.ini: beside itself (an install outside Program Files),
// or the user's application data folder + "Winamp".
bool hostSettingsFolder(const char* playerFolder, char* folder, size_t capacity) {
    char settings[MAX_PATH];
    if (BoundedText::join(settings, sizeof settings, playerFolder, "\\winamp.ini") && isFile(settings)) {
        return BoundedText::copy(folder, capacity, playerFolder);
    }
    char appData[MAX_PATH];
    return StorageFolder::applicationData(appData, sizeof appData) &&
           BoundedText::join(folder, capacity, appData, "\\Winamp");
}

bool databaseIn(const char* folder) {
    char path[MAX_PATH];
    return BoundedText::join(path, sizeof path, folder, StorageFolder::DATABASE_FILE_NAME) && isFile(path);
}

bool isFolder(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folders StorageFolder::find makes when it tries them, as the plug-in needs it to:
// the settings folder's "Plugins" and %APPDATA%\Loudmark. The tool only looks, so those
// it made are taken away again (a folder goes only while it is empty).
struct TriedFolders {
    char paths[2][MAX_PATH];
    bool existed[2];

    TriedFolders(const char* hostSettings) {
        char appData[MAX_PATH];
        bool named[2] = {hostSettings != nullptr && BoundedText::join(paths[0], MAX_PATH, hostSettings, "\\Plugins"),
                         StorageFolder::applicationData(appData, sizeof appData) &&
                             BoundedText::join(paths[1], MAX_PATH, appData, "\\Loudmark")};
        for (int i = 0; i < 2; ++i) {
            if (!named[i]) paths[i][0] = '\0';
            existed[i] = paths[i][0] == '\0' || isFolder(paths[i]);
        }
    }
    void takeAwayWhatWasMade() {
        for (int i = 0; i < 2; ++i) {
            if (!existed[i]) RemoveDirectoryA(paths[i]);
        }
    }
};

}  // namespace

bool find(const char* givenDatabase, Found* found) {
    found->playerFolder[0] = '\0';
    found->hostSettings[0] = '\0';
    found->playerFound = false;
    found->playerVirtualized = false;
    if (givenDatabase != nullptr) {
        // A database named by hand is never deleted by a pass: a copy of it elsewhere
        // could otherwise come back as the plug-in's.
        found->keepEmptyDatabase = true;
        // The profile functions look for a bare file name in the Windows folder, the
        // file functions in the current one: ".\" makes both take the current one.
        return BoundedText::copy(found->databasePath, MAX_PATH, isBareName(givenDatabase) ? ".\\" : "") &&
               BoundedText::append(found->databasePath, MAX_PATH, givenDatabase) &&
               settingsBeside(found->databasePath, found->settingsPath, MAX_PATH);
    }
    found->playerFound = PlayerFolder::find(found->playerFolder, MAX_PATH);
    found->playerVirtualized = found->playerFound && PlayerFolder::isVirtualized(found->playerFolder);
    char moduleFolder[MAX_PATH];
    if (!BoundedText::join(moduleFolder, sizeof moduleFolder, found->playerFolder, "\\Plugins\\")) return false;
    bool haveHostSettings = hostSettingsFolder(found->playerFolder, found->hostSettings, MAX_PATH);
    if (!haveHostSettings) found->hostSettings[0] = '\0';

    char folder[MAX_PATH];
    TriedFolders tried(haveHostSettings ? found->hostSettings : nullptr);
    StorageFolder::Kind kind =
        StorageFolder::find(moduleFolder, haveHostSettings ? found->hostSettings : nullptr, folder, sizeof folder);
    tried.takeAwayWhatWasMade();
    found->keepEmptyDatabase = StorageFolder::keepsEmptyDatabase(kind);
    // The tool is never virtualized (its manifest says asInvoker), but a player without a
    // manifest is: where the tool cannot write the Plugins folder, such a player's plug-in
    // could, into the listener's VirtualStore, and its files are there.
    char virtualFolder[MAX_PATH];
    if (kind != StorageFolder::Kind::BesideModule && found->playerVirtualized &&
        PlayerFolder::virtualStoreFor(moduleFolder, virtualFolder, sizeof virtualFolder) && databaseIn(virtualFolder)) {
        BoundedText::copy(folder, sizeof folder, virtualFolder);
        found->keepEmptyDatabase = false;  // the player's own folder, as the plug-in sees it
    }
    return BoundedText::join(found->databasePath, MAX_PATH, folder, StorageFolder::DATABASE_FILE_NAME) &&
           BoundedText::join(found->settingsPath, MAX_PATH, folder, StorageFolder::SETTINGS_FILE_NAME);
}

bool findPlayerPlaylist(const Found& found, char* path, size_t capacity) {
    char virtualFolder[MAX_PATH] = "";
    if (found.playerVirtualized) PlayerFolder::virtualStoreFor(found.playerFolder, virtualFolder, sizeof virtualFolder);
    const char* folders[] = {found.hostSettings, virtualFolder, found.playerFolder};
    for (const char* folder : folders) {
        if (folder[0] == '\0') continue;
        for (const char* name : PLAYLIST_NAMES) {
            bool fits = BoundedText::join(path, capacity, folder, "\\") && BoundedText::append(path, capacity, name);
            if (fits && isFile(path)) return true;
        }
    }
    return false;
}

}  // namespace DatabaseLocation
