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

// A song the host has no path for (its playlist shrank, or answered nonsense) keeps the
// volume it has: there is nothing to look up.
void applyVolumeFor(int position) {
    char path[SONG_KEY_CAPACITY];
    const char* hostPath = HostLink::getPlaylistFile(position);
    if (hostPath == nullptr) return;
    // A path too long to copy names no file the platform could open anyway.
    SongKey key = BoundedText::copy(path, sizeof path, hostPath) ? SongKey::forPlaylistEntry(position, path)
                                                                 : SongKey::fromPath(hostPath);
    // A record still waiting to be written is newer than the file's.
    int record = VolumeDatabase::NO_RECORD;
    if (!PendingRecords::find(key, &record)) record = VolumeDatabase::read(key, SettingsStore::databasePath);
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
    applyVolumeFor(newPosition);
    scheduleEndOfSong();
    announceNewSong();
    PendingRecords::flush(SettingsStore::databasePath);
}

void changeSong(int newPosition) {
    // The ended song is whatever entry now stands at its old position; a path that is
    // gone, or too long to keep, records nothing rather than something wrong.
    char endedPath[SONG_KEY_CAPACITY];
    int endedPosition = state.lastPosition;
    const char* hostPath = HostLink::getPlaylistFile(endedPosition);
    bool haveEndedPath = hostPath != nullptr && BoundedText::copy(endedPath, sizeof endedPath, hostPath);

    state.lastPosition = newPosition;
    int endVolume = HostLink::readCurrentVolume();  // before the new song's volume is set
    applyVolumeFor(newPosition);
    scheduleEndOfSong();
    announceNewSong();

    // Older records first, so that a newer one for the same song wins.
    PendingRecords::flush(SettingsStore::databasePath);
    if (!haveEndedPath || !worthRecording(endVolume)) return;
    SongKey key = SongKey::forPlaylistEntry(endedPosition, endedPath);
    // A write the file refuses now (held open elsewhere) is tried again later.
    PendingRecords::write(key, VolumeDatabase::storedValueFor(endVolume, state.referenceVolume),
                          SettingsStore::databasePath);
}

void tick(bool announced) {
    // Whatever brought this tick, a start announced meanwhile is taken care of by it.
    state.startPending = false;
    if (!HostLink::isPlaying()) {
        arm(POLL_INTERVAL_MS);
        return;
    }
    int newPosition = HostLink::getPlaylistPosition();
    if (newPosition == state.lastPosition) {
        // Announced with no change of entry: the host started the same song again, so
        // its end has moved. Otherwise the interval stays as it is.
        if (announced) scheduleEndOfSong();
        return;
    }
    if (state.lastPosition == -1) {
        pickUpFirstSong(newPosition);
    } else {
        changeSong(newPosition);
    }
}

}  // namespace

void start() {
    HWND window = HostLink::window();
    state.startPending = false;
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
    state.startPending = false;
    arm(POLL_INTERVAL_MS);
}

void setReferenceVolume(int volume) { state.referenceVolume = volume; }

void whenNewSong(void (*listener)()) { newSongListener = listener; }

}  // namespace SongTracker
