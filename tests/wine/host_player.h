// The player's part for the real DLL under Wine: a main window that answers the host
// requests from its own playlist of real files, plays through it with real time, and
// keeps a log of every message its own procedure received. It plays one of two hosts:
// a 2.x player (ANSI window, volume kept as the wave-output volume) or a 5.9 one
// (Unicode window, start announcements, the slider read, wide paths, a settings folder),
// each request gated by version as the real hosts gate it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "../common/host_protocol.h"

namespace HostPlayer {

constexpr int VOLUME_STEP = 2;  // one volume-up or volume-down command, 0..255 scale
constexpr int DEFAULT_VERSION = 0x2081;
constexpr UINT_PTR PLAYBACK_TIMER_ID = 1;  // well below the plug-in's 1998 and up

struct Profile {
    const char* name;  // as scenario names end: "2x", "5.9"
    const char* label;  // as scenario titles start
    int version;
    bool unicodeWindow;
};
constexpr Profile WINAMP_2X = {"2x", "2.x host", DEFAULT_VERSION, false};
constexpr Profile WINAMP_59 = {"5.9", "5.9 host", 0x5092, true};

struct Entry {
    std::wstring path;
    int lengthMs;
    Entry(const std::string& ansiPath, int ms);
    Entry(std::wstring widePath, int ms);
};

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LONGLONG at;  // QueryPerformanceCounter when the procedure got it
};

// An entry start, stamped just before the host announced it (or would have).
struct Start {
    int index;
    LONGLONG at;
};

// A path as the host gives it to ANSI callers: its short path when the code page cannot
// hold it, or '?' for the characters the code page lacks when the file has no short name.
std::string asAnsi(const std::wstring& path);

HWND create();  // the 2.x host
// A main window of this profile's kind, replacing the current one; the playlist, volume,
// settings folder and log stay.
HWND create(const Profile& profile);
HWND window();
const Profile& profile();
WNDPROC ownProcedure();  // the procedure the window was created with

void setVersion(int version);
int version();
void setIniDirectory(const std::string& folder);  // IPC_GETINIDIRECTORY's answer
void setPlaylist(const std::vector<Entry>& entries);
void setRepeat(bool on);  // at the list's end, start over rather than stop
// The listener edits the playlist: the playing entry plays on wherever it now stands.
void insertEntry(int index, const Entry& entry);
void removeEntry(int index);  // one above the playing entry
void sortByFileName();  // by the name after the last backslash, letter case ignored
void play(int index);     // from the entry's start, announced to the main window on 5.x
void stop();
bool playing();
int position();
void setVolume(int volume);  // the listener's slider
int volume();

// What reached the window's own procedure, in order; cleared on request.
const std::vector<Received>& received();
const std::vector<Start>& starts();
void clearReceived();  // both logs
int count(UINT message, WPARAM wParam, LPARAM lParam);  // exact matches
int countMessages(UINT message, WPARAM wParam);
int countRequests(LPARAM code);                         // WM_USER requests with this code
// Every IPC_SETVOLUME that set a volume (a 5.x host's -666 reads excluded), in order.
std::vector<int> volumesSet();
bool isVolumeSet(const Received& r);

// The value the window's procedure answers to a message it does not know, so a test
// can see that the answer made its way back through the plug-in's hook.
constexpr LRESULT UNKNOWN_MESSAGE_ANSWER = 0x5EED;

}  // namespace HostPlayer

// What the stand-in winmm.dll reports as wave-output device 0's volume: a 2.x host's
// volume on its 0..255 scale, both channels, scaled to 0..0xFFFF (v * 257, so the low
// byte is v itself, as the plug-in relies on); a 5.x host leaves the device at full
// volume and keeps its slider to itself.
extern "C" __declspec(dllexport) DWORD loudmarkHostWaveVolume(void);
