#include "memory/song_tracker.h"

#include "adapters/bounded_text.h"
#include "adapters/host_link.h"
#include "adapters/settings_store.h"
#include "memory/pending_records.h"
#include "memory/song_key.h"
#include "memory/trim_band.h"
#include "memory/volume_database.h"

namespace SongTracker {

State state;

namespace {

void (*newSongListener)() = nullptr;

void announceNewSong() {
    if (newSongListener != nullptr) newSongListener();
}

// The longest wait a platform timer takes (USER_TIMER_MAXIMUM).
constexpr long long LONGEST_TIMER_MS = 0x7FFFFFFF;

void reportTimerRefused() {
    // Off first, so that whatever arrives while the box is up passes straight on.
    settings.enabled = 0;
    MessageBoxA(HostLink::window(), "Timer set failed.", "Fatal Error", MB_ICONERROR);
}

void arm(UINT intervalMs) {
    if (state.timerId == 0) {
        start();
        return;
    }
    // Re-arming an identifier that already has a timer replaces that timer.
    if (SetTimer(HostLink::window(), state.timerId, intervalMs, nullptr) == 0) reportTimerRefused();
}

// About a second after the song that has just started should end. A length or position
// that makes no sense (a stream reports -1 or 0, a position past the end) would put the
// tracker to sleep for weeks, so those fall back to polling.
void scheduleEndOfSong() {
    long long lengthSeconds = HostLink::getTrackLengthSeconds();
    long long positionMs = HostLink::getPositionMs();
    long long intervalMs = (lengthSeconds + 1) * 1000 - positionMs;
    bool sensible = lengthSeconds > 0 && positionMs >= 0 && intervalMs > 0 && intervalMs <= LONGEST_TIMER_MS;
    arm(sensible ? static_cast<UINT>(intervalMs) : POLL_INTERVAL_MS);
}

// The path that stands at `position` now, copied into `path`; false when the host has
// none there, or it is too long to keep.
bool pathAt(int position, char* path, size_t capacity) {
    const char* hostPath = HostLink::getPlaylistFile(position);
    return hostPath != nullptr && BoundedText::copy(path, capacity, hostPath);
}

// FNV-1a over the entry's wide path; 0 from a host that gives none.
unsigned widePathOf(int position) {
    const WCHAR* path = HostLink::getPlaylistFileW(position);
    if (path == nullptr) return 0;
    unsigned hash = 2166136261u;
    for (; *path != 0; ++path) hash = (hash ^ static_cast<unsigned>(*path)) * 16777619u;
    return hash | 1;
}

// Sets the volume for the song that starts at `position` and follows it from now on. A
// song the host has no path for keeps the volume it has: there is nothing to look up,
// and nothing will be recorded for it.
void followNewSong(int position) {
    PlayingSong& playing = state.playing;
    playing.endUnknown = false;
    playing.known = pathAt(position, playing.path, sizeof playing.path);
    if (playing.known) {
        playing.widePath = widePathOf(position);
        playing.key = SongKey::forPlaylistEntry(position, playing.path);
    } else {
        const char* hostPath = HostLink::getPlaylistFile(position);
        if (hostPath == nullptr) return;
        // A path too long to copy names no file the platform could open anyway.
        playing.key = SongKey::fromPath(hostPath);
    }
    // A record still waiting to be written is newer than the file's.
    int record = VolumeDatabase::NO_RECORD;
    if (!PendingRecords::find(playing.key, &record)) record = VolumeDatabase::read(playing.key, SettingsStore::databasePath);
    int volume = VolumeDatabase::volumeToApply(record, state.referenceVolume);
    // A hand-edited record can ask for anything; the host only understands 0..255.
    HostLink::setVolume(VolumeDatabase::clampToHostScale(volume));
}

bool worthRecording(int endVolume) {
    if (endVolume == HostLink::VOLUME_UNKNOWN) return false;
    if (endVolume == state.referenceVolume) return false;
    if (settings.trim && TrimBand::forChoice(settings.trimTo).contains(endVolume)) return false;
    return true;
}

void pickUpFirstSong(int newPosition) {
    state.lastPosition = newPosition;
    followNewSong(newPosition);
    scheduleEndOfSong();
    announceNewSong();
    PendingRecords::flush(SettingsStore::databasePath);
}

void changeSong(int newPosition) {
    // The ended song is the one we followed since it started, wherever the listener has
    // moved its entry since. Its key was taken then; the volume it ended at is now's,
    // unless we were off while the host moved on.
    PlayingSong ended = state.playing;
    bool recordable = ended.known && !ended.endUnknown;

    state.lastPosition = newPosition;
    int endVolume = HostLink::readCurrentVolume();  // before the new song's volume is set
    followNewSong(newPosition);
    scheduleEndOfSong();
    announceNewSong();

    // Older records first, so that a newer one for the same song wins.
    PendingRecords::flush(SettingsStore::databasePath);
    if (!recordable || !worthRecording(endVolume)) return;
    // A write the file refuses now (held open elsewhere) is tried again later.
    PendingRecords::write(ended.key, VolumeDatabase::storedValueFor(endVolume, state.referenceVolume),
                          SettingsStore::databasePath);
}

// Byte for byte: the host gives an entry's path the same way every time.
bool samePath(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// Whether the entry at `newPosition` is another song than the one we follow. Entries
// inserted, removed or sorted around the playing song move its index but not its file;
// without a path to compare, the index decides.
bool anotherSong(int newPosition) {
    char path[SONG_KEY_CAPACITY];
    if (state.playing.known && pathAt(newPosition, path, sizeof path)) {
        return !samePath(path, state.playing.path) || widePathOf(newPosition) != state.playing.widePath;
    }
    return newPosition != state.lastPosition;
}

void tick(bool announced) {
    // Whatever brought this tick, a start announced meanwhile is taken care of by it.
    state.startPending = false;
    if (!HostLink::isPlaying()) {
        arm(POLL_INTERVAL_MS);
        return;
    }
    int newPosition = HostLink::getPlaylistPosition();
    if (state.lastPosition == -1) {
        pickUpFirstSong(newPosition);
        return;
    }
    if (!anotherSong(newPosition)) {
        // The same song, perhaps at another index now. Announced, the host started it
        // again, so its end has moved; otherwise the interval stays as it is.
        state.lastPosition = newPosition;
        state.playing.endUnknown = false;
        if (announced) scheduleEndOfSong();
        return;
    }
    changeSong(newPosition);
}

}  // namespace

void start() {
    HWND window = HostLink::window();
    state.startPending = false;
    // Turned on again: the host may have moved on while we were off, and then the song we
    // followed ended at a volume we never saw.
    if (state.lastPosition != -1) state.playing.endUnknown = true;
    if (state.startMessage == 0) state.startMessage = RegisterWindowMessageA(START_MESSAGE_NAME);
    for (UINT_PTR id = FIRST_TIMER_ID; id < FIRST_TIMER_ID + TIMER_ID_SEARCH_LIMIT; ++id) {
        if (SetTimer(window, id, POLL_INTERVAL_MS, nullptr) != 0) {
            state.timerId = id;
            return;
        }
    }
    state.timerId = 0;
    reportTimerRefused();
}

void stop() {
    if (state.timerId != 0) KillTimer(HostLink::window(), state.timerId);
}

void onTick() { tick(false); }

void onStartAnnounced() {
    // The ANSI and the wide announcement of one start arrive one after the other.
    if (state.startPending) return;
    // Inside the host's own play routine: come back as soon as it is done, rather than
    // holding it up with file work.
    if (state.startMessage != 0 && PostMessageA(HostLink::window(), state.startMessage, 0, 0)) {
        state.startPending = true;
        return;
    }
    tick(true);
}

void onAnnouncedStart() { tick(true); }

void resync() {
    state.lastPosition = -1;
    state.playing = PlayingSong();
    state.startPending = false;
    arm(POLL_INTERVAL_MS);
}

void setReferenceVolume(int volume) { state.referenceVolume = volume; }

void whenNewSong(void (*listener)()) { newSongListener = listener; }

}  // namespace SongTracker
