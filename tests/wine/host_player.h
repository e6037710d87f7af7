// The player's part for the real DLL under Wine: a main window that answers the host
// requests from its own playlist of real files, plays through it with real time, and
// keeps a log of every message its own procedure received.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace HostPlayer {

constexpr int VOLUME_STEP = 2;  // one volume-up or volume-down command, 0..255 scale
constexpr int DEFAULT_VERSION = 0x2081;
constexpr UINT_PTR PLAYBACK_TIMER_ID = 1;  // well below the plug-in's 1998 and up

struct Entry {
    std::string path;
    int lengthMs;
};

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

HWND create();
HWND window();
WNDPROC ownProcedure();  // the procedure the window was created with

void setVersion(int version);
void setPlaylist(const std::vector<Entry>& entries);
void play(int index);  // from the entry's start
void stop();
bool playing();
int position();
void setVolume(int volume);  // the listener's slider
int volume();

// What reached the window's own procedure, in order; cleared on request.
const std::vector<Received>& received();
void clearReceived();
int count(UINT message, WPARAM wParam, LPARAM lParam);  // exact matches
int countMessages(UINT message, WPARAM wParam);
int countRequests(LPARAM code);                         // WM_USER requests with this code
std::vector<int> volumesSet();                          // every IPC_SETVOLUME value, in order

// The value the window's procedure answers to a message it does not know, so a test
// can see that the answer made its way back through the plug-in's hook.
constexpr LRESULT UNKNOWN_MESSAGE_ANSWER = 0x5EED;

}  // namespace HostPlayer

// What the stand-in winmm.dll reports as wave-output device 0's volume: the host's
// volume on its 0..255 scale, both channels, scaled to 0..0xFFFF (v * 257, so the low
// byte is v itself, as the plug-in relies on).
extern "C" __declspec(dllexport) DWORD loudmarkHostWaveVolume(void);
