#include "host/host_link.h"

#include <mmsystem.h>

#include "host/plugin_record.h"

namespace HostLink {

namespace {

LRESULT ask(WPARAM wParam, UINT code) {
    return SendMessageA(pluginRecord.hwndParent, WM_USER, wParam, static_cast<LPARAM>(code));
}

}  // namespace

HWND window() { return pluginRecord.hwndParent; }

int getVersion() { return static_cast<int>(ask(0, IPC_GETVERSION)); }
bool isPlaying() { return ask(0, IPC_ISPLAYING) == 1; }
int getTrackLengthSeconds() { return static_cast<int>(ask(1, IPC_GETOUTPUTTIME)); }
int getPositionMs() { return static_cast<int>(ask(0, IPC_GETOUTPUTTIME)); }
void setVolume(int volume) { ask(static_cast<WPARAM>(volume), IPC_SETVOLUME); }
int getPlaylistLength() { return static_cast<int>(ask(0, IPC_GETLISTLENGTH)); }
int getPlaylistPosition() { return static_cast<int>(ask(0, IPC_GETLISTPOS)); }

const char* getPlaylistFile(int index) {
    return reinterpret_cast<const char*>(ask(static_cast<WPARAM>(index), IPC_GETPLAYLISTFILE));
}

void volumeUpStep() { SendMessageA(pluginRecord.hwndParent, WM_COMMAND, WINAMP_VOLUMEUP, 0); }
void volumeDownStep() { SendMessageA(pluginRecord.hwndParent, WM_COMMAND, WINAMP_VOLUMEDOWN, 0); }

int readCurrentVolume() {
    DWORD volume = 0;
    if (waveOutGetVolume(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(0)), &volume) != MMSYSERR_NOERROR) {
        return VOLUME_UNKNOWN;
    }
    return static_cast<int>(volume & 0xFF);
}

}  // namespace HostLink
