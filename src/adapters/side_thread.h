// Work on a second thread, where one can be had, and done here where not: a pass's sizes,
// the tool's walk and its line check all go this way.
#pragma once

#include <windows.h>

namespace SideThread {

// `work(parameter)` started on a thread of its own; null when no thread could be had.
HANDLE start(LPTHREAD_START_ROUTINE work, void* parameter);
// Waits for a thread start() made, and lets it go; where it made none, does
// `work(parameter)` here, now.
void finish(HANDLE thread, LPTHREAD_START_ROUTINE work, void* parameter);

}  // namespace SideThread
