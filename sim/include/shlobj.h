// Simulated shell folders: the special folders the database tool asks for by their CSIDL,
// as a player's paths.ini names them ("{26}").
#pragma once

#include <windows.h>

#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define SHGFP_TYPE_CURRENT 0

#define E_FAIL ((HRESULT)0x80004005L)

extern "C" HRESULT SHGetFolderPathA(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPSTR pszPath);
