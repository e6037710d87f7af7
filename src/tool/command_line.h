// What the listener asked for: the command, its options and its operands, read from the
// command line and checked against what each command takes.
#pragma once

#include <stddef.h>
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "memory/song_tracker.h"

enum class Command { None, Help, List, Show, Set, Remove, Undo, Clean, Trim, Stats };
enum class SortOrder { File, Name, Value, Distance };
enum class ListFormat { Table, Csv, Json };

struct ToolArguments {
    Command command = Command::None;
    Command helpFor = Command::None;  // `help COMMAND` or `COMMAND --help`
    bool help = false;
    const char* database = nullptr;  // --database PATH
    std::vector<const char*> keys;   // --key KEY: one for set, any number for remove
    int reference = SongTracker::DEFAULT_REFERENCE_VOLUME;
    SortOrder sort = SortOrder::File;
    ListFormat format = ListFormat::Table;
    int bandChoice = 0;  // --band: 1, 2, 3 for 12%, 18%, 24%; 0 when not given
    bool dryRun = false;
    bool force = false;
    bool playerPlaylist = false;
    bool verbose = false;  // say which database was taken, and why
    // The files, folders and playlists named, as typed (wide: the command line is read
    // whole), and in the ANSI code page (with stand-ins for what it lacks) to be shown.
    std::vector<const WCHAR*> wideOperands;
    std::vector<const char*> operands;
    // What the pointers above point into.
    std::deque<std::wstring> wideWords;
    std::deque<std::string> ansiWords;
};

namespace CommandLine {

// False, with the reason in `error`, when the command line is not one the tool takes;
// `arguments->command` is then the command, when it was told.
bool parse(int argc, const WCHAR* const* argv, ToolArguments* arguments, char* error, size_t capacity);
const char* nameOf(Command command);
// The options `command` takes, as the listener types them ("--database", "-h", ...).
std::vector<const char*> optionsOf(Command command);
// A whole decimal number within [lowest, highest]; false when `text` is anything else.
bool number(const char* text, int lowest, int highest, int* value);
// The trim band of choice 1, 2 or 3 as the listener names it ("12%", "18%", "24%"); any
// other choice is 1's, as TrimBand::forChoice takes it.
const char* bandName(int choice);

}  // namespace CommandLine
