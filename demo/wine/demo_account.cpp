#include "demo_account.h"

#include <shellapi.h>

#include <cstdio>

#include "../demo_records.h"
#include "host_files.h"
#include "host_player.h"
#include "message_pump.h"
#include "tray_spy.h"

namespace DemoAccount {

namespace {

constexpr char REST_TIP_START[] = "Reference Volume is ";
constexpr DWORD LOOK_EVERY_MS = 25;

struct IconName {
    int resource;
    const char* name;
};
// The resource numbers of the module's icons (res/loudmark.rc), named as the frames show.
constexpr IconName ICON_NAMES[] = {
    {102, "logo"}, {105, "disc"}, {106, "180"}, {107, "90"}, {108, "270"}, {109, "45"},
    {110, "135"},  {111, "225"},  {112, "315"}, {113, "up"}, {114, "down"},
};

DWORD startTick = 0;
std::vector<std::string> songs;
std::string database;
std::string databaseSeen;
HMODULE module = nullptr;

size_t requestsSeen = 0;
int volumesSet = 0;
int positionSeen = -1;
bool playingSeen = false;
size_t trayCallsSeen = 0;
std::string tipSeen;
bool animating = false;
DWORD animationStartedAt = 0;
std::vector<std::string> frames;
DWORD lastLook = 0;

std::string songName(int index) {
    return index >= 0 && index < static_cast<int>(songs.size()) ? songs[index] : "(none)";
}

std::string iconName(HICON icon) {
    // The plug-in loads its icons with LoadIconA, which hands out one shared handle per
    // resource: the same call here finds the same handle.
    for (const IconName& known : ICON_NAMES) {
        if (LoadIconA(module, MAKEINTRESOURCEA(known.resource)) == icon) return known.name;
    }
    return "?";
}

bool restTip(const std::string& tip) { return tip.compare(0, sizeof REST_TIP_START - 1, REST_TIP_START) == 0; }

void lookAtRequests() {
    const auto& received = HostPlayer::received();
    for (; requestsSeen < received.size(); ++requestsSeen) {
        const HostPlayer::Received& r = received[requestsSeen];
        if (r.message == WM_USER && r.lParam == 122) {
            ++volumesSet;
            say("Loudmark sets the volume for \"" + songName(HostPlayer::position()) + "\" to " +
                std::to_string(static_cast<int>(r.wParam)));
        }
    }
}

void lookAtPlayer() {
    bool playing = HostPlayer::playing();
    if (playing && (HostPlayer::position() != positionSeen || !playingSeen)) {
        positionSeen = HostPlayer::position();
        say("the player starts \"" + songName(positionSeen) + "\"  (song " + std::to_string(positionSeen + 1) + "/" +
            std::to_string(songs.size()) + ")");
    }
    if (!playing && playingSeen) say("the player reaches the end of the playlist and stops");
    playingSeen = playing;
}

void endAnimation(DWORD at, const char* how) {
    std::string shown;
    for (const std::string& frame : frames) shown += (shown.empty() ? "" : " ") + frame;
    char seconds[16];
    std::snprintf(seconds, sizeof seconds, "%.2f", (at - animationStartedAt) / 1000.0);
    say("tray animation " + std::string(how) + " after " + std::string(seconds) + " s: " + std::to_string(frames.size()) +
        " frames shown (" + shown + ")");
    animating = false;
}

void lookAtTray() {
    const auto& calls = TraySpy::calls();
    for (; trayCallsSeen < calls.size(); ++trayCallsSeen) {
        const TraySpy::Call& call = calls[trayCallsSeen];
        if (call.action == NIM_DELETE) {
            if (animating) endAnimation(call.atTick, "cut short");
            say(call.answer ? "tray icon removed" : "tray icon removal refused by the platform");
            tipSeen.clear();
            continue;
        }
        if (!call.answer) {
            say("the platform refused a tray icon call (action " + std::to_string(call.action) + ")");
            continue;
        }
        bool rest = restTip(call.tip);
        if (rest && animating) endAnimation(call.atTick, "ended");
        if (!rest && (!animating || call.tip != tipSeen)) {
            if (animating) endAnimation(call.atTick, "replaced by another");
            animating = true;
            animationStartedAt = call.atTick;
            frames.clear();
            say("tray animation: \"" + call.tip + "\"");
        }
        if (animating) frames.push_back(iconName(call.icon));
        if (rest && call.tip != tipSeen) {
            say(std::string(call.action == NIM_ADD ? "tray icon added, at rest: \"" : "tray icon at rest: \"") +
                call.tip + "\" (" + iconName(call.icon) + ")");
        }
        tipSeen = call.tip;
    }
}

void reportNewRecords(const std::string& before, const std::string& after) {
    for (const std::string& line : DemoRecords::newRecordLines(before, after)) {
        say("record written: " + line + DemoRecords::describeOffset(line));
    }
    if (after.empty() && !before.empty()) say("the volume database is now empty");
}

void lookAtDatabase() {
    std::string now = HostFiles::read(database);
    if (now == databaseSeen) return;
    reportNewRecords(databaseSeen, now);
    databaseSeen = now;
}

}  // namespace

void begin(const std::vector<std::string>& songNames, const std::string& databasePath, HMODULE plugin) {
    startTick = GetTickCount();
    songs = songNames;
    database = databasePath;
    databaseSeen = HostFiles::read(database);
    module = plugin;
}

std::string clock() {
    DWORD ms = GetTickCount() - startTick;
    char text[32];
    std::snprintf(text, sizeof text, "%02lu:%02lu.%03lu", static_cast<unsigned long>(ms / 60000),
                  static_cast<unsigned long>((ms / 1000) % 60), static_cast<unsigned long>(ms % 1000));
    return text;
}

void say(const std::string& text) {
    std::printf("[%s] %s\n", clock().c_str(), text.c_str());
    std::fflush(stdout);
}

void listener(const std::string& action) { say(">> the listener " + action); }

void section(const std::string& title) {
    std::printf("\n== %s\n", title.c_str());
    std::fflush(stdout);
}

void look() {
    lastLook = GetTickCount();
    lookAtPlayer();
    lookAtRequests();
    lookAtTray();
    lookAtDatabase();
}

bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    return MessagePump::until(
        [&done] {
            if (GetTickCount() - lastLook >= LOOK_EVERY_MS) look();
            return done();
        },
        timeoutMs);
}

void waitFor(DWORD ms) {
    waitUntil([] { return false; }, ms);
}

int volumesSetSoFar() { return volumesSet; }

void forgetDatabase() { databaseSeen = HostFiles::read(database); }

}  // namespace DemoAccount
