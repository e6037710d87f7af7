#include "adapters/later_windows.h"

namespace LaterWindows {

namespace {

using GetVersionFunction = DWORD(WINAPI*)();
using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
using GetModuleHandleExFunction = BOOL(WINAPI*)(DWORD, LPCSTR, HMODULE*);

// KERNEL32 is in every process, so its handle needs no load of our own.
template <typename Function>
Function kernel32(const char* name) {
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

}  // namespace

FileAttributesQuery fileAttributesQuery() { return kernel32<FileAttributesQuery>("GetFileAttributesExA"); }

FindFirstFileExQuery findFirstFileExQuery() { return kernel32<FindFirstFileExQuery>("FindFirstFileExW"); }

bool windows9x() {
    auto getVersion = kernel32<GetVersionFunction>("GetVersion");
    return getVersion != nullptr && (getVersion() & 0x80000000u) != 0;
}

bool fileAttributes(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data, bool* absent) {
    FileAttributesQuery getFileAttributesEx = fileAttributesQuery();
    *absent = getFileAttributesEx == nullptr;
    if (*absent) return false;
    return getFileAttributesEx(path, GetFileExInfoStandard, data) != FALSE;
}

bool fileData(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
    bool absent = false;
    if (fileAttributes(path, data, &absent)) return true;
    if (!absent) return false;
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    *data = WIN32_FILE_ATTRIBUTE_DATA();
    data->nFileSizeLow = GetFileSize(file, &data->nFileSizeHigh);
    bool told = GetFileTime(file, &data->ftCreationTime, &data->ftLastAccessTime, &data->ftLastWriteTime) != FALSE;
    CloseHandle(file);
    return told;
}

Replace moveReplacing(const char* from, const char* to) {
    auto moveFileEx = kernel32<MoveFileExFunction>("MoveFileExA");
    if (moveFileEx == nullptr) return Replace::NotImplemented;
    if (moveFileEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return Replace::Done;
    return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? Replace::NotImplemented : Replace::Failed;
}

void pinModule(HMODULE module, const void* addressInModule) {
    auto getModuleHandleEx = kernel32<GetModuleHandleExFunction>("GetModuleHandleExA");
    HMODULE self = nullptr;
    if (getModuleHandleEx != nullptr &&
        getModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          static_cast<LPCSTR>(addressInModule), &self)) {
        return;
    }
    // Each load counts; one that is never freed outlasts the host's own FreeLibrary.
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    LoadLibraryA(path);
}

}  // namespace LaterWindows
