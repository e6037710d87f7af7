// --help: the whole tool's, or one command's.
#pragma once

#include "tool/command_line.h"

namespace ToolHelp {

void print(Command command);  // Command::None or Command::Help: the overview
void printUsageHint();        // one line after a wrong command line

}  // namespace ToolHelp
