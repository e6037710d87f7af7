#include "host_player.h"

namespace HostPlayer {

namespace {

constexpr UINT PLAYBACK_TICK_MS = 20;

HWND mainWindow = nullptr;
int version = DEFAULT_VERSION;
std::vector<Entry> playlist;
int current = 0;
bool isPlaying = false;
DWORD songStartedAt = 0;
int hostVolume = 130;
std::vector<Received> log;
std::string pathAnswer;  // stays valid until the next request, as the host promises

int positionMs() { return isPlaying ? static_cast<int>(GetTickCount() - songStartedAt) : 0; }

void advance() {
    if (!isPlaying || playlist.empty()) return;
    if (positionMs() < playlist[current].lengthMs) return;
    if (current + 1 < static_cast<int>(playlist.size())) {
        ++current;
        songStartedAt = GetTickCount();
    } else {
        isPlaying = false;
    }
}

LRESULT answerRequest(WPARAM wParam, LPARAM code) {
    switch (code) {
    case 0: return version;
    case 104: return isPlaying ? 1 : 0;
    case 105:
        if (wParam == 1) return playlist.empty() ? -1 : playlist[current].lengthMs / 1000;
        return positionMs();
    case 122: hostVolume = static_cast<int>(wParam); return 0;
    case 124: return static_cast<LRESULT>(playlist.size());
    case 125: return current;
    case 211:
        if (wParam >= playlist.size()) return 0;
        pathAnswer = playlist[wParam].path;
        return reinterpret_cast<LRESULT>(pathAnswer.c_str());
    }
    return 0;
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    log.push_back({message, wParam, lParam});
    switch (message) {
    case WM_USER: return answerRequest(wParam, lParam);
    case WM_COMMAND:
        if (wParam == 40058) hostVolume = hostVolume + VOLUME_STEP > 255 ? 255 : hostVolume + VOLUME_STEP;
        if (wParam == 40059) hostVolume = hostVolume - VOLUME_STEP < 0 ? 0 : hostVolume - VOLUME_STEP;
        return 0;
    case WM_TIMER:
        if (wParam == PLAYBACK_TIMER_ID) advance();
        return 0;
    case WM_APP + 7: return UNKNOWN_MESSAGE_ANSWER;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND create() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "LoudmarkWineHost";
    RegisterClassA(&windowClass);
    mainWindow = CreateWindowExA(0, "LoudmarkWineHost", "Loudmark Wine host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    SetTimer(mainWindow, PLAYBACK_TIMER_ID, PLAYBACK_TICK_MS, nullptr);
    return mainWindow;
}

HWND window() { return mainWindow; }
WNDPROC ownProcedure() { return procedure; }

void setVersion(int newVersion) { version = newVersion; }
void setPlaylist(const std::vector<Entry>& entries) {
    playlist = entries;
    current = 0;
    isPlaying = false;
}
void play(int index) {
    current = index;
    songStartedAt = GetTickCount();
    isPlaying = true;
}
void stop() { isPlaying = false; }
bool playing() { return isPlaying; }
int position() { return current; }
void setVolume(int newVolume) { hostVolume = newVolume; }
int volume() { return hostVolume; }

const std::vector<Received>& received() { return log; }
void clearReceived() { log.clear(); }

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

std::vector<int> volumesSet() {
    std::vector<int> values;
    for (const Received& r : log) {
        if (r.message == WM_USER && r.lParam == 122) values.push_back(static_cast<int>(r.wParam));
    }
    return values;
}

}  // namespace HostPlayer

extern "C" DWORD loudmarkHostWaveVolume(void) {
    DWORD channel = static_cast<DWORD>(HostPlayer::volume()) * 257;
    return channel | (channel << 16);
}
