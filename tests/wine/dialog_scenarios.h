// The configuration dialog end to end: the real template from the DLL's resources, the
// real dialog opened through the record's config routine, a listener's session clicked
// through it by posted messages, and the settings file the real profile functions wrote.
#pragma once

#include <string>

namespace DialogScenarios {

using Check = void (*)(bool ok, const std::string& what);

// `pluginFolder` is an empty folder of the scenario's own; the built DLL is copied there.
// The host's main window (HostPlayer) must exist.
void session(Check check, const std::string& builtDll, const std::string& pluginFolder);

}  // namespace DialogScenarios
