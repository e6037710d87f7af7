// Notices when the host moves to another playlist entry, records where the volume ended
// for the song that ended, and sets the volume for the song that starts. Driven by the
// MainTimer on the host's main window, and on hosts that announce every start (5.0 and
// later) by the announcement, within milliseconds of the start.
#pragma once

#include <windows.h>

#include "memory/song_key.h"

namespace SongTracker {

constexpr int DEFAULT_REFERENCE_VOLUME = 130;
constexpr UINT_PTR FIRST_TIMER_ID = 1998;
constexpr UINT POLL_INTERVAL_MS = 1000;
// How many identifiers start() tries before it gives up as on a refused timer.
constexpr UINT TIMER_ID_SEARCH_LIMIT = 64;
// The message we post ourselves when the host announces a start.
constexpr char START_MESSAGE_NAME[] = "Loudmark song started";

// The song being followed, as it was when it started: its record goes under this key
// whatever the listener does to the playlist meanwhile.
struct PlayingSong {
    bool known = false;           // false: no path was there to take
    bool endUnknown = false;      // we were off while the host played on
    char path[SONG_KEY_CAPACITY] = "";  // as the host's ANSI request gave it
    // The wide path's hash, from hosts that give one (0 otherwise): names the code page
    // cannot hold may share one ANSI path.
    unsigned widePath = 0;
    SongKey key = {};
};

struct State {
    int referenceVolume = DEFAULT_REFERENCE_VOLUME;
    int lastPosition = -1;  // playlist index of the song being followed; -1 none
    UINT_PTR timerId = 0;   // MainTimer's identifier once start() found one
    UINT startMessage = 0;  // registered START_MESSAGE_NAME; 0 when unknown
    bool startPending = false;  // posted, not yet acted on
    PlayingSong playing;
};
extern State state;

void start();
void stop();
void onTick();
// The host announced a start (IPC_PLAYING_FILE or its wide twin): a tick follows at once,
// through a posted startMessage, which the hook hands to onAnnouncedStart.
void onStartAnnounced();
void onAnnouncedStart();
void resync();
void setReferenceVolume(int volume);
// Called at every song the tracker picks up (the tray's new-song animation); the core
// knows nothing of what sits above it.
void whenNewSong(void (*listener)());

}  // namespace SongTracker
