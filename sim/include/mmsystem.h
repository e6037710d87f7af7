// Simulated wave-output volume: device 0 reports the simulated player's volume.
#pragma once

#include <windows.h>

struct HWAVEOUT__;
typedef HWAVEOUT__* HWAVEOUT;
typedef UINT MMRESULT;

#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_NOTSUPPORTED 8

extern "C" MMRESULT waveOutGetVolume(HWAVEOUT hwo, LPDWORD pdwVolume);
