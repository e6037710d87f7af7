// The plug-in's record as a host reads it (seven fields, pointer-sized in this build),
// and the one export that hands it over.
#pragma once

#include <windows.h>

struct PluginRecordView {
    int version;
    char* description;
    int (*init)();
    void (*config)();
    void (*quit)();
    HWND hwndParent;
    HINSTANCE hDllInstance;
};

typedef PluginRecordView* (*GetPluginRecord)();

// Null when the module does not export it.
inline GetPluginRecord findPluginExport(HMODULE module) {
    // Through a plain function pointer type: FARPROC's own signature says nothing.
    return reinterpret_cast<GetPluginRecord>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "winampGetGeneralPurposePlugin")));
}
