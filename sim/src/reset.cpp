// A fresh machine: every piece of the simulated platform forgets what the last test did.
#include "core_internal.h"
#include "sim/platform.h"
#include "sim_internal.h"

namespace sim {

void reset(const std::string& driveRoot) {
    core::resetClock();
    core::resetWindows();
    core::resetTimers();
    core::resetMessageBoxes();
    core::resetKeyboard();
    core::resetRegistry();
    core::resetTray();
    core::resetModules();
    core::resetSystemModules();
    core::resetHiddenFunctions();
    core::resetThreads();
    core::resetWaveOut();
    detail::resetProfileCache();
    detail::resetFiles(driveRoot);
    detail::resetFolderListings();
    core::resetEnvironment();
    detail::resetDialogs();
    core::resetLastError();
    core::resetConsole();
}

}  // namespace sim
