#include "adapters/host_link.h"

#include <mmsystem.h>

namespace HostLink {

namespace {

// IPC_SETVOLUME with this value asks for the volume instead of setting it.
constexpr WPARAM VOLUME_QUERY = static_cast<WPARAM>(-666);
constexpr int HOST_VOLUME_MAX = 255;

HWND hostWindow = nullptr;
int version = 0;

LRESULT ask(WPARAM wParam, UINT code) {
    return SendMessageA(hostWindow, WM_USER, wParam, static_cast<LPARAM>(code));
}

// A host that does not know a request answers 1 (5.x) or 0: neither is a pointer.
const void* askForPointer(WPARAM wParam, UINT code) {
    LRESULT answer = ask(wParam, code);
    return answer == 0 || answer == 1 ? nullptr : reinterpret_cast<const void*>(answer);
}

int readWaveOutVolume() {
    DWORD volume = 0;
    if (waveOutGetVolume(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(0)), &volume) != MMSYSERR_NOERROR) {
        return VOLUME_UNKNOWN;
    }
    // The player sets the device from its own 0..255 volume at full scale (v x 257), so
    // both bytes of the left channel hold it. Where they differ, something else set the
    // volume (on Vista and later, the Volume Mixer's slider for the player): its high
    // byte is the nearer reading, 127 for the mixer's 50%.
    DWORD left = volume & 0xFFFF;
    if ((left >> 8) != (left & 0xFF)) return static_cast<int>(left >> 8);
    return static_cast<int>(volume & 0xFF);
}

}  // namespace

void attach(HWND window) { hostWindow = window; }
HWND window() { return hostWindow; }

int getVersion() {
    version = static_cast<int>(ask(0, IPC_GETVERSION));
    return version;
}
void forgetVersion() { version = 0; }

bool isPlaying() { return ask(0, IPC_ISPLAYING) == 1; }
int getTrackLengthSeconds() { return static_cast<int>(ask(1, IPC_GETOUTPUTTIME)); }
int getPositionMs() { return static_cast<int>(ask(0, IPC_GETOUTPUTTIME)); }
void setVolume(int volume) { ask(static_cast<WPARAM>(volume), IPC_SETVOLUME); }
int getPlaylistLength() { return static_cast<int>(ask(0, IPC_GETLISTLENGTH)); }
int getPlaylistPosition() { return static_cast<int>(ask(0, IPC_GETLISTPOS)); }

const char* getPlaylistFile(int index) {
    return static_cast<const char*>(askForPointer(static_cast<WPARAM>(index), IPC_GETPLAYLISTFILE));
}

const WCHAR* getPlaylistFileW(int index) {
    if (version < VERSION_WITH_WIDE_PLAYLIST) return nullptr;
    return static_cast<const WCHAR*>(askForPointer(static_cast<WPARAM>(index), IPC_GETPLAYLISTFILEW));
}

const char* getIniDirectory() {
    if (version < VERSION_WITH_INI_DIRECTORY) return nullptr;
    return static_cast<const char*>(askForPointer(0, IPC_GETINIDIRECTORY));
}

void volumeUpStep() { SendMessageA(hostWindow, WM_COMMAND, WINAMP_VOLUMEUP, 0); }
void volumeDownStep() { SendMessageA(hostWindow, WM_COMMAND, WINAMP_VOLUMEDOWN, 0); }

int readCurrentVolume() {
    if (version < VERSION_WITH_VOLUME_QUERY) return readWaveOutVolume();
    LRESULT answer = ask(VOLUME_QUERY, IPC_SETVOLUME);
    // Anything off the host's scale is no reading at all.
    if (answer < 0 || answer > HOST_VOLUME_MAX) return VOLUME_UNKNOWN;
    return static_cast<int>(answer);
}

}  // namespace HostLink
