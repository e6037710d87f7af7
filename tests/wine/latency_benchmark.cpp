// A measurement, not a test: how soon after a 5.9 host announces a start the plug-in has
// set the new song's volume, and how often the plug-in wakes per song on either host.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

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
    int unanswered = 0;
};

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
        } else {
            figures.latencyMs.push_back(toMs(set->at - starts[i].at));
        }
    }
    return figures;
}

Figures playChanges(int changes) {
    std::vector<HostPlayer::Entry> playlist;
    for (int i = 0; i < SONGS; ++i) {
        playlist.push_back({song("latency-" + std::to_string(i) + ".mp3", 1000 + i), SONG_MS});
    }
    freshPlayer(playlist, true);
    Plugin plugin = loadPlugin(pluginFolder("latency-" + profileName()));
    if (plugin.record == nullptr) return Figures();
    plugin.record->init();
    HostPlayer::play(0);
    waitForVolumesSet(1, 2000);

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
    }
    MessagePump::forMs(JUMP_AFTER_MS);
    Figures figures = count();
    figures.jumps = jumps;
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

double perSong(const Figures& f) { return f.songs == 0 ? 0.0 : static_cast<double>(f.timerTicks + f.posts) / f.songs; }

}  // namespace

void songChangeLatency() {
    scenario("Song-change latency on the 5.9 host, and the plug-in's wake-ups per song on both hosts");
    HostPlayer::create(HostPlayer::WINAMP_59);
    Figures five = playChanges(CHANGES_ON_59);
    Figures fiveThrough = playThrough();
    HostPlayer::create(HostPlayer::WINAMP_2X);
    Figures two = playChanges(CHANGES_ON_2X);
    Figures twoThrough = playThrough();

    checkEqual(five.unanswered, 0, "every announced start got its volume set");
    std::vector<double> sorted = five.latencyMs;
    std::sort(sorted.begin(), sorted.end());
    if (!sorted.empty()) {
        std::printf("  5.9 host, %d song changes (%d jumps %lu ms into a song, the rest songs' ends):\n", five.songs,
                    five.jumps, static_cast<unsigned long>(JUMP_AFTER_MS));
        std::printf("    announcement to volume set: median %.2f ms, worst %.2f ms\n", sorted[sorted.size() / 2],
                    sorted.back());
    }
    std::printf("  wake-ups per song (main-timer ticks + posted messages through the host's loop),\n"
                "  %d songs of %d ms played to their end:\n", PLAYED_THROUGH, PLAYED_THROUGH_MS);
    std::printf("    5.9 host: %.2f (%d ticks + %d posts over %d songs)\n", perSong(fiveThrough),
                fiveThrough.timerTicks, fiveThrough.posts, fiveThrough.songs);
    std::printf("    2.x host: %.2f (%d ticks + %d posts over %d songs)\n", perSong(twoThrough), twoThrough.timerTicks,
                twoThrough.posts, twoThrough.songs);
    std::printf("  the same in the mix of jumps and ends above:\n");
    std::printf("    5.9 host: %.2f (%d ticks + %d posts over %d songs)\n", perSong(five), five.timerTicks, five.posts,
                five.songs);
    std::printf("    2.x host: %.2f (%d ticks + %d posts over %d songs; a volume set during %d of them)\n",
                perSong(two), two.timerTicks, two.posts, two.songs, static_cast<int>(two.latencyMs.size()));
    std::fflush(stdout);
}

}  // namespace ProfileScenarios
