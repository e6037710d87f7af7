// What every scenario of the Wine host leans on: the checks and their report, the
// folders and songs it works with, and the plug-in loaded as the host loads it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host_player.h"
#include "plugin_record_view.h"

namespace ScenarioKit {

extern std::string builtDll;    // the DLL the build made
extern std::string workFolder;  // everything a run writes goes under it

// ---------------------------------------------------------------------------
// Reporting: one line per check, counted for the summary.

void check(bool ok, const std::string& what);
void checkEqual(const std::string& actual, const std::string& expected, const std::string& what);
void checkEqual(long long actual, long long expected, const std::string& what);
void scenario(const char* title);
void scenarioOnHost(const std::string& story);  // titled with the host profile's label
int passed();
int failed();
bool startsWith(const std::string& text, const std::string& start);

// ---------------------------------------------------------------------------
// The host of the moment, and the files the plug-in writes

std::string profileName();  // as scenario names end: "2x", "5.9"
bool fiveHost();            // a 5.x host: it announces starts and its slider answers -666

// The first line of both of the plug-in's files.
constexpr char SECTION[] = "[Tamsel Loudmark]\r\n";
// plugin.ini as quit writes it after a start with no settings file.
constexpr char SETTINGS_AFTER_DEFAULTS[] =
    "[Tamsel Loudmark]\r\n\"Enabled\"=1\r\n\"Trim\"=0\r\n\"TrimTo\"=-1\r\n\"Hotkey\"=1\r\n"
    "\"UpMod\"=3\r\n\"UpKey\"=38\r\n\"DownMod\"=3\r\n\"DownKey\"=40\r\n";

// ---------------------------------------------------------------------------
// Files

// A plug-in folder of its own for every scenario, emptied of an earlier run's files.
std::string freshFolder(const std::string& name);
// The Plugins folder of a player of that name installed outside Program Files, which
// keeps its settings beside itself (and says so when asked), emptied of our files.
std::string pluginFolder(const std::string& name);
// The same, then removed, so that whoever needs it must create it.
std::string absentFolder(const std::string& name);
// A folder tests/wine/run.sh prepared and made immutable before the host started.
std::string lockedFolder(const std::string& name);
// Whether nothing can be created in `folder`, the way the plug-in's own probe would try.
bool cannotCreateIn(const std::string& folder);
// The folder's file names, sorted, separated by blanks ("" when empty or absent).
std::string listing(const std::string& folder);
// %APPDATA% for this process, as the plug-in reads it.
void useAppData(const std::string& folder);

// Real songs on disk: the plug-in knows a song by its name and size.
std::string song(const std::string& name, int sizeBytes);
std::wstring wideSong(const std::wstring& name, int sizeBytes);

// ---------------------------------------------------------------------------
// The plug-in as the host loads it

struct Plugin {
    std::string folder;
    std::string path;
    HMODULE module = nullptr;
    PluginRecordView* record = nullptr;
};

// Copies the built DLL into `folder` unless one is there already.
Plugin loadPlugin(const std::string& folder);
bool unloaded(const Plugin& plugin);
// quit, then FreeLibrary, checking the module is gone.
void quitAndUnload(Plugin& plugin);

// The host stopped with this playlist, the slider at 130, its log and the message boxes
// seen cleared.
void freshPlayer(const std::vector<HostPlayer::Entry>& playlist, bool repeat);
// Songs as short as the host's way of noticing a change allows: a 2.x host's change is
// noticed about a second after the reported length (whole seconds) runs out, which has
// to land inside the next song; a 5.x host announces each start.
int shortSongMs();

// Pumps until the host has seen `n` volumes set since its log was cleared.
bool waitForVolumesSet(size_t n, DWORD timeoutMs);

}  // namespace ScenarioKit
