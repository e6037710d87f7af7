// Start-up, configuration and shutdown, and the hook on the host's main window.
#pragma once

#include <windows.h>

namespace PluginLifecycle {

int init();
void config();
void quit();
void installHook();
bool hookInstalled();

}  // namespace PluginLifecycle
