// The player's side of the conversation, as the hosts that load Loudmark define it: the
// requests a plug-in sends, the two volume commands, the notices a 5.x host sends its own
// main window, and the version from which a host knows each. Written out here from the
// host's published names rather than taken from the plug-in's headers, so that a wrong
// number there shows. Shared by the simulated player, its tests and the host under Wine;
// include it after <windows.h>.
#pragma once

namespace HostProtocol {

// Requests: WM_USER with the code in lParam.
constexpr LPARAM IPC_GETVERSION = 0;
constexpr LPARAM IPC_ISPLAYING = 104;
constexpr LPARAM IPC_GETOUTPUTTIME = 105;  // wParam 0: the position in ms; 1: the length in s
constexpr LPARAM IPC_SETVOLUME = 122;
constexpr LPARAM IPC_GETLISTLENGTH = 124;
constexpr LPARAM IPC_GETLISTPOS = 125;
constexpr LPARAM IPC_GETPLAYLISTFILE = 211;
constexpr LPARAM IPC_GETPLAYLISTFILEW = 214;
constexpr LPARAM IPC_GETINIDIRECTORY = 335;
// IPC_SETVOLUME with this value reads the slider instead of setting it (5.x only: a host
// that does not know it cuts it to 8 bits and sets 102).
constexpr int VOLUME_QUERY = -666;

// Notices a 5.x host sends its own main window at every start of an entry, so that a
// subclass sees them first: wParam the ANSI path, then the wide one.
constexpr LPARAM IPC_PLAYING_FILE = 3003;
constexpr LPARAM IPC_PLAYING_FILEW = 13003;

// Commands: WM_COMMAND with the command in wParam; one step of the host's volume.
constexpr WORD WINAMP_VOLUMEUP = 40058;
constexpr WORD WINAMP_VOLUMEDOWN = 40059;

// The first versions, as IPC_GETVERSION answers them, that know a request or send a notice.
constexpr int FIRST_WITH_INI_DIRECTORY = 0x2090;  // IPC_GETINIDIRECTORY
constexpr int FIRST_5X = 0x5000;  // VOLUME_QUERY, IPC_PLAYING_FILE, an unknown request answered 1
constexpr int FIRST_WITH_WIDE_NAMES = 0x5030;  // IPC_GETPLAYLISTFILEW, IPC_PLAYING_FILEW

}  // namespace HostProtocol
