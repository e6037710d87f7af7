// The simulated player. Its model is a playlist, a current entry, a play state and a
// volume; the clock listener moves it on from song to song at the exact moment a song
// ends. The main window (host_window.cpp) answers the host requests from the model; the
// 5.x host's additions are in modern_host.cpp. Every start of an entry is noted, and the
// 5.x host announces the starts from its own routines only: the listener's actions and
// the clock listener, never from inside the answer to a request.
#include "player/simulated_player.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>

#include "player/player_model.h"
#include "sim/platform.h"

namespace sim {
namespace player {

namespace detail {

Model model;

namespace {
unsigned generations = 0;
}  // namespace

bool hasEntry(int index) { return index >= 0 && index < static_cast<int>(model.playlist.size()); }

namespace {

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
    noteStart(index);
}

int64_t clockMs() { return sim::now(); }

}  // namespace

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

namespace {

// The wave-output volume as device 0 reports it: the 2.x host sets it from its slider at
// full scale, v x 257 for each channel (waveOutSetVolume's reference: the low-order word
// is the left channel, 0xFFFF full volume), so the 0..255 volume stands in both bytes of
// each word; the Volume Mixer's slider for the player (Vista and later) sets the same
// value itself ("Audio Events for Legacy Audio Applications"). The 5.x host never
// touches it.
DWORD waveOutVolume() {
    if (model.modern) return 0xFFFFFFFF;
    if (model.mixerSet) return model.mixerValue;
    DWORD channel = (static_cast<DWORD>(model.volume) & 0xFF) * 257;
    return channel | (channel << 16);
}

HWND begin(int version, bool modern) {
    model = Model{};
    model.version = version;
    model.modern = modern;
    model.generation = ++generations;
    model.window = modern ? sim::createUnicodeWindow(unicodeProcedure, "Winamp v1.x")
                          : sim::createWindow(ansiProcedure, "Winamp v1.x");
    if (modern) makeIniDirectory();
    const unsigned generation = model.generation;
    // A listener left from an earlier start (without a reset in between) steps aside.
    sim::addClockListener([generation](uint64_t nowMs) -> uint64_t {
        if (generation != model.generation) return UINT64_MAX;
        catchUp(nowMs);
        announcePending();
        return catchUp(nowMs);
    });
    sim::setWaveOutVolumeSource([generation]() -> DWORD {
        return generation == model.generation ? waveOutVolume() : 0;
    });
    return model.window;
}

}  // namespace
}  // namespace detail

using namespace detail;

HWND start(int version) { return begin(version, false); }
HWND startModern(int version) { return begin(version, true); }

HWND window() { return model.window; }

namespace {
// Announces, on the way out of a listener's action, the starts it (or a request answered
// since the last action) made.
struct Announcer {
    ~Announcer() { announcePending(); }
};
}  // namespace

void setPlaylist(const std::vector<Entry>& entries) {
    Announcer announcer;
    model.playlist = entries;
    model.current = 0;
    model.state = State::Stopped;
}

void insertEntry(int index, const Entry& entry) {
    Announcer announcer;
    catchUp(clockMs());
    const int count = static_cast<int>(model.playlist.size());
    index = std::clamp(index, 0, count);
    model.playlist.insert(model.playlist.begin() + index, entry);
    // The playing song keeps playing; it simply stands one place further down.
    if (count > 0 && index <= model.current) ++model.current;
}

void removeEntry(int index) {
    Announcer announcer;
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

void sortByFileName() {
    Announcer announcer;
    catchUp(clockMs());
    auto nameOf = [](const Entry& entry) {
        std::string name = entry.path.substr(entry.path.rfind('\\') + 1);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    };
    std::vector<int> order(model.playlist.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return nameOf(model.playlist[static_cast<size_t>(a)]) < nameOf(model.playlist[static_cast<size_t>(b)]);
    });
    std::vector<Entry> sorted;
    int current = model.current;
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(model.playlist[static_cast<size_t>(order[i])]);
        if (order[i] == model.current) current = static_cast<int>(i);
    }
    model.playlist = sorted;
    model.current = current;
}

int length() { return static_cast<int>(model.playlist.size()); }

int position() {
    catchUp(clockMs());
    return model.current;
}

void play() {
    Announcer announcer;
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
    Announcer announcer;
    catchUp(clockMs());
    if (model.state == State::Playing) {
        model.pausedAtMs = currentPositionMs();
        model.state = State::Paused;
    } else if (model.state == State::Paused) {
        play();
    }
}

void stop() {
    Announcer announcer;
    catchUp(clockMs());
    model.state = State::Stopped;
}

void jumpTo(int index) {
    Announcer announcer;
    catchUp(clockMs());
    if (hasEntry(index)) startEntry(index, clockMs());
}

void next() {
    Announcer announcer;
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
    Announcer announcer;
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

void setVolume(int volume) {
    model.volume = std::clamp(volume, 0, 255);
    model.mixerSet = false;  // the player sets the device's volume again
}

void setMixerVolume(double fraction) {
    DWORD channel = static_cast<DWORD>(std::clamp(fraction, 0.0, 1.0) * 0xFFFF);
    model.mixerValue = channel | (channel << 16);
    model.mixerSet = true;
}
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
    Announcer announcer;
    catchUp(clockMs());
    model.repeat = repeat;
}

void setVersion(int version) { model.version = version; }
void overrideReportedLength(int seconds) { model.reportedLength = seconds; }
void overrideReportedListLength(int entries) { model.reportedListLength = entries; }

}  // namespace player
}  // namespace sim
