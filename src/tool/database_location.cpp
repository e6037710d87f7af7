#include "tool/database_location.h"

#include <shlobj.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "adapters/bounded_text.h"
#include "adapters/storage_folder.h"
#include "tool/console.h"
#include "tool/file_bytes.h"

namespace DatabaseLocation {

namespace {

constexpr char PLAYER_KEY[] = "Software\\Winamp";
constexpr char PLAYER_UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";
// winamp.exe is a few megabytes; anything far bigger is not the player.
constexpr DWORD LARGEST_PROGRAM = 64u * 1024 * 1024;
constexpr const char* PLAYLIST_NAMES[] = {"winamp.m3u8", "winamp.m3u"};

bool isFile(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool isFolder(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// ---------------------------------------------------------------------------------------
// The player's folder, as the installer finds it

// A string value; false when the key or value is missing or does not fit.
bool readString(HKEY root, const char* keyPath, const char* valueName, char* text, size_t capacity) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(capacity - 1);
    LONG result = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    text[size < capacity ? size : capacity - 1] = '\0';  // the registry need not end it
    return text[0] != '\0';
}

bool holdsPlayer(const char* folder) {
    char program[MAX_PATH];
    return BoundedText::join(program, sizeof program, folder, "\\winamp.exe") && isFile(program);
}

// Where a 32-bit installer puts programs: a 64-bit process finds that folder in
// "ProgramFiles(x86)", a 32-bit one in "ProgramFiles".
void programFilesFallback(char* folder, size_t capacity) {
    char programFiles[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ProgramFiles(x86)", programFiles, sizeof programFiles);
    if (length == 0 || length >= sizeof programFiles) length = GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof programFiles);
    if (length == 0 || length >= sizeof programFiles) BoundedText::copy(programFiles, sizeof programFiles, "C:\\Program Files");
    BoundedText::join(folder, capacity, programFiles, "\\Winamp");
}

// The folder of the program a registry value names ("\"C:\...\UninstWA.exe\" /args"
// or a bare path), as the installer reads it; false when there is none.
bool programFolderOf(const char* command, char* folder, size_t capacity) {
    char program[MAX_PATH];
    if (command[0] == '"') {
        // "C:\Program Files\Winamp\UninstWA.exe" /args: what stands between the quotes.
        size_t length = 0;
        while (command[1 + length] != '\0' && command[1 + length] != '"') ++length;
        if (length >= sizeof program) return false;
        for (size_t i = 0; i < length; ++i) program[i] = command[1 + i];
        program[length] = '\0';
    } else if (!BoundedText::copy(program, sizeof program, command)) {
        return false;
    }
    // The parent, as the installer's GetParent takes it: all before the last backslash.
    const char* name = BoundedText::afterLastBackslash(program);
    if (name == program) return false;
    program[name - program - 1] = '\0';
    return program[0] != '\0' && BoundedText::copy(folder, capacity, program);
}

// The first candidate that holds winamp.exe, else the Program Files fallback (false).
bool findPlayer(char* folder, size_t capacity, PlayerSource* source) {
    char value[MAX_PATH];
    char candidate[MAX_PATH];
    *source = PlayerSource::UserKey;
    if (readString(HKEY_CURRENT_USER, PLAYER_KEY, "", value, sizeof value) && holdsPlayer(value)) {
        return BoundedText::copy(folder, capacity, value);
    }
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots) {
        *source = root == HKEY_LOCAL_MACHINE ? PlayerSource::MachineUninstall : PlayerSource::UserUninstall;
        if (readString(root, PLAYER_UNINSTALL_KEY, "UninstallString", value, sizeof value) &&
            programFolderOf(value, candidate, sizeof candidate) && holdsPlayer(candidate)) {
            return BoundedText::copy(folder, capacity, candidate);
        }
    }
    *source = PlayerSource::ProgramFiles;
    programFilesFallback(folder, capacity);
    return holdsPlayer(folder);
}

// Whether Windows virtualizes the player in `folder`: its winamp.exe asks for no
// execution level in a manifest (a 2.x player has none; 5.x asks for asInvoker). Run from
// Program Files by a standard user, such a player, and the plug-in in it, write into the
// listener's VirtualStore.
bool isVirtualized(const char* folder) {
    char program[MAX_PATH];
    std::vector<char> bytes;
    if (!BoundedText::join(program, sizeof program, folder, "\\winamp.exe") ||
        !FileBytes::read(program, LARGEST_PROGRAM, &bytes)) {
        return false;
    }
    // The manifest is a resource of plain UTF-8 text; a program without one asks for nothing.
    static const char ASKED[] = "requestedExecutionLevel";
    return std::search(bytes.begin(), bytes.end(), ASKED, ASKED + sizeof ASKED - 1) == bytes.end();
}

// Where Windows keeps a virtualized program's copy of `path`: the listener's
// %LOCALAPPDATA%\VirtualStore\ and the path without its drive. False when there is none.
bool virtualStoreFor(const char* path, char* copy, size_t capacity) {
    char local[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", local, sizeof local);
    bool onADrive = path[0] != '\0' && path[1] == ':';
    return length != 0 && length < sizeof local && onADrive &&
           BoundedText::join(copy, capacity, local, "\\VirtualStore") && BoundedText::append(copy, capacity, path + 2);
}

// ---------------------------------------------------------------------------------------
// The player's settings folder, as the player finds it

// A variable of the environment the player reads its paths.ini in: ours, and the two it
// sets itself before, its own folder and that folder's root.
std::string variable(const std::string& name, const char* playerFolder) {
    if (BoundedText::sameFolded(name.c_str(), "WINAMP_PROGRAM_DIR")) return playerFolder;
    if (BoundedText::sameFolded(name.c_str(), "WINAMP_ROOT_DIR")) return std::string(playerFolder).substr(0, 2) + "\\";
    char value[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    return length != 0 && length < sizeof value ? value : "";
}

// A folder as a paths.ini value names it, the player's way: %NAME% is an environment
// variable, {N} the shell folder of CSIDL N (in decimal); blanks round it and a final
// backslash go. A relative one is taken from the player's folder, where it starts.
bool expandFolder(const char* value, const char* playerFolder, char* folder, size_t capacity) {
    std::string out;
    for (const char* p = value; *p != '\0'; ++p) {
        char close = *p == '%' ? '%' : *p == '{' ? '}' : '\0';
        const char* end = close != '\0' ? strchr(p + 1, close) : nullptr;
        if (end == nullptr) {
            out += *p;
            continue;
        }
        std::string name(p + 1, end);
        if (close == '%') {
            out += variable(name, playerFolder);
        } else {
            char shellFolder[MAX_PATH] = "";
            if (SHGetFolderPathA(nullptr, atoi(name.c_str()), nullptr, SHGFP_TYPE_CURRENT, shellFolder) == S_OK) {
                out += shellFolder;
            }
        }
        p = end;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t' || out.back() == '\\')) out.pop_back();
    size_t first = out.find_first_not_of(" \t");
    out = first == std::string::npos ? "" : out.substr(first);
    if (out.empty()) return false;
    bool absolute = (out.size() >= 2 && out[1] == ':') || out[0] == '\\';
    if (!absolute) out = std::string(playerFolder) + "\\" + out;
    return BoundedText::copy(folder, capacity, out.c_str());
}

// A folder the player's paths.ini names under `key` ("inidir", "m3udir"); false for none.
bool pathsIniFolder(const char* playerFolder, const char* key, char* folder, size_t capacity) {
    char pathsIni[MAX_PATH];
    char value[MAX_PATH];
    if (!BoundedText::join(pathsIni, sizeof pathsIni, playerFolder, "\\paths.ini") || !isFile(pathsIni)) return false;
    GetPrivateProfileStringA("Winamp", key, "", value, sizeof value, pathsIni);
    return value[0] != '\0' && expandFolder(value, playerFolder, folder, capacity);
}

// The folders StorageFolder::find makes when it tries them, as the plug-in needs it to:
// the settings folder's "Plugins" and %APPDATA%\Loudmark. The tool only looks, so those
// it made are taken away again (a folder goes only while it is empty).
struct TriedFolders {
    char paths[2][MAX_PATH];
    bool existed[2];

    explicit TriedFolders(const char* hostSettings) {
        char appData[MAX_PATH];
        bool named[2] = {BoundedText::join(paths[0], MAX_PATH, hostSettings, "\\Plugins"),
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

const char* playerSourceText(PlayerSource source) {
    switch (source) {
        case PlayerSource::UserKey: return "the default value of HKCU\\Software\\Winamp";
        case PlayerSource::MachineUninstall: return "the UninstallString of its HKLM uninstall entry";
        case PlayerSource::UserUninstall: return "the UninstallString of its HKCU uninstall entry";
        case PlayerSource::ProgramFiles: return "the 32-bit Program Files folder + \\Winamp";
        case PlayerSource::Named: break;
    }
    return "";
}

const char* folderRuleText(FolderRule rule) {
    switch (rule) {
        case FolderRule::SettingsPlugins: return "Plugins\\ in the settings folder, which can be written";
        case FolderRule::ApplicationData:
            return "%APPDATA%\\Loudmark\\, as Plugins\\ in the settings folder cannot be written";
        case FolderRule::NoneWritable: return "the player's Plugins\\, though no folder can be written";
        case FolderRule::VirtualStore:
            return "the VirtualStore copy of its Plugins\\, as Windows virtualizes a player without a manifest";
        case FolderRule::Named: break;
    }
    return "";
}

}  // namespace

bool find(const char* givenDatabase, Found* found) {
    found->playerFolder[0] = '\0';
    found->hostSettings[0] = '\0';
    found->playlistFolder[0] = '\0';
    found->playerFound = false;
    found->playerVirtualized = false;
    found->settingsNamed = false;
    found->playerSource = PlayerSource::Named;
    found->folderRule = FolderRule::Named;
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
    found->playerFound = findPlayer(found->playerFolder, MAX_PATH, &found->playerSource);
    found->playerVirtualized = found->playerFound && isVirtualized(found->playerFolder);
    char moduleFolder[MAX_PATH];
    if (!BoundedText::join(moduleFolder, sizeof moduleFolder, found->playerFolder, "\\Plugins\\")) return false;
    // The player keeps its settings beside itself unless its paths.ini names a folder; a
    // player before 2.9 never names it, and keeps them beside itself all the same.
    found->settingsNamed = pathsIniFolder(found->playerFolder, "inidir", found->hostSettings, MAX_PATH);
    if (!found->settingsNamed && !BoundedText::copy(found->hostSettings, MAX_PATH, found->playerFolder)) return false;
    if (!pathsIniFolder(found->playerFolder, "m3udir", found->playlistFolder, MAX_PATH)) {
        BoundedText::copy(found->playlistFolder, MAX_PATH, found->hostSettings);
    }

    char folder[MAX_PATH];
    TriedFolders tried(found->hostSettings);
    StorageFolder::Kind kind = StorageFolder::find(moduleFolder, found->hostSettings, folder, sizeof folder);
    tried.takeAwayWhatWasMade();
    found->keepEmptyDatabase = StorageFolder::keepsEmptyDatabase(kind);
    found->folderRule = kind == StorageFolder::Kind::ApplicationData ? FolderRule::ApplicationData
                        : kind == StorageFolder::Kind::NoneWritable  ? FolderRule::NoneWritable
                                                                     : FolderRule::SettingsPlugins;
    // The tool is never virtualized (its manifest says asInvoker), but a player without a
    // manifest is: where the tool cannot write the Plugins folder, such a player's plug-in
    // could, into the listener's VirtualStore, and its files are there.
    char virtualFolder[MAX_PATH];
    char virtualDatabase[MAX_PATH];
    bool besideModule = !found->settingsNamed || BoundedText::sameFolded(found->hostSettings, found->playerFolder);
    if (besideModule && kind != StorageFolder::Kind::HostSettings && found->playerVirtualized &&
        virtualStoreFor(moduleFolder, virtualFolder, sizeof virtualFolder) &&
        BoundedText::join(virtualDatabase, sizeof virtualDatabase, virtualFolder, StorageFolder::DATABASE_FILE_NAME) &&
        isFile(virtualDatabase)) {
        BoundedText::copy(folder, sizeof folder, virtualFolder);
        found->folderRule = FolderRule::VirtualStore;
        found->keepEmptyDatabase = false;  // the player's own folder, as the plug-in sees it
    }
    return BoundedText::join(found->databasePath, MAX_PATH, folder, StorageFolder::DATABASE_FILE_NAME) &&
           BoundedText::join(found->settingsPath, MAX_PATH, folder, StorageFolder::SETTINGS_FILE_NAME);
}

void explain(const Found& found, bool onStandardOutput) {
    void (*say)(const char*, ...) = onStandardOutput ? Console::out : Console::err;
    say("Database: %s\n", found.databasePath);
    if (found.folderRule == FolderRule::Named) {
        say("  named with --database\n");
        return;
    }
    if (found.playerFound) {
        say("  the player: %s (%s)\n", found.playerFolder, playerSourceText(found.playerSource));
    } else {
        say("  the player: not found (no winamp.exe where the registry points, nor in %s)\n", found.playerFolder);
    }
    say("  its settings folder: %s (%s)\n", found.hostSettings,
        found.settingsNamed ? "inidir in its paths.ini" : "beside itself: no paths.ini names another");
    say("  the plug-in's folder: %s\n", folderRuleText(found.folderRule));
}

bool findPlayerPlaylist(const Found& found, char* path, size_t capacity) {
    char virtualFolder[MAX_PATH] = "";
    if (found.playerVirtualized) virtualStoreFor(found.playerFolder, virtualFolder, sizeof virtualFolder);
    const char* folders[] = {found.playlistFolder, virtualFolder, found.playerFolder};
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
