// The requests the plug-in makes of the host: synchronous messages to the host's main
// window, answered before they return.
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
constexpr UINT IPC_GETPLAYLISTFILEW = 214;
constexpr UINT IPC_GETINIDIRECTORY = 335;
constexpr WPARAM WINAMP_VOLUMEUP = 40058;
constexpr WPARAM WINAMP_VOLUMEDOWN = 40059;
// What hosts 5.0 and later send their own main window when an entry starts playing.
constexpr LPARAM IPC_PLAYING_FILE = 3003;
constexpr LPARAM IPC_PLAYING_FILEW = 13003;

constexpr int REQUIRED_VERSION = 0x2005;
// The first versions that know a request; older hosts would misread it (a 2.x host
// takes -666 as a volume to set).
constexpr int VERSION_WITH_INI_DIRECTORY = 0x2090;
constexpr int VERSION_WITH_VOLUME_QUERY = 0x5000;
constexpr int VERSION_WITH_WIDE_PLAYLIST = 0x5030;

// The host's main window, as the host wrote it into the plug-in's record.
void attach(HWND window);
HWND window();

// Asks the host and remembers the answer for the requests that depend on it.
int getVersion();
// Back to a host of no known version, as before getVersion().
void forgetVersion();

bool isPlaying();  // only an answer of exactly 1 counts
int getTrackLengthSeconds();
int getPositionMs();
void setVolume(int volume);
int getPlaylistLength();
int getPlaylistPosition();
// The entry's path, valid until the next request; null when the host has no entry there.
const char* getPlaylistFile(int index);
// The same as a wide path, from hosts that have it; null otherwise.
const WCHAR* getPlaylistFileW(int index);
// The folder of the host's own settings file, without a final backslash, valid until
// the next request; null from hosts that do not know the request.
const char* getIniDirectory();
void volumeUpStep();
void volumeDownStep();

// The host's current volume, 0..255. Hosts from 5.0 are asked for their slider; older
// ones keep it as wave-output device 0's volume, whose lowest 8 bits we read (5.x
// output plug-ins set their own stream volume instead, so there the device tells
// nothing). VOLUME_UNKNOWN when there is no answer: a volume we never read must not be
// recorded or made the reference.
constexpr int VOLUME_UNKNOWN = -1;
int readCurrentVolume();

}  // namespace HostLink
