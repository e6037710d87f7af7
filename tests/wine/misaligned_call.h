// Calls into the plug-in as a host built for 4-byte stack alignment may. The player and
// the system keep the stack only 4-byte aligned, while an i686 compiler's own code keeps
// it at 0 (mod 16) at every call: in the 32-bit build these calls leave it at 4 instead,
// so the plug-in is seen to work when the host gives it no more than the platform
// promises. The 64-bit build calls directly: its ABI leaves a host no such freedom.
#pragma once

#include "plugin_record_view.h"

namespace MisalignedCall {

PluginRecordView* call(GetPluginRecord routine);
int call(int (*routine)());
void call(void (*routine)());

// The stack pointer mod 16 at the last call instruction (32-bit build), or -1.
int lastRemainder();

}  // namespace MisalignedCall
