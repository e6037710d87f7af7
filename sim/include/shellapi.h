// Simulated notification area: the first form of the notification record, as the
// platform declares it. NOTIFYICONDATAA_V1_SIZE follows the record's real layout for
// the pointer size (88 bytes in 32-bit builds, 104 in 64-bit ones).
#pragma once

#include <windows.h>

struct NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    CHAR szInfo[256];
    UINT uTimeout;
    CHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};
typedef NOTIFYICONDATAA* PNOTIFYICONDATAA;

#define NOTIFYICONDATAA_V1_SIZE (offsetof(NOTIFYICONDATAA, szTip) + 64)

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002

#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004

extern "C" BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData);
