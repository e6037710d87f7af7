// The simulated player: a Winamp 2.x host in miniature, or a 5.x one. Its main window
// answers the host requests (WM_USER with the request code in lParam, and the two
// volume-step commands), and it plays through a playlist as the virtual clock runs. The
// 2.x host's volume is what device 0 reports as the wave-output volume; the 5.x host
// leaves that at full and keeps its own. As the real host, it answers -1 to
// IPC_GETOUTPUTTIME (position or length) while stopped; a paused song still reports
// both. An entry whose length is not positive plays until the listener moves on.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sim {
namespace player {

struct Entry {
    std::string path;   // Windows path, as the playlist holds it
    int lengthSeconds;  // what the host reports as the track length
};

// One volume step of the player's own volume-up and volume-down commands, on the
// 0..255 scale.
constexpr int VOLUME_STEP = 2;

// Creates the main window (after sim::reset). The player starts stopped, at entry 0,
// volume 130, with an empty playlist, reporting the given version.
HWND start(int version = 0x2081);
// A Winamp 5.x host instead: a Unicode main window; -666 reads the slider (5.0 on), its
// settings folder (335), wide paths (214, 5.3 on) and ANSI ones with '?' for what the
// code page cannot hold (211); 1 for a request it does not know; a set volume cut to its
// lowest 8 bits. Every start of an entry (play, a restart, a jump, next, a song's end) is
// announced with SendMessageW to its own window, once the entry is current and playing:
// IPC_PLAYING_FILE (3003, the ANSI path in wParam), then from 5.3 IPC_PLAYING_FILEW
// (13003, the wide path); starts found while answering a request are announced at the
// player's next own step. An entry's path is UTF-8.
HWND startModern(int version = 0x5092);
// Where the 5.x host keeps its settings (IPC_GETINIDIRECTORY); made by startModern.
constexpr char MODERN_INI_DIRECTORY[] = "C:\\Users\\listener\\AppData\\Roaming\\Winamp";
HWND window();

// ---- the playlist ----
// A new playlist stops the player at its first entry. Inserting or removing entries
// above the current one moves its index and it plays on; removing the current entry
// stops playback, and the entry that moves up into its place becomes current.
void setPlaylist(const std::vector<Entry>& entries);
void insertEntry(int index, const Entry& entry);
void removeEntry(int index);
// The listener sorts the playlist by file name (the part after the last backslash,
// letter case ignored; entries of one name keep their order). The playing song plays on
// wherever it lands.
void sortByFileName();
int length();
int position();  // the current entry's index

// ---- the listener at the player ----
void play();          // from stopped: the current entry from its start; from paused: resume
void pause();         // toggles pause while playing
void stop();
void jumpTo(int index);  // makes `index` current and plays it from the start
// The next entry (the first after the last): played from its start while playing or
// paused, only made current while stopped.
void next();
void seekTo(int ms);
void setVolume(int volume);  // the volume slider, 0..255
// The listener moves the player's slider in the Volume Mixer of Vista and later (0..1):
// the device's volume changes, the player's own slider does not.
void setMixerVolume(double fraction);
int volume();
bool playing();  // playing and not paused
bool paused();
int positionMs();  // 0 while stopped
// When on, the player starts the playlist over after its last entry; off by default,
// so playback stops at the end.
void setRepeat(bool repeat);

// ---- what the player reports, for hostile-host tests ----
void setVersion(int version);
// Override the length reported for every track (e.g. -1 as streams report); pass
// INT32_MIN to report the entry's own length again.
void overrideReportedLength(int seconds);
// Override the playlist length reported by IPC_GETLISTLENGTH; INT32_MIN to stop.
void overrideReportedListLength(int entries);

// ---- what the plug-in asked for ----
struct Request {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    uint32_t atMs;
};
const std::vector<Request>& requests();  // every message the player's procedure saw
// The raw values of every IPC_SETVOLUME request (before the player clamps them), except
// -666, which asks for the volume rather than setting it.
std::vector<int> volumesSet();
// The title last set with WM_SETTEXT (a 2.x window's ANSI bytes, widened), and every
// character received with WM_CHAR.
std::wstring title();
std::wstring typed();
void clearLog();

}  // namespace player
}  // namespace sim
