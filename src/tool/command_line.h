// What the listener asked for: the command, its options and its operands, read from the
// command line and checked against what each command takes.
#pragma once

#include <stddef.h>

#include <vector>

enum class Command { None, Help, List, Show, Set, Remove, Clean, Trim, Stats };
enum class SortOrder { File, Name, Value, Distance };
enum class ListFormat { Table, Csv, Json };

constexpr int DEFAULT_REFERENCE_VOLUME = 130;

struct ToolArguments {
    Command command = Command::None;
    Command helpFor = Command::None;  // `help COMMAND` or `COMMAND --help`
    bool help = false;
    const char* database = nullptr;  // --database PATH
    const char* key = nullptr;       // --key KEY
    int reference = DEFAULT_REFERENCE_VOLUME;
    SortOrder sort = SortOrder::File;
    ListFormat format = ListFormat::Table;
    int bandChoice = 0;  // --band: 1, 2, 3 for 12%, 18%, 24%; 0 when not given
    bool dryRun = false;
    bool force = false;
    bool playerPlaylist = false;
    std::vector<const char*> operands;
};

namespace CommandLine {

// False, with the reason in `error`, when the command line is not one the tool takes.
bool parse(int argc, char** argv, ToolArguments* arguments, char* error, size_t capacity);
const char* nameOf(Command command);

}  // namespace CommandLine
