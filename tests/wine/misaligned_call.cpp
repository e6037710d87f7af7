#include "misaligned_call.h"

#include <cstdint>

namespace MisalignedCall {

namespace {

int remainder = -1;

#ifndef _WIN64
// The routines take nothing and answer in eax (cdecl). esi keeps the caller's stack
// pointer and edi the one at the call: both survive the call, as cdecl promises.
uint32_t callAtFour(const void* routine) {
    uint32_t answer;
    uint32_t stackAtCall;
    asm volatile(
        "mov %%esp, %%esi\n\t"
        "and $-16, %%esp\n\t"
        "sub $12, %%esp\n\t"
        "mov %%esp, %%edi\n\t"
        "call *%[routine]\n\t"
        "mov %%esi, %%esp"
        : "=a"(answer), "=&D"(stackAtCall)
        : [routine] "b"(routine)
        : "ecx", "edx", "esi", "memory", "cc");
    remainder = static_cast<int>(stackAtCall % 16);
    return answer;
}
#endif

}  // namespace

#ifndef _WIN64

PluginRecordView* call(GetPluginRecord routine) {
    return reinterpret_cast<PluginRecordView*>(callAtFour(reinterpret_cast<const void*>(routine)));
}

int call(int (*routine)()) { return static_cast<int>(callAtFour(reinterpret_cast<const void*>(routine))); }

void call(void (*routine)()) { callAtFour(reinterpret_cast<const void*>(routine)); }

#else

PluginRecordView* call(GetPluginRecord routine) { return routine(); }
int call(int (*routine)()) { return routine(); }
void call(void (*routine)()) { routine(); }

#endif

int lastRemainder() { return remainder; }

}  // namespace MisalignedCall
