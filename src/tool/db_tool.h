// The tool as a whole: the command line in, the exit status out. main() only connects it
// to the process's standard streams, so everything here runs over the simulated platform
// in the native tests as well.
#pragma once

#include <windows.h>

namespace DbTool {

// The arguments as the wide command line gives them, the program's name first.
int run(int argc, const WCHAR* const* argv);

}  // namespace DbTool
