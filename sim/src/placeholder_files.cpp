// Interim: the files part of reset, until the simulated file system lands.
#include "sim_internal.h"
namespace sim { namespace detail { void resetFiles(const std::string&) {} void resetDialogs() {} } }
