// Simulated common controls: the one function the plug-in looks up in COMCTL32 at run
// time (Windows Vista and later), as the platform declares it.
#pragma once

#include <windows.h>

enum _LI_METRIC { LIM_SMALL, LIM_LARGE };

extern "C" HRESULT LoadIconMetric(HINSTANCE hinst, PCWSTR pszName, int lims, HICON* phico);
