// Hooks between the parts of the simulated platform; never seen by tests or the plug-in.
#pragma once

#include <string>

namespace sim {
namespace detail {

// Files and profile files: forget faults, and make `driveRoot` the folder of the drives.
void resetFiles(const std::string& driveRoot);
// Dialogs: forget the scripts and any dialog left open.
void resetDialogs();
// Folder listings: forget open listings and refused folders.
void resetFolderListings();
// Profile files: forget what Windows 9x's cache holds.
void resetProfileCache();

}  // namespace detail
}  // namespace sim
