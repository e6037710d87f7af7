#include "memory/song_tracker.h"

#include "common/bounded_text.h"
#include "controls/tray_indicator.h"
#include "host/host_link.h"
#include "host/settings_store.h"
#include "memory/song_key.h"
#include "memory/trim_band.h"
#include "memory/volume_database.h"

namespace SongTracker {

State state;

namespace {

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
    const char* path = HostLink::getPlaylistFile(position);
    if (path == nullptr) return;
    SongKey key = SongKey::fromPath(path);
    int record = VolumeDatabase::read(key, SettingsStore::databasePath);
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
    TrayIndicator::startAnimation(AnimationKind::NewSong);
}

void changeSong(int newPosition) {
    // The ended song is whatever entry now stands at its old position; a path that is
    // gone, or too long to keep, records nothing rather than something wrong.
    char endedPath[SONG_KEY_CAPACITY];
    const char* hostPath = HostLink::getPlaylistFile(state.lastPosition);
    bool haveEndedPath = hostPath != nullptr && BoundedText::copy(endedPath, sizeof endedPath, hostPath);

    state.lastPosition = newPosition;
    int endVolume = HostLink::readCurrentVolume();  // before the new song's volume is set
    applyVolumeFor(newPosition);
    scheduleEndOfSong();
    TrayIndicator::startAnimation(AnimationKind::NewSong);

    if (!haveEndedPath || !worthRecording(endVolume)) return;
    SongKey key = SongKey::fromPath(endedPath);
    VolumeDatabase::write(key, VolumeDatabase::storedValueFor(endVolume, state.referenceVolume),
                          SettingsStore::databasePath);
}

}  // namespace

void start() {
    HWND window = HostLink::window();
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

void onTick() {
    if (!HostLink::isPlaying()) {
        arm(POLL_INTERVAL_MS);
        return;
    }
    int newPosition = HostLink::getPlaylistPosition();
    if (newPosition == state.lastPosition) return;  // the interval stays as it is
    if (state.lastPosition == -1) {
        pickUpFirstSong(newPosition);
    } else {
        changeSong(newPosition);
    }
}

void resync() {
    state.lastPosition = -1;
    arm(POLL_INTERVAL_MS);
}

void setReferenceVolume(int volume) { state.referenceVolume = volume; }

}  // namespace SongTracker
