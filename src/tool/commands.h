// The tool's commands, each given the command line as read and the database it works
// on; each returns its exit status (exit_codes.h).
#pragma once

#include "tool/command_line.h"
#include "tool/database_location.h"

namespace Commands {

int list(const ToolArguments& arguments, const DatabaseLocation::Found& location);
int show(const ToolArguments& arguments, const DatabaseLocation::Found& location);
int set(const ToolArguments& arguments, const DatabaseLocation::Found& location);
int remove(const ToolArguments& arguments, const DatabaseLocation::Found& location);
int undo(const ToolArguments& arguments, const DatabaseLocation::Found& location);
int cleanOrTrim(const ToolArguments& arguments, const DatabaseLocation::Found& location);
int stats(const ToolArguments& arguments, const DatabaseLocation::Found& location);

}  // namespace Commands
