// The requests the plug-in makes of the host: synchronous messages to the host's main
// window (the record's hwndParent), answered before they return.
#pragma once

#include <windows.h>

namespace HostLink {

constexpr UINT IPC_GETVERSION = 0;
constexpr UINT IPC_ISPLAYING = 104;
constexpr UINT IPC_GETOUTPUTTIME = 105;
constexpr UINT IPC_SETVOLUME = 122;
constexpr UINT IPC_GETLISTLENGTH = 124;
constexpr UINT IPC_GETLISTPOS = 125;
constexpr UINT IPC_GETPLAYLISTFILE = 211;
constexpr WPARAM WINAMP_VOLUMEUP = 40058;
constexpr WPARAM WINAMP_VOLUMEDOWN = 40059;

constexpr int REQUIRED_VERSION = 0x2005;

HWND window();

int getVersion();
bool isPlaying();  // only an answer of exactly 1 counts
int getTrackLengthSeconds();
int getPositionMs();
void setVolume(int volume);
int getPlaylistLength();
int getPlaylistPosition();
// The entry's path, valid until the next request; null when the host has no entry there.
const char* getPlaylistFile(int index);
void volumeUpStep();
void volumeDownStep();

// Not a host request: the lowest 8 bits of wave-output device 0's volume, which the
// host keeps at its own 0..255 volume. VOLUME_UNKNOWN when the device does not answer:
// a volume we never read must not be recorded or made the reference.
constexpr int VOLUME_UNKNOWN = -1;
int readCurrentVolume();

}  // namespace HostLink
