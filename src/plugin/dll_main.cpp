// The module's entry routine and its one export.
#include <windows.h>

#include "plugin/plugin_record.h"

// Everything starts in init, when the host has filled in the record.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" __declspec(dllexport) PluginRecord* winampGetGeneralPurposePlugin() { return &pluginRecord; }
