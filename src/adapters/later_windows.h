// Functions Windows 95 lacks, found at run time: imported, any one of them would keep
// the module from loading at all on the systems the 2.x player ran on. Each call falls
// back to what those systems can do.
#pragma once

#include <windows.h>

namespace LaterWindows {

// GetFileAttributesExA (Windows 98, NT 4 and later). False when it fails or is absent;
// `absent` then says which.
bool fileAttributes(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data, bool* absent);
// The function itself, found once for many calls (null where absent): every lookup takes
// the loader's lock, which two threads asking sizes would otherwise queue on.
using FileAttributesQuery = BOOL(WINAPI*)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
FileAttributesQuery fileAttributesQuery();
// FindFirstFileExW (NT 4 and later), found once likewise; null on Windows 95.
using FindFirstFileExQuery = HANDLE(WINAPI*)(LPCWSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS, LPVOID, DWORD);
FindFirstFileExQuery findFirstFileExQuery();

// Windows 95, 98 or ME: GetVersion's high-order bit, which NT-based Windows leaves clear.
// Found at run time like the rest, so that the import list stays as it is.
bool windows9x();

// The same answer on every Windows: where GetFileAttributesExA is absent (95), from an
// open of the file (size and last write; attributes 0). False when it cannot tell.
bool fileData(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data);

enum class Replace { Done, Failed, NotImplemented };
// MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH: one step that
// keeps the target whole until the new file is in place. NotImplemented where it is
// absent, or the 9x stub that only fails.
Replace moveReplacing(const char* from, const char* to);

// Keeps `module` loaded for the rest of the process: GetModuleHandleExA's pin on XP and
// later; before that, a load of its own path that is never undone.
void pinModule(HMODULE module, const void* addressInModule);

}  // namespace LaterWindows
