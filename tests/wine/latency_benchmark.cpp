// A measurement, not a test: how soon after a 5.9 host announces a start the plug-in has
// set the new song's volume, and how long the whole song change holds the host's thread
// (read, set, write), with databases of a few records up to 100,000; and how often the
// plug-in wakes per song on either host.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "host_files.h"
#include "host_player.h"
#include "message_pump.h"
#include "plugin_traces.h"
#include "profile_scenarios.h"
#include "scenario_kit.h"

namespace ProfileScenarios {

namespace {

using namespace ScenarioKit;

constexpr int SONGS = 8;
constexpr int SONG_MS = 1000;
constexpr int CHANGES_ON_59 = 200;
// Records besides the playlist's own, ahead of them in the file, as a long-used database
// has them; the profile functions read and rewrite all of them at every change.
constexpr int OTHER_RECORDS[] = {0, 1000, 10000, 100000};
constexpr int CHANGES_WITH_OTHERS = 100;  // enough for a median and a worst
constexpr int CHANGES_ON_2X = 50;  // enough for a per-song figure; the 2.x host is not timed
constexpr DWORD JUMP_AFTER_MS = 150;
constexpr int NATURAL_END_EVERY = 4;  // one change in four is a song's end, the rest jumps
// Wake-ups are compared over songs that play to their end, long enough for the 2.x
// tracker's tick (a second after a song's end) to land in the next song.
constexpr int PLAYED_THROUGH = 10;
constexpr int PLAYED_THROUGH_MS = 3000;
constexpr UINT_PTR MAIN_TIMER_LIMIT = PluginTraces::MAIN_TIMER_ID + 64;

struct Figures {
    int songs = 0;
    int jumps = 0;
    int timerTicks = 0;
    int posts = 0;
    std::vector<double> latencyMs;  // one per start that got its volume
    std::vector<double> heldMs;     // per start: the plug-in's whole song change on the host's thread
    int unanswered = 0;
    double initMs = 0;   // the plug-in's start-up
    double firstMs = 0;  // the first song's announcement to its volume set, right after start-up
};

LONGLONG counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double toMs(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Only what came through the host's message loop: the main timer has no TIMERPROC (the
// tray animation's timers do, and never reach the window procedure), and the plug-in's
// own registered message is posted.
Figures count() {
    Figures figures;
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    const auto& log = HostPlayer::received();
    const auto& starts = HostPlayer::starts();
    figures.songs = static_cast<int>(starts.size());
    for (const HostPlayer::Received& r : log) {
        figures.timerTicks += r.message == WM_TIMER && r.lParam == 0 && r.wParam >= PluginTraces::MAIN_TIMER_ID &&
                              r.wParam < MAIN_TIMER_LIMIT;
        figures.posts += r.message >= 0xC000 && r.message != taskbarCreated;
    }
    for (size_t i = 0; i < starts.size(); ++i) {
        LONGLONG until = i + 1 < starts.size() ? starts[i + 1].at : LLONG_MAX;
        auto set = std::find_if(log.begin(), log.end(), [&](const HostPlayer::Received& r) {
            return HostPlayer::isVolumeSet(r) && r.at >= starts[i].at && r.at < until;
        });
        if (set == log.end()) {
            ++figures.unanswered;
            continue;
        }
        figures.latencyMs.push_back(toMs(set->at - starts[i].at));
        // The change begins with the tracker's first question after the announcement and
        // ends when its posted message, routed through the plug-in first, reaches the host.
        auto first = std::find_if(log.begin(), log.end(), [&](const HostPlayer::Received& r) {
            return r.message == WM_USER && r.lParam == HostProtocol::IPC_ISPLAYING && r.at >= starts[i].at;
        });
        auto done = std::find_if(set, log.end(), [&](const HostPlayer::Received& r) {
            return r.message >= 0xC000 && r.message != taskbarCreated;
        });
        if (first != log.end() && done != log.end() && first->at <= set->at) {
            figures.heldMs.push_back(toMs(done->at - first->at));
        }
    }
    return figures;
}

// The database a listener of long standing has: `others` records of other songs, then
// one for each song of the playlist, all away from the reference so that every change
// records the ended song anew.
std::string databaseWith(int others, const std::vector<HostPlayer::Entry>& playlist) {
    std::string text = ScenarioKit::SECTION;
    text.reserve(static_cast<size_t>(others) * 60 + 1024);
    char line[160];
    for (int i = 0; i < others; ++i) {
        std::snprintf(line, sizeof line, "\"%02d A Song Kept For Long Now %06d.mp3[%d]\"=%d\r\n",
                      i % 20 + 1, i, 3000000 + i * 37, 200 + i % 50);
        text += line;
    }
    for (size_t i = 0; i < playlist.size(); ++i) {
        std::wstring name = playlist[i].path.substr(playlist[i].path.rfind(L'\\') + 1);
        std::snprintf(line, sizeof line, "\"%ls[%d]\"=%d\r\n", name.c_str(), 1000 + static_cast<int>(i),
                      230 + static_cast<int>(i));
        text += line;
    }
    return text;
}

Figures playChanges(int changes, int otherRecords) {
    std::vector<HostPlayer::Entry> playlist;
    for (int i = 0; i < SONGS; ++i) {
        playlist.push_back({song("latency-" + std::to_string(i) + ".mp3", 1000 + i), SONG_MS});
    }
    freshPlayer(playlist, true);
    std::string folder = pluginFolder("latency-" + profileName());
    HostFiles::write(folder + "\\volume.ini", databaseWith(otherRecords, playlist));
    Plugin plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return Figures();
    LONGLONG initFrom = counter();
    plugin.record->init();
    double initMs = toMs(counter() - initFrom);
    HostPlayer::clearReceived();
    HostPlayer::play(0);
    waitForVolumesSet(1, 2000);
    Figures first = count();

    HostPlayer::clearReceived();
    int jumps = 0;
    for (int i = 0; i < changes; ++i) {
        if (i % NATURAL_END_EVERY == NATURAL_END_EVERY - 1) {
            size_t started = HostPlayer::starts().size();
            MessagePump::until([started] { return HostPlayer::starts().size() > started; }, 2 * SONG_MS);
        } else {
            MessagePump::forMs(JUMP_AFTER_MS);
            HostPlayer::play((HostPlayer::position() + 1) % SONGS);
            ++jumps;
        }
        // The listener moves the slider now and then, so the ended song's record changes.
        if (i % 3 == 0) HostPlayer::setVolume(90 + i % 60);
    }
    MessagePump::forMs(JUMP_AFTER_MS);
    Figures figures = count();
    figures.jumps = jumps;
    figures.initMs = initMs;
    figures.firstMs = first.latencyMs.empty() ? -1.0 : first.latencyMs[0];
    quitAndUnload(plugin);
    HostPlayer::stop();
    return figures;
}

// Songs played to their end one after the other, the listener's hands off.
Figures playThrough() {
    std::vector<HostPlayer::Entry> playlist;
    for (int i = 0; i < PLAYED_THROUGH; ++i) {
        playlist.push_back({song("through-" + std::to_string(i) + ".mp3", 2000 + i), PLAYED_THROUGH_MS});
    }
    freshPlayer(playlist, false);
    Plugin plugin = loadPlugin(pluginFolder("through-" + profileName()));
    if (plugin.record == nullptr) return Figures();
    plugin.record->init();
    HostPlayer::play(0);
    waitForVolumesSet(1, 2000);
    HostPlayer::clearReceived();
    MessagePump::until([] { return HostPlayer::starts().size() >= PLAYED_THROUGH - 1; },
                       PLAYED_THROUGH * PLAYED_THROUGH_MS + 2000);
    MessagePump::forMs(PLAYED_THROUGH_MS / 2);
    Figures figures = count();
    quitAndUnload(plugin);
    HostPlayer::stop();
    return figures;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double worst(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

double perSong(const Figures& f) { return f.songs == 0 ? 0.0 : static_cast<double>(f.timerTicks + f.posts) / f.songs; }

}  // namespace

void songChangeLatency() {
    scenario("Song-change latency on the 5.9 host by database size, and the plug-in's wake-ups per song on both hosts");
    HostPlayer::create(HostPlayer::WINAMP_59);
    std::printf("  5.9 host, jumps %lu ms into a song and one song's end in %d; the playlist's records last in the file\n",
                static_cast<unsigned long>(JUMP_AFTER_MS), NATURAL_END_EVERY);
    std::printf("  %9s %8s %8s %8s  %-27s  %-27s\n", "records", "start-up", "1st song", "changes",
                "announcement to volume set", "the whole change, held");
    for (int others : OTHER_RECORDS) {
        Figures five = playChanges(others == 0 ? CHANGES_ON_59 : CHANGES_WITH_OTHERS, others);
        const int records = others + SONGS;
        checkEqual(five.unanswered, 0, "every announced start got its volume set, " + std::to_string(records) + " records");
        std::printf("  %9d %5.0f ms %5.1f ms %8d  median %6.2f, worst %6.2f ms  median %6.2f, worst %6.2f ms\n", records,
                    five.initMs, five.firstMs, five.songs, median(five.latencyMs), worst(five.latencyMs),
                    median(five.heldMs), worst(five.heldMs));
        std::fflush(stdout);
    }
    Figures fiveThrough = playThrough();
    HostPlayer::create(HostPlayer::WINAMP_2X);
    Figures two = playChanges(CHANGES_ON_2X, 0);
    Figures twoThrough = playThrough();

    std::printf("  wake-ups per song (main-timer ticks + posted messages through the host's loop),\n"
                "  %d songs of %d ms played to their end:\n", PLAYED_THROUGH, PLAYED_THROUGH_MS);
    std::printf("    5.9 host: %.2f (%d ticks + %d posts over %d songs)\n", perSong(fiveThrough),
                fiveThrough.timerTicks, fiveThrough.posts, fiveThrough.songs);
    std::printf("    2.x host: %.2f (%d ticks + %d posts over %d songs)\n", perSong(twoThrough), twoThrough.timerTicks,
                twoThrough.posts, twoThrough.songs);
    std::printf("  the 2.x host in a mix of jumps and ends: %.2f (%d ticks + %d posts over %d songs; a volume set during "
                "%d of them)\n",
                perSong(two), two.timerTicks, two.posts, two.songs, static_cast<int>(two.latencyMs.size()));
    std::fflush(stdout);
}

}  // namespace ProfileScenarios
