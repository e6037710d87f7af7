// The host's message loop in pieces: real timers, posted clicks and hotkeys all arrive
// through it, so waiting always means pumping.
#pragma once

#include <windows.h>

#include <functional>

namespace MessagePump {

void dispatchWaiting();
// Pumps until `done` says so or the time is up; answers whether it was done.
bool until(const std::function<bool()>& done, DWORD timeoutMs);
void forMs(DWORD ms);

}  // namespace MessagePump
