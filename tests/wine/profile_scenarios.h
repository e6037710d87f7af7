// Scenarios run under either host profile (HostPlayer::WINAMP_2X or WINAMP_59), whichever
// main window the host has when they start; each tells the two hosts' ways apart itself.
#pragma once

namespace ProfileScenarios {

// song_change_scenarios.cpp
void playlistPlayedTwice();  // the module folder locked: the records land elsewhere
void jumpInMidSong();
void playlistEditedWhilePlaying();  // insert and sort around the playing song, off and on

// unicode_host_scenarios.cpp (5.9 only)
void titleOutsideCodePage();
void namesOutsideCodePage();

// file_fault_scenarios.cpp
void databaseHeldAtSongChange();
void noFolderWritable();
void cleanWithUnreadableDatabase();
void unicodeSavedThenCut();

// whole_session.cpp: load to unload in one go, every call into the plug-in misaligned
// in the 32-bit build (tests/wine/run32.sh runs it on both hosts in one process)
void wholeSession();

// latency_benchmark.cpp and clean_benchmark.cpp: measurements, run on request only
void songChangeLatency();
void cleanPassTiming();  // over the library bench/wine/dialog_clean.sh names

}  // namespace ProfileScenarios
