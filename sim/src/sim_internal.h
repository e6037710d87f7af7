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

}  // namespace detail
}  // namespace sim
