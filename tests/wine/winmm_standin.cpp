// A stand-in for winmm.dll: there is no sound device under Wine here, so wave-output
// device 0 reports the volume of the host program that loaded us, which exports it.
#define _WINMM_  // we are winmm: its functions are defined here, not imported
#include <windows.h>
#include <mmsystem.h>

extern "C" MMRESULT WINAPI waveOutGetVolume(HWAVEOUT device, LPDWORD volume) {
    if (device != nullptr) return MMSYSERR_BADDEVICEID;
    if (volume == nullptr) return MMSYSERR_INVALPARAM;
    typedef DWORD (*VolumeSource)(void);
    VolumeSource source =
        reinterpret_cast<VolumeSource>(GetProcAddress(GetModuleHandleA(nullptr), "loudmarkHostWaveVolume"));
    if (source == nullptr) return MMSYSERR_NOTSUPPORTED;
    *volume = source();
    return MMSYSERR_NOERROR;
}
