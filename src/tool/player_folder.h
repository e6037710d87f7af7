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

// Whether Windows virtualizes the player in `folder`: its winamp.exe asks for no
// execution level in a manifest (a 2.x player has none; 5.x asks for asInvoker). Run from
// Program Files by a standard user, such a player, and the plug-in in it, write into the
// listener's VirtualStore.
bool isVirtualized(const char* folder);

// Where Windows keeps a virtualized program's copy of `path`: the listener's
// %LOCALAPPDATA%\VirtualStore\ and the path without its drive. False when there is none.
bool virtualStoreFor(const char* path, char* copy, size_t capacity);

}  // namespace PlayerFolder
