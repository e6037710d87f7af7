#include "scenario_kit.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "host_files.h"
#include "host_player.h"
#include "message_box_watcher.h"
#include "message_pump.h"

namespace ScenarioKit {

std::string builtDll;
std::string workFolder;

namespace {

int passedCount = 0;
int failedCount = 0;

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out + "\"";
}

}  // namespace

void check(bool ok, const std::string& what) {
    if (ok) {
        ++passedCount;
        std::printf("  ok    %s\n", what.c_str());
    } else {
        ++failedCount;
        std::printf("  FAIL  %s\n", what.c_str());
    }
    std::fflush(stdout);
}

void checkEqual(const std::string& actual, const std::string& expected, const std::string& what) {
    check(actual == expected, what + (actual == expected ? "" : ": got " + quoted(actual) + ", want " + quoted(expected)));
}

void checkEqual(long long actual, long long expected, const std::string& what) {
    check(actual == expected,
          what + (actual == expected ? "" : ": got " + std::to_string(actual) + ", want " + std::to_string(expected)));
}

// Every scenario starts on a clean machine: nothing of an earlier scenario's in the
// user's application data folder, and a host that names no settings folder until the
// scenario gives it one.
void freshUser() {
    static int scenarios = 0;
    useAppData(freshFolder("appdata-" + std::to_string(++scenarios)));
    HostPlayer::setIniDirectory("");
}

void scenario(const char* title) {
    freshUser();
    std::printf("%s\n", title);
    std::fflush(stdout);
}

void scenarioOnHost(const std::string& story) {
    freshUser();
    std::printf("%s: %s\n", HostPlayer::profile().label, story.c_str());
    std::fflush(stdout);
}

int passed() { return passedCount; }
int failed() { return failedCount; }

bool startsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

std::string profileName() { return HostPlayer::profile().name; }
bool fiveHost() { return HostPlayer::version() >= HostProtocol::FIRST_5X; }

std::string freshFolder(const std::string& name) {
    CreateDirectoryA(workFolder.c_str(), nullptr);
    std::string folder = workFolder + "\\" + name;
    // Each folder on the way, for a name such as "winamp-5.9\\Plugins".
    for (size_t at = folder.find('\\', workFolder.size() + 1); at != std::string::npos;
         at = folder.find('\\', at + 1)) {
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* file : {"plugin.ini", "plugin.ini.new", "volume.ini", "volume.ini.new", "volume.ini.loudmark-whole",
                             "volume.ini.loudmark-undo", "volume.ini.loudmark-swap", "gen_loudmark.dll"}) {
        DeleteFileA((folder + "\\" + file).c_str());
    }
    return folder;
}

std::string pluginFolder(const std::string& name) {
    std::string folder = freshFolder(name + "\\Plugins");
    HostPlayer::setIniDirectory(workFolder + "\\" + name);
    return folder;
}

std::string absentFolder(const std::string& name) {
    std::string folder = freshFolder(name);
    RemoveDirectoryA(folder.c_str());
    return folder;
}

std::string lockedFolder(const std::string& name) { return workFolder + "\\locked\\" + name; }

bool cannotCreateIn(const std::string& folder) {
    std::string probe = folder + "\\lock-probe.tmp";
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    CloseHandle(file);
    DeleteFileA(probe.c_str());
    return false;
}

std::string listing(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    std::string out;
    for (const std::string& name : names) out += (out.empty() ? "" : " ") + name;
    return out;
}

void useAppData(const std::string& folder) { SetEnvironmentVariableA("APPDATA", folder.c_str()); }

namespace {

std::string musicFolder() {
    std::string folder = workFolder + "\\music";
    CreateDirectoryA(workFolder.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

std::string song(const std::string& name, int sizeBytes) {
    std::string path = musicFolder() + "\\" + name;
    HostFiles::write(path, std::string(static_cast<size_t>(sizeBytes), 'x'));
    return path;
}

std::wstring wideSong(const std::wstring& name, int sizeBytes) {
    std::string folder = musicFolder();
    std::wstring path(folder.begin(), folder.end());  // the work folder's path is plain ASCII
    path += L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        std::string bytes(static_cast<size_t>(sizeBytes), 'x');
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    return path;
}

Plugin loadPlugin(const std::string& folder) {
    Plugin plugin;
    plugin.folder = folder;
    plugin.path = folder + "\\gen_loudmark.dll";
    if (!HostFiles::exists(plugin.path)) CopyFileA(builtDll.c_str(), plugin.path.c_str(), FALSE);
    plugin.module = LoadLibraryA(plugin.path.c_str());
    check(plugin.module != nullptr, "the module loads");
    if (plugin.module == nullptr) return plugin;
    GetPluginRecord getPlugin = findPluginExport(plugin.module);
    check(getPlugin != nullptr, "it exports winampGetGeneralPurposePlugin");
    if (getPlugin == nullptr) return plugin;
    plugin.record = getPlugin();
    plugin.record->hwndParent = HostPlayer::window();
    plugin.record->hDllInstance = plugin.module;
    return plugin;
}

bool unloaded(const Plugin& plugin) { return GetModuleHandleA(plugin.path.c_str()) == nullptr; }

void quitAndUnload(Plugin& plugin) {
    plugin.record->quit();
    FreeLibrary(plugin.module);
    check(unloaded(plugin), "quit, and the module unloads");
    plugin.record = nullptr;
}

void freshPlayer(const std::vector<HostPlayer::Entry>& playlist, bool repeat) {
    HostPlayer::setPlaylist(playlist);
    HostPlayer::setRepeat(repeat);
    HostPlayer::setVolume(130);
    HostPlayer::clearReceived();
    MessageBoxWatcher::clear();
}

int shortSongMs() { return fiveHost() ? 1000 : 1500; }

bool waitForVolumesSet(size_t n, DWORD timeoutMs) {
    return MessagePump::until([n] { return HostPlayer::volumesSet().size() >= n; }, timeoutMs);
}

}  // namespace ScenarioKit
