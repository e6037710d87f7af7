// The tool as a whole: the command line in, the exit status out. main() only connects it
// to the process's standard streams, so everything here runs over the simulated platform
// in the native tests as well.
#pragma once

namespace DbTool {

int run(int argc, char** argv);

}  // namespace DbTool
