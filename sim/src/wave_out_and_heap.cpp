// Wave-output volume (device 0 answers what its source, the player, says) and the
// process heap.
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <functional>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {
constexpr MMRESULT MMSYSERR_INVALPARAM_ = 11;
std::function<DWORD()> volumeSource;
}  // namespace

void resetWaveOut() { volumeSource = nullptr; }

}  // namespace core

void setWaveOutVolumeSource(std::function<DWORD()> source) { core::volumeSource = std::move(source); }

}  // namespace sim

extern "C" {

MMRESULT waveOutGetVolume(HWAVEOUT hwo, LPDWORD pdwVolume) {
    using namespace sim::core;
    // The plug-in names the device by its number, cast to a handle, as the platform allows.
    if (reinterpret_cast<UINT_PTR>(hwo) != 0) return MMSYSERR_BADDEVICEID;
    if (!pdwVolume) return MMSYSERR_INVALPARAM_;
    if (!volumeSource) return MMSYSERR_NOTSUPPORTED;
    *pdwVolume = volumeSource();
    return MMSYSERR_NOERROR;
}

HANDLE GetProcessHeap(void) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x50000)); }

LPVOID HeapAlloc(HANDLE, DWORD dwFlags, size_t dwBytes) {
    size_t n = dwBytes ? dwBytes : 1;
    return (dwFlags & HEAP_ZERO_MEMORY) ? std::calloc(1, n) : std::malloc(n);
}

BOOL HeapFree(HANDLE, DWORD, LPVOID lpMem) {
    std::free(lpMem);
    return TRUE;
}

}  // extern "C"
