// Inside the simulated player: the one model its pieces share (playback, the host window
// that answers requests, the 5.x host's additions). Never seen by tests or the plug-in.
#pragma once

#include <windows.h>

#include <climits>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "player/simulated_player.h"
#include "../../tests/common/host_protocol.h"

namespace sim {
namespace player {
namespace detail {

// The requests, commands and notices, and the versions that know them.
using namespace HostProtocol;

enum class State { Stopped, Playing, Paused };

struct Model {
    HWND window = nullptr;
    int version = 0x2081;
    bool modern = false;  // the 5.x host rather than 2.x
    std::vector<Entry> playlist;
    int current = 0;
    State state = State::Stopped;
    int64_t songStartMs = 0;  // while playing: the moment position 0 was (or would have been)
    int pausedAtMs = 0;        // while paused: the position
    int volume = 130;
    bool mixerSet = false;  // the Volume Mixer moved since the player last set the device
    DWORD mixerValue = 0;
    bool repeat = false;
    int reportedLength = INT32_MIN;
    int reportedListLength = INT32_MIN;
    std::vector<Request> log;
    // The answers to the last IPC_GETPLAYLISTFILE and ...W: freed at the next request, so
    // a caller that keeps the pointer longer than the host promises reads freed memory
    // (which the sanitizer build reports) rather than silently getting lucky.
    std::unique_ptr<char[]> fileAnswer;
    std::unique_ptr<WCHAR[]> wideFileAnswer;
    // Paths (UTF-8) of entries the 5.x host started and has not announced yet.
    std::deque<std::string> startsToAnnounce;
    bool announcing = false;
    std::wstring title;
    std::wstring typed;
    unsigned generation = 0;
};

extern Model model;

bool hasEntry(int index);
// The answer to IPC_GETPLAYLISTFILE (or ...W when `wide`) for the entry in wParam: a copy
// of its path kept in the model until the next request; 0 when there is no such entry.
LRESULT answerFile(WPARAM wParam, bool wide);
// The ANSI form of a 5.x host's playlist path (UTF-8), as the host hands it out: a path
// the code page cannot hold as its 8.3 short path, or with '?' for what the code page
// lacks when the file has no short name (it is not there).
std::string ansiFormOf(const std::string& utf8Path);
// Moves from song to song up to `nowMs`; answers the moment the playing song ends.
uint64_t catchUp(uint64_t nowMs);
int currentPositionMs();
int reportedLengthSeconds();

// The main window's procedures: the 2.x host's is ANSI, the 5.x host's Unicode.
LRESULT CALLBACK ansiProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK unicodeProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The 5.x host: answers the requests it answers differently from 2.x (false: as 2.x
// does), keeps the starts it must announce, and announces them.
bool answerModernRequest(WPARAM wParam, LPARAM code, LRESULT* answer);
void noteStart(int index);
void announcePending();
void makeIniDirectory();

}  // namespace detail
}  // namespace player
}  // namespace sim
