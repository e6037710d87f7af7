// The player's folder, found as the installer finds it (dist/installer/loudmark.nsi):
// the default value of HKCU\Software\Winamp, then the folder of the UninstallString of the
// player's Add/Remove Programs entry (HKLM, then HKCU), the first that holds winamp.exe;
// otherwise the 32-bit Program Files folder + "\Winamp".
#pragma once

#include <stddef.h>

namespace PlayerFolder {

// The folder, without a final backslash, into `folder`: the first candidate that holds
// winamp.exe, else the Program Files fallback. False when that holds none either.
bool find(char* folder, size_t capacity);

}  // namespace PlayerFolder
