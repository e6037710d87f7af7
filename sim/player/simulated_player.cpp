// The simulated player. Its model is a playlist, a current entry, a play state and a
// volume; the clock listener moves it on from song to song at the exact moment a song
// ends, and the main window's procedure answers the host requests from the model.
#include "player/simulated_player.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

#include "sim/platform.h"

namespace sim {
namespace player {

namespace {

// The host's request codes (WM_USER with the code in lParam) and commands.
constexpr LPARAM IPC_GETVERSION = 0;
constexpr LPARAM IPC_ISPLAYING = 104;
constexpr LPARAM IPC_GETOUTPUTTIME = 105;
constexpr LPARAM IPC_SETVOLUME = 122;
constexpr LPARAM IPC_GETLISTLENGTH = 124;
constexpr LPARAM IPC_GETLISTPOS = 125;
constexpr LPARAM IPC_GETPLAYLISTFILE = 211;
constexpr WORD WINAMP_VOLUMEUP = 40058;
constexpr WORD WINAMP_VOLUMEDOWN = 40059;
// IPC_SETVOLUME with this value asks for the volume instead of setting it.
constexpr int VOLUME_QUERY = -666;

enum class State { Stopped, Playing, Paused };

struct Model {
    HWND window = nullptr;
    int version = 0x2081;
    std::vector<Entry> playlist;
    int current = 0;
    State state = State::Stopped;
    int64_t songStartMs = 0;  // while playing: the moment position 0 was (or would have been)
    int pausedAtMs = 0;        // while paused: the position
    int volume = 130;
    bool repeat = false;
    int reportedLength = INT32_MIN;
    int reportedListLength = INT32_MIN;
    std::vector<Request> log;
    // The answer to the last IPC_GETPLAYLISTFILE: freed at the next request, so a caller
    // that keeps the pointer longer than the host promises reads freed memory (which the
    // sanitizer build reports) rather than silently getting lucky.
    std::unique_ptr<char[]> fileAnswer;
    unsigned generation = 0;
};

Model model;
unsigned generations = 0;

bool hasEntry(int index) { return index >= 0 && index < static_cast<int>(model.playlist.size()); }

// Entries of no positive length are streams: they play until the listener moves on.
uint64_t endOf(int index, int64_t startMs) {
    int seconds = hasEntry(index) ? model.playlist[index].lengthSeconds : 0;
    if (seconds <= 0) return UINT64_MAX;
    return static_cast<uint64_t>(std::max<int64_t>(0, startMs + static_cast<int64_t>(seconds) * 1000));
}

void startEntry(int index, int64_t atMs) {
    model.current = index;
    model.state = State::Playing;
    model.songStartMs = atMs;
}

// Moves from song to song up to `nowMs`; answers the moment the playing song ends.
uint64_t catchUp(uint64_t nowMs) {
    int songsPlayed = 0;
    const int count = static_cast<int>(model.playlist.size());
    while (model.state == State::Playing) {
        uint64_t end = endOf(model.current, model.songStartMs);
        if (end > nowMs) return end;
        if (model.current + 1 < count) {
            startEntry(model.current + 1, static_cast<int64_t>(end));
        } else if (model.repeat && count > 0) {
            startEntry(0, static_cast<int64_t>(end));
        } else {
            // At the end of the playlist the player stops on its last entry.
            model.state = State::Stopped;
            break;
        }
        // A repeating list of zero-length entries would never get past this moment.
        if (++songsPlayed > count) {
            model.state = State::Stopped;
            break;
        }
    }
    return UINT64_MAX;
}

int64_t clockMs() { return sim::now(); }

int currentPositionMs() {
    catchUp(clockMs());
    switch (model.state) {
        case State::Playing: return static_cast<int>(clockMs() - model.songStartMs);
        case State::Paused: return model.pausedAtMs;
        default: return 0;
    }
}

int reportedLengthSeconds() {
    if (model.reportedLength != INT32_MIN) return model.reportedLength;
    return hasEntry(model.current) ? model.playlist[model.current].lengthSeconds : -1;
}

LRESULT answerFile(WPARAM wParam) {
    int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    if (!hasEntry(index)) return 0;
    const std::string& path = model.playlist[index].path;
    model.fileAnswer.reset(new char[path.size() + 1]);
    std::memcpy(model.fileAnswer.get(), path.c_str(), path.size() + 1);
    return reinterpret_cast<LRESULT>(model.fileAnswer.get());
}

LRESULT answerRequest(WPARAM wParam, LPARAM code) {
    catchUp(clockMs());
    switch (code) {
        case IPC_GETVERSION: return model.version;
        case IPC_ISPLAYING:
            return model.state == State::Playing ? 1 : model.state == State::Paused ? 3 : 0;
        case IPC_GETOUTPUTTIME:
            // As the real host: -1 for either question while nothing is playing.
            if (model.state == State::Stopped) return -1;
            if (wParam == 0) return currentPositionMs();
            if (wParam == 1) return reportedLengthSeconds();
            return -1;
        case IPC_SETVOLUME: {
            int requested = static_cast<int>(static_cast<INT_PTR>(wParam));
            if (requested == VOLUME_QUERY) return model.volume;
            model.volume = std::clamp(requested, 0, 255);
            return 0;
        }
        case IPC_GETLISTLENGTH:
            return model.reportedListLength != INT32_MIN ? model.reportedListLength
                                                         : static_cast<LRESULT>(model.playlist.size());
        case IPC_GETLISTPOS: return model.current;
        case IPC_GETPLAYLISTFILE: return answerFile(wParam);
        default: return 0;
    }
}

LRESULT CALLBACK playerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    model.log.push_back(Request{message, wParam, lParam, sim::now()});
    if (!(message == WM_USER && lParam == IPC_GETPLAYLISTFILE)) model.fileAnswer.reset();
    if (message == WM_USER) return answerRequest(wParam, lParam);
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == WINAMP_VOLUMEUP) {
            model.volume = std::min(255, model.volume + VOLUME_STEP);
            return 0;
        }
        if (LOWORD(wParam) == WINAMP_VOLUMEDOWN) {
            model.volume = std::max(0, model.volume - VOLUME_STEP);
            return 0;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The wave-output volume as device 0 reports it: the 0..255 volume in the lowest bits of
// the left channel's word, and the same for the right channel in the high word.
DWORD waveOutVolume() {
    DWORD v = static_cast<DWORD>(model.volume) & 0xFF;
    return v | (v << 16);
}

}  // namespace

HWND start(int version) {
    model = Model{};
    model.version = version;
    model.generation = ++generations;
    model.window = sim::createWindow(playerProcedure, "Winamp v1.x");
    const unsigned generation = model.generation;
    // A listener left from an earlier start (without a reset in between) steps aside.
    sim::addClockListener([generation](uint64_t nowMs) -> uint64_t {
        if (generation != model.generation) return UINT64_MAX;
        return catchUp(nowMs);
    });
    sim::setWaveOutVolumeSource([generation]() -> DWORD {
        return generation == model.generation ? waveOutVolume() : 0;
    });
    return model.window;
}

HWND window() { return model.window; }

void setPlaylist(const std::vector<Entry>& entries) {
    model.playlist = entries;
    model.current = 0;
    model.state = State::Stopped;
}

void insertEntry(int index, const Entry& entry) {
    catchUp(clockMs());
    const int count = static_cast<int>(model.playlist.size());
    index = std::clamp(index, 0, count);
    model.playlist.insert(model.playlist.begin() + index, entry);
    // The playing song keeps playing; it simply stands one place further down.
    if (count > 0 && index <= model.current) ++model.current;
}

void removeEntry(int index) {
    catchUp(clockMs());
    if (!hasEntry(index)) return;
    model.playlist.erase(model.playlist.begin() + index);
    if (index < model.current) {
        --model.current;
    } else if (index == model.current) {
        // Removing the entry being played stops it; the entry that moves up becomes current.
        model.state = State::Stopped;
        model.current = std::min(model.current, std::max(0, static_cast<int>(model.playlist.size()) - 1));
    }
}

int length() { return static_cast<int>(model.playlist.size()); }

int position() {
    catchUp(clockMs());
    return model.current;
}

void play() {
    catchUp(clockMs());
    if (model.state == State::Paused) {
        model.state = State::Playing;
        model.songStartMs = clockMs() - model.pausedAtMs;
        return;
    }
    if (!hasEntry(model.current)) return;
    startEntry(model.current, clockMs());  // from stopped, or again from the start
}

void pause() {
    catchUp(clockMs());
    if (model.state == State::Playing) {
        model.pausedAtMs = currentPositionMs();
        model.state = State::Paused;
    } else if (model.state == State::Paused) {
        play();
    }
}

void stop() {
    catchUp(clockMs());
    model.state = State::Stopped;
}

void jumpTo(int index) {
    catchUp(clockMs());
    if (hasEntry(index)) startEntry(index, clockMs());
}

void next() {
    catchUp(clockMs());
    const int count = static_cast<int>(model.playlist.size());
    if (count == 0) return;
    int target = model.current + 1 < count ? model.current + 1 : 0;
    if (model.state == State::Stopped) {
        model.current = target;
    } else {
        startEntry(target, clockMs());
    }
}

void seekTo(int ms) {
    catchUp(clockMs());
    ms = std::max(0, ms);
    // Seeking to or past the end ends the song now.
    int seconds = hasEntry(model.current) ? model.playlist[model.current].lengthSeconds : 0;
    if (seconds > 0) ms = std::min(ms, seconds * 1000);
    if (model.state == State::Playing) {
        model.songStartMs = clockMs() - ms;
        catchUp(clockMs());
    } else if (model.state == State::Paused) {
        model.pausedAtMs = ms;
    }
}

void setVolume(int volume) { model.volume = std::clamp(volume, 0, 255); }
int volume() { return model.volume; }

bool playing() {
    catchUp(clockMs());
    return model.state == State::Playing;
}

bool paused() {
    catchUp(clockMs());
    return model.state == State::Paused;
}

int positionMs() { return currentPositionMs(); }

void setRepeat(bool repeat) {
    catchUp(clockMs());
    model.repeat = repeat;
}

void setVersion(int version) { model.version = version; }
void overrideReportedLength(int seconds) { model.reportedLength = seconds; }
void overrideReportedListLength(int entries) { model.reportedListLength = entries; }

const std::vector<Request>& requests() { return model.log; }

std::vector<int> volumesSet() {
    std::vector<int> out;
    for (const Request& r : model.log) {
        if (r.message != WM_USER || r.lParam != IPC_SETVOLUME) continue;
        int value = static_cast<int>(static_cast<INT_PTR>(r.wParam));
        if (value != VOLUME_QUERY) out.push_back(value);
    }
    return out;
}

void clearLog() { model.log.clear(); }

}  // namespace player
}  // namespace sim
