#include "host_player.h"

#include <algorithm>
#include <utility>

namespace HostPlayer {

using namespace HostProtocol;

namespace {

constexpr UINT PLAYBACK_TICK_MS = 20;
constexpr size_t PATH_CAPACITY = 1024;

HWND mainWindow = nullptr;
Profile current = WINAMP_2X;
int hostVersion = DEFAULT_VERSION;
std::vector<Entry> playlist;
int position_ = 0;
bool isPlaying = false;
bool repeat = false;
DWORD songStartedAt = 0;
int hostVolume = 130;
std::vector<Received> log;
std::vector<Start> startLog;
// The host's answers live in its own static buffers, valid until the next request.
char ansiAnswer[PATH_CAPACITY];
WCHAR wideAnswer[PATH_CAPACITY];
char iniDirectory[MAX_PATH];

LONGLONG now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

// As a 5.x host gives a path to ANSI callers: one the code page cannot hold as its 8.3
// short path, or, when the file has none, with '?' for the characters the code page lacks.
void toAnsi(const std::wstring& path, char* out, size_t capacity) {
    BOOL lossy = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, out, static_cast<int>(capacity), "?",
                            &lossy) == 0) {
        out[0] = '\0';
        return;
    }
    WCHAR shortPath[PATH_CAPACITY];
    DWORD length = lossy ? GetShortPathNameW(path.c_str(), shortPath, PATH_CAPACITY) : 0;
    if (length == 0 || length >= PATH_CAPACITY) return;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortPath, -1, out, static_cast<int>(capacity), "?", nullptr);
}

LRESULT entryPath(WPARAM index, bool wide) {
    if (index >= playlist.size()) return 0;
    const std::wstring& path = playlist[index].path;
    if (!wide) {
        toAnsi(path, ansiAnswer, sizeof ansiAnswer);
        return reinterpret_cast<LRESULT>(ansiAnswer);
    }
    lstrcpynW(wideAnswer, path.c_str(), PATH_CAPACITY);
    return reinterpret_cast<LRESULT>(wideAnswer);
}

int positionMs() { return isPlaying ? static_cast<int>(GetTickCount() - songStartedAt) : 0; }

void advance() {
    if (!isPlaying || playlist.empty()) return;
    if (positionMs() < playlist[position_].lengthMs) return;
    int next = position_ + 1;
    if (next == static_cast<int>(playlist.size())) {
        if (!repeat) {
            isPlaying = false;
            return;
        }
        next = 0;
    }
    play(next);
}

// Sent to the host's own main window, so whatever subclasses it sees them first; the
// ANSI path is a temporary, as the real host's is. The start's stamp is taken again
// right before the send: a plug-in's latency counts from there.
void announceStart() {
    if (hostVersion < FIRST_5X) return;
    char ansiPath[PATH_CAPACITY];
    toAnsi(playlist[position_].path, ansiPath, sizeof ansiPath);
    startLog.back().at = now();
    SendMessageW(mainWindow, WM_USER, reinterpret_cast<WPARAM>(ansiPath), IPC_PLAYING_FILE);
    if (hostVersion < FIRST_WITH_WIDE_NAMES) return;
    SendMessageW(mainWindow, WM_USER, reinterpret_cast<WPARAM>(playlist[position_].path.c_str()), IPC_PLAYING_FILEW);
}

LRESULT answerRequest(WPARAM wParam, LPARAM code) {
    switch (code) {
    case IPC_GETVERSION: return hostVersion;
    case IPC_ISPLAYING: return isPlaying ? 1 : 0;
    case IPC_GETOUTPUTTIME:
        if (wParam == 1) return playlist.empty() ? -1 : playlist[position_].lengthMs / 1000;
        return positionMs();
    case IPC_SETVOLUME:
        if (hostVersion >= FIRST_5X && static_cast<int>(wParam) == VOLUME_QUERY) return hostVolume;
        // Cut to 8 bits before anything else, as the host does: 256 is 0.
        hostVolume = static_cast<int>(wParam & 0xFF);
        return 0;
    case IPC_GETLISTLENGTH: return static_cast<LRESULT>(playlist.size());
    case IPC_GETLISTPOS: return position_;
    case IPC_GETPLAYLISTFILE: return entryPath(wParam, false);
    case IPC_GETPLAYLISTFILEW:
        if (hostVersion < FIRST_WITH_WIDE_NAMES) break;
        return entryPath(wParam, true);
    case IPC_GETINIDIRECTORY:
        if (hostVersion < FIRST_WITH_INI_DIRECTORY || iniDirectory[0] == '\0') break;
        return reinterpret_cast<LRESULT>(iniDirectory);
    case IPC_PLAYING_FILE:
    case IPC_PLAYING_FILEW: return 0;
    }
    return hostVersion >= FIRST_5X ? 1 : 0;
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    log.push_back({message, wParam, lParam, now()});
    switch (message) {
    case WM_USER: return answerRequest(wParam, lParam);
    case WM_COMMAND:
        if (wParam == WINAMP_VOLUMEUP) hostVolume = hostVolume + VOLUME_STEP > 255 ? 255 : hostVolume + VOLUME_STEP;
        if (wParam == WINAMP_VOLUMEDOWN) hostVolume = hostVolume - VOLUME_STEP < 0 ? 0 : hostVolume - VOLUME_STEP;
        return 0;
    case WM_TIMER:
        if (wParam == PLAYBACK_TIMER_ID) advance();
        return 0;
    case WM_APP + 7: return UNKNOWN_MESSAGE_ANSWER;
    }
    return current.unicodeWindow ? DefWindowProcW(window, message, wParam, lParam)
                                 : DefWindowProcA(window, message, wParam, lParam);
}

HWND createAnsiWindow(HINSTANCE instance) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "LoudmarkWineHost";
        registered = RegisterClassA(&windowClass) != 0;
    }
    return CreateWindowExA(0, "LoudmarkWineHost", "Loudmark Wine host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, instance, nullptr);
}

HWND createUnicodeWindow(HINSTANCE instance) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = L"LoudmarkWineHostW";
        registered = RegisterClassW(&windowClass) != 0;
    }
    return CreateWindowExW(0, L"LoudmarkWineHostW", L"Loudmark Wine host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                           nullptr, nullptr, instance, nullptr);
}

}  // namespace

std::string asAnsi(const std::wstring& path) {
    char ansi[PATH_CAPACITY];
    toAnsi(path, ansi, sizeof ansi);
    return ansi;
}

Entry::Entry(const std::string& ansiPath, int ms) : lengthMs(ms) {
    WCHAR wide[PATH_CAPACITY] = L"";
    MultiByteToWideChar(CP_ACP, 0, ansiPath.c_str(), -1, wide, PATH_CAPACITY);
    path = wide;
}

Entry::Entry(std::wstring widePath, int ms) : path(std::move(widePath)), lengthMs(ms) {}

HWND create() { return create(WINAMP_2X); }

HWND create(const Profile& profile) {
    if (mainWindow != nullptr) {
        KillTimer(mainWindow, PLAYBACK_TIMER_ID);
        DestroyWindow(mainWindow);
    }
    current = profile;
    hostVersion = profile.version;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    mainWindow = profile.unicodeWindow ? createUnicodeWindow(instance) : createAnsiWindow(instance);
    SetTimer(mainWindow, PLAYBACK_TIMER_ID, PLAYBACK_TICK_MS, nullptr);
    return mainWindow;
}

HWND window() { return mainWindow; }
const Profile& profile() { return current; }
WNDPROC ownProcedure() { return procedure; }

void setVersion(int newVersion) { hostVersion = newVersion; }
int version() { return hostVersion; }
void setIniDirectory(const std::string& folder) { lstrcpynA(iniDirectory, folder.c_str(), sizeof iniDirectory); }
void setPlaylist(const std::vector<Entry>& entries) {
    playlist = entries;
    position_ = 0;
    isPlaying = false;
}
void setRepeat(bool on) { repeat = on; }

void insertEntry(int index, const Entry& entry) {
    if (index < 0 || index > static_cast<int>(playlist.size())) return;
    playlist.insert(playlist.begin() + index, entry);
    if (index <= position_ && playlist.size() > 1) ++position_;
}

void removeEntry(int index) {
    if (index < 0 || index >= static_cast<int>(playlist.size()) || index == position_) return;
    playlist.erase(playlist.begin() + index);
    if (index < position_) --position_;
}

void sortByFileName() {
    auto nameOf = [](const Entry& entry) {
        std::wstring name = entry.path.substr(entry.path.rfind(L'\\') + 1);
        CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
        return name;
    };
    std::vector<size_t> order(playlist.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return nameOf(playlist[a]) < nameOf(playlist[b]); });
    std::vector<Entry> sorted;
    int playingNow = position_;
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(playlist[order[i]]);
        if (static_cast<int>(order[i]) == position_) playingNow = static_cast<int>(i);
    }
    playlist = sorted;
    position_ = playingNow;
}
void play(int index) {
    position_ = index;
    songStartedAt = GetTickCount();
    isPlaying = true;
    startLog.push_back({index, now()});
    announceStart();
}
void stop() { isPlaying = false; }
bool playing() { return isPlaying; }
int position() { return position_; }
void setVolume(int newVolume) { hostVolume = newVolume; }
int volume() { return hostVolume; }

const std::vector<Received>& received() { return log; }
const std::vector<Start>& starts() { return startLog; }
void clearReceived() {
    log.clear();
    startLog.clear();
}

int count(UINT message, WPARAM wParam, LPARAM lParam) {
    int n = 0;
    for (const Received& r : log) n += r.message == message && r.wParam == wParam && r.lParam == lParam;
    return n;
}

int countMessages(UINT message, WPARAM wParam) {
    int n = 0;
    for (const Received& r : log) n += r.message == message && r.wParam == wParam;
    return n;
}

int countRequests(LPARAM code) {
    int n = 0;
    for (const Received& r : log) n += r.message == WM_USER && r.lParam == code;
    return n;
}

bool isVolumeSet(const Received& r) {
    if (r.message != WM_USER || r.lParam != IPC_SETVOLUME) return false;
    return hostVersion < FIRST_5X || static_cast<int>(r.wParam) != VOLUME_QUERY;
}

std::vector<int> volumesSet() {
    std::vector<int> values;
    for (const Received& r : log) {
        if (isVolumeSet(r)) values.push_back(static_cast<int>(r.wParam));
    }
    return values;
}

}  // namespace HostPlayer

extern "C" DWORD loudmarkHostWaveVolume(void) {
    if (HostPlayer::version() >= HostProtocol::FIRST_5X) return 0xFFFFFFFF;
    DWORD channel = static_cast<DWORD>(HostPlayer::volume()) * 257;
    return channel | (channel << 16);
}
