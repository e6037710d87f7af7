// Making and removing a folder and copying a file, with the platform's answers:
// CreateDirectoryA makes one folder (never the ones on the way), RemoveDirectoryA removes
// an empty one, CopyFileA reads the source as a sharing reader would and writes the
// target whole, through the same faults as any other write.
#include <windows.h>

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "files_internal.h"

using namespace sim::files;

namespace {
constexpr DWORD ERROR_DIRECTORY_ = 267;  // the name is no folder's
}

extern "C" {

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    Resolved r = resolve(lpPathName);
    if (!r.ok) {
        SetLastError(r.error);
        return FALSE;
    }
    struct stat st;
    if (lstat(r.onDisk.c_str(), &st) == 0) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (parentMissing(r.onDisk)) return FALSE;
    if (writesRefused(r.onDisk)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (mkdir(r.onDisk.c_str(), 0755) != 0) {
        SetLastError(errorFromErrno(errno, r.onDisk));
        return FALSE;
    }
    return TRUE;
}

// Only an empty folder goes.
BOOL RemoveDirectoryA(LPCSTR lpPathName) {
    Resolved r;
    struct stat st;
    if (!resolveEntry(lpPathName, &r, &st)) return FALSE;
    if (!S_ISDIR(st.st_mode) || writesRefused(r.onDisk)) {
        SetLastError(S_ISDIR(st.st_mode) ? ERROR_ACCESS_DENIED : ERROR_DIRECTORY_);
        return FALSE;
    }
    if (rmdir(r.onDisk.c_str()) != 0) {
        SetLastError(errno == ENOTEMPTY || errno == EEXIST ? static_cast<DWORD>(ERROR_DIR_NOT_EMPTY)
                                                           : errorFromErrno(errno, r.onDisk));
        return FALSE;
    }
    return TRUE;
}

BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
    // A copy reads through a link to what it points at.
    SourceAndTarget names;
    if (!sourceAndTarget(lpExistingFileName, lpNewFileName, true, &names)) return FALSE;
    const Resolved& from = names.from;
    const Resolved& to = names.to;
    if (S_ISDIR(names.source.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // The source is opened to read, sharing reading only: a holder that did not share
    // reading, or is writing it, keeps the copy out.
    if (!sharingAllowsOpen(from.onDisk, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    struct stat target;
    bool targetExists = stat(to.onDisk.c_str(), &target) == 0;
    if (targetExists && bFailIfExists) {
        SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    }
    if (!targetExists && parentMissing(to.onDisk)) return FALSE;
    if (writesRefused(to.onDisk) || (targetExists && S_ISDIR(target.st_mode))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!sharingAllowsOpen(to.onDisk, GENERIC_WRITE, 0)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    std::string bytes;
    DWORD error = 0;
    if (!readWhole(from.onDisk, &bytes, &error) || !writeWhole(to.onDisk, bytes, &error)) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
