#include "controls/system_functions.h"

namespace SystemFunctions {

FARPROC find(const char* module, const char* name) {
    HMODULE loaded = GetModuleHandleA(module);
    // The player may not have loaded the common controls; a system module loaded here
    // stays for the life of the process, which is harmless.
    if (loaded == nullptr) loaded = LoadLibraryA(module);
    return loaded == nullptr ? nullptr : GetProcAddress(loaded, name);
}

}  // namespace SystemFunctions
