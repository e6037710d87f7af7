// Notices when the host moves to another playlist entry, records where the volume ended
// for the song that ended, and sets the volume for the song that starts. Driven by the
// MainTimer on the host's main window.
#pragma once

#include <windows.h>

namespace SongTracker {

constexpr int DEFAULT_REFERENCE_VOLUME = 130;
constexpr UINT_PTR FIRST_TIMER_ID = 1998;
constexpr UINT POLL_INTERVAL_MS = 1000;
// How many identifiers start() tries before it gives up as on a refused timer.
constexpr UINT TIMER_ID_SEARCH_LIMIT = 64;

struct State {
    int referenceVolume = DEFAULT_REFERENCE_VOLUME;
    int lastPosition = -1;  // playlist index of the song being followed; -1 none
    UINT_PTR timerId = 0;   // MainTimer's identifier once start() found one
};
extern State state;

void start();
void stop();
void onTick();
void resync();
void setReferenceVolume(int volume);

}  // namespace SongTracker
