// The record the host reads from the module: seven 32-bit fields in the 32-bit build.
#pragma once

#include <windows.h>

constexpr int GPPHDR_VER = 0x10;

struct PluginRecord {
    int version;
    char* description;
    int (*init)();
    void (*config)();
    void (*quit)();
    HWND hwndParent;           // written by the host: its main window
    HINSTANCE hDllInstance;    // written by the host: this module
};

extern PluginRecord pluginRecord;
