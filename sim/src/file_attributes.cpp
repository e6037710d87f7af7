// File attributes beside the A queries of files.cpp: GetFileAttributesW, which reports
// what GetFileAttributesA reports for the same file, and SetFileAttributesA, of which the
// tool uses the read-only attribute alone: it stands for a file without write permission.
#include <windows.h>

#include <cerrno>
#include <sys/stat.h>

#include "code_page.h"
#include "files_internal.h"

extern "C" {

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
    using namespace sim::files;
    size_t characters = 0;
    while (lpFileName != nullptr && lpFileName[characters] != 0) ++characters;
    std::string utf8 = sim::codepage::wideToUtf8(lpFileName);
    WIN32_FILE_ATTRIBUTE_DATA data;
    return attributesOf(lpFileName == nullptr ? nullptr : utf8.c_str(), &data, characters) ? data.dwFileAttributes
                                                                                           : INVALID_FILE_ATTRIBUTES;
}

BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
    using namespace sim::files;
    Resolved r;
    struct stat entry;
    if (!resolveEntry(lpFileName, &r, &entry)) return FALSE;
    if (writesRefused(r.onDisk)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    mode_t mode = entry.st_mode & 07777;
    mode = (dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~static_cast<mode_t>(0222)) : (mode | 0200);
    if (!S_ISLNK(entry.st_mode)) chmod(r.onDisk.c_str(), mode);
    return TRUE;
}

}  // extern "C"
