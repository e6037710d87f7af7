// Files on the simulated drives: the platform's file functions over a Linux folder, with
// the platform's error codes, its sharing rules for open handles, and injected faults.
//
// Where a Unix symbolic link would behave one way under Wine and another on Windows, we
// follow Windows: an open goes through to the target, while deleting, renaming and
// asking the attributes act on the link itself, which is a reparse point with its own
// size.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "code_page.h"
#include "core_internal.h"
#include "files_internal.h"
#include "sim/platform.h"
#include "sim_internal.h"

namespace sim {
namespace files {

namespace {

struct WriteFault {
    uint64_t accepted;
    uint64_t used;
};

constexpr uint32_t HANDLE_MAGIC = 0x46494C45;  // "FILE"

struct OpenFile {
    uint32_t magic;
    int fd;
    DWORD access;  // GENERIC_READ / GENERIC_WRITE bits
    DWORD share;
    dev_t device;
    ino_t inode;
    std::string faultKey;
    bool deleteOnClose;
    std::string onDisk;
};

struct FileSystem {
    std::string root = "/tmp/loudmark-sim";
    std::set<std::string> refusedDeletes;
    std::set<std::string> refusedRenames;
    std::map<std::string, WriteFault> writeFaults;
    std::vector<std::string> readOnlyFolders;  // fault keys of folders the user may not change
    std::set<OpenFile*> open;
};

FileSystem& fs() {
    static FileSystem instance;
    return instance;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string lowered(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string faultKeyOf(const std::string& linuxPath) { return lowered(linuxPath); }

}  // namespace

std::string parentOf(const std::string& linuxPath) {
    size_t slash = linuxPath.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return linuxPath.substr(0, slash);
}

bool isDirectory(const std::string& linuxPath) {
    struct stat st;
    return stat(linuxPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void makeFolders(const std::string& linuxFolder) {
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        size_t next = linuxFolder.find('/', pos + 1);
        partial = linuxFolder.substr(0, next);
        if (!partial.empty()) mkdir(partial.c_str(), 0755);
        pos = next;
    }
}

DWORD errorFromErrno(int error, const std::string& linuxPath) {
    switch (error) {
        case ENOENT: return missingError(linuxPath);
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EEXIST: return ERROR_FILE_EXISTS;
        case ENOSPC: return ERROR_DISK_FULL;
        case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE_;
        default: return ERROR_ACCESS_DENIED;
    }
}

bool writesRefused(const std::string& linuxPath) {
    std::string key = faultKeyOf(linuxPath);
    for (const std::string& folder : fs().readOnlyFolders) {
        if (core::atOrBelow(key, folder, '/')) return true;
    }
    return false;
}

namespace {

bool hasDataAccess(DWORD access) { return (access & (GENERIC_READ | GENERIC_WRITE)) != 0; }

// The platform's sharing rule: a new open must allow what the handles already open do,
// and they must allow what it asks. Opens without read or write access take no part.
bool sharingAllows(const struct stat& st, DWORD access, DWORD share) {
    if (!hasDataAccess(access)) return true;
    for (OpenFile* file : fs().open) {
        if (file->device != st.st_dev || file->inode != st.st_ino || !hasDataAccess(file->access)) continue;
        if ((access & GENERIC_READ) && !(file->share & FILE_SHARE_READ)) return false;
        if ((access & GENERIC_WRITE) && !(file->share & FILE_SHARE_WRITE)) return false;
        if ((file->access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
        if ((file->access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
    }
    return true;
}

// Whether an open handle with data access keeps the entry from being deleted or renamed.
bool heldAgainstDelete(const struct stat& st) {
    for (OpenFile* file : fs().open) {
        if (file->device == st.st_dev && file->inode == st.st_ino && hasDataAccess(file->access) &&
            !(file->share & FILE_SHARE_DELETE)) {
            return true;
        }
    }
    return false;
}

bool heldOpen(const struct stat& st) {
    for (OpenFile* file : fs().open) {
        if (file->device == st.st_dev && file->inode == st.st_ino && hasDataAccess(file->access)) return true;
    }
    return false;
}

OpenFile* fileOf(HANDLE handle) {
    OpenFile* file = static_cast<OpenFile*>(handle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || fs().open.count(file) == 0) return nullptr;
    return file->magic == HANDLE_MAGIC ? file : nullptr;
}

bool writeAll(int fd, const char* bytes, size_t count, size_t* written) {
    *written = 0;
    while (*written < count) {
        ssize_t n = write(fd, bytes + *written, count - *written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        *written += static_cast<size_t>(n);
    }
    return true;
}

// Writes what an injected fault lets through; false (ERROR_DISK_FULL) when it cut the
// write short.
bool faultAwareWrite(int fd, const std::string& faultKey, const char* bytes, size_t count, size_t* written,
                     DWORD* error) {
    size_t allowed = count;
    auto fault = fs().writeFaults.find(faultKey);
    if (fault != fs().writeFaults.end()) {
        uint64_t left = fault->second.accepted - fault->second.used;
        if (allowed > left) allowed = static_cast<size_t>(left);
    }
    bool ok = writeAll(fd, bytes, allowed, written);
    if (fault != fs().writeFaults.end()) fault->second.used += *written;
    if (!ok) {
        *error = errno == ENOSPC ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED;
        return false;
    }
    if (allowed < count) {
        *error = ERROR_DISK_FULL;
        return false;
    }
    return true;
}

// Closes the descriptor, and deletes the file when it was opened to go with its handle.
void release(OpenFile* file) {
    close(file->fd);
    if (file->deleteOnClose) unlink(file->onDisk.c_str());
    file->magic = 0;
    delete file;
}

void closeAll() {
    for (OpenFile* file : fs().open) release(file);
    fs().open.clear();
}

// Windows turns FILETIME's 100 ns ticks since 1601 into time; Linux counts from 1970.
FILETIME fileTimeOf(const struct timespec& when) {
    uint64_t ticks = (static_cast<uint64_t>(when.tv_sec) + 11644473600ull) * 10000000ull +
                     static_cast<uint64_t>(when.tv_nsec) / 100;
    FILETIME out;
    out.dwLowDateTime = static_cast<DWORD>(ticks);
    out.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return out;
}

}  // namespace

Resolved resolve(const char* windowsPath, size_t characters) {
    Resolved out{false, ERROR_PATH_NOT_FOUND, std::string(), false};
    if (windowsPath == nullptr || windowsPath[0] == '\0') return out;
    size_t length = strlen(windowsPath);
    if ((characters == SIZE_MAX ? length : characters) > LONGEST_FILE_PATH) {
        out.error = ERROR_FILENAME_EXCED_RANGE_;
        return out;
    }
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(windowsPath[i]);
        if (c < 32 || strchr("*?<>\"|", c) != nullptr) {
            out.error = ERROR_INVALID_NAME;
            return out;
        }
    }

    std::string base;
    const char* rest = windowsPath;
    if (((windowsPath[0] >= 'A' && windowsPath[0] <= 'Z') || (windowsPath[0] >= 'a' && windowsPath[0] <= 'z')) &&
        windowsPath[1] == ':') {
        char drive = static_cast<char>(windowsPath[0] & ~0x20);
        base = fs().root + "/" + drive;
        rest = windowsPath + 2;
    } else if (isSeparator(windowsPath[0]) && isSeparator(windowsPath[1])) {
        base = fs().root + "/UNC";
    } else if (isSeparator(windowsPath[0])) {
        base = fs().root + "/C";  // rooted on the current drive
    } else {
        base = fs().root + "/cwd";
    }

    std::vector<std::string> parts;
    const char* p = rest;
    while (*p != '\0') {
        while (isSeparator(*p)) ++p;
        const char* start = p;
        while (*p != '\0' && !isSeparator(*p)) ++p;
        std::string part(start, p);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        bool last = i + 1 == parts.size();
        if (last) {
            // The platform drops trailing dots and blanks from a name.
            std::string& name = parts[i];
            while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
        }
        if (parts[i].find(':') != std::string::npos) {
            // A stream name or a drive in the middle: nothing there on these drives.
            out.error = last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
            return out;
        }
    }
    out.onDisk = base;
    for (const std::string& part : parts) out.onDisk += "/" + part;
    out.trailingSlash = isSeparator(windowsPath[length - 1]);
    out.ok = true;
    out.error = 0;
    return out;
}

bool resolveEntry(const char* windowsPath, Resolved* r, struct stat* entry, size_t characters) {
    *r = resolve(windowsPath, characters);
    if (!r->ok) {
        SetLastError(r->error);
        return false;
    }
    if (lstat(r->onDisk.c_str(), entry) != 0) {
        SetLastError(errorFromErrno(errno, r->onDisk));
        return false;
    }
    return true;
}

bool attributesOf(const char* windowsPath, WIN32_FILE_ATTRIBUTE_DATA* data, size_t characters) {
    Resolved r;
    struct stat entry;
    if (!resolveEntry(windowsPath, &r, &entry, characters)) return false;
    bool linkOrFolder = S_ISLNK(entry.st_mode) || S_ISDIR(entry.st_mode);
    if (!linkOrFolder && !S_ISREG(entry.st_mode)) {
        // Pipes and devices are not files to the platform's attribute query.
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!linkOrFolder && r.trailingSlash) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    *data = describeEntry(entry, r.onDisk);
    return true;
}

DWORD missingError(const std::string& linuxPath) {
    return isDirectory(parentOf(linuxPath)) ? static_cast<DWORD>(ERROR_FILE_NOT_FOUND) : ERROR_PATH_NOT_FOUND;
}

bool parentMissing(const std::string& linuxPath) {
    if (isDirectory(parentOf(linuxPath))) return false;
    SetLastError(ERROR_PATH_NOT_FOUND);
    return true;
}

WIN32_FILE_ATTRIBUTE_DATA describeEntry(const struct stat& entry, const std::string& linuxPath) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (S_ISLNK(entry.st_mode)) {
        // A reparse point: the link itself, not what it points at.
        data.dwFileAttributes =
            FILE_ATTRIBUTE_REPARSE_POINT | (isDirectory(linuxPath) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE_);
    } else if (S_ISDIR(entry.st_mode)) {
        data.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    } else {
        data.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE_ | ((entry.st_mode & 0222) == 0 ? FILE_ATTRIBUTE_READONLY : 0);
    }
    data.ftCreationTime = fileTimeOf(entry.st_ctim);
    data.ftLastAccessTime = fileTimeOf(entry.st_atim);
    data.ftLastWriteTime = fileTimeOf(entry.st_mtim);
    uint64_t size = S_ISDIR(entry.st_mode) ? 0 : static_cast<uint64_t>(entry.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    return data;
}

bool sourceAndTarget(const char* existing, const char* target, bool throughLinks, SourceAndTarget* out) {
    out->from = resolve(existing);
    out->to = resolve(target);
    if (!out->from.ok || !out->to.ok) {
        SetLastError(!out->from.ok ? out->from.error : out->to.error);
        return false;
    }
    const char* source = out->from.onDisk.c_str();
    if ((throughLinks ? stat(source, &out->source) : lstat(source, &out->source)) != 0) {
        SetLastError(errorFromErrno(errno, out->from.onDisk));
        return false;
    }
    return true;
}

HeldBy heldBy(const std::string& onDisk) {
    HeldBy held;
    struct stat st;
    if (stat(onDisk.c_str(), &st) != 0) return held;
    for (OpenFile* file : fs().open) {
        if (file->device != st.st_dev || file->inode != st.st_ino || !hasDataAccess(file->access)) continue;
        held.any = true;
        if ((file->access & GENERIC_WRITE) || !(file->share & FILE_SHARE_READ)) held.notJustSharedReaders = true;
    }
    return held;
}

bool sharingAllowsOpen(const std::string& onDisk, DWORD access, DWORD share) {
    struct stat st;
    return stat(onDisk.c_str(), &st) != 0 || sharingAllows(st, access, share);
}

bool readWhole(const std::string& linuxPath, std::string* bytes, DWORD* error) {
    bytes->clear();
    int fd = open(linuxPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *error = errorFromErrno(errno, linuxPath);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        *error = ERROR_ACCESS_DENIED;
        return false;
    }
    bytes->resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < bytes->size()) {
        ssize_t n = read(fd, &(*bytes)[got], bytes->size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    bytes->resize(got);
    close(fd);
    return true;
}

// Every write leaves a last-write time later than any before it. Linux stamps files from
// a coarse clock, so two writes a millisecond apart could look like one; a program that
// tells a changed file by its size and last-write time must see each change.
void stampWritten(int fd) {
    static int64_t lastNs = 0;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    int64_t ns = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    if (ns <= lastNs) ns = lastNs + 1000;
    lastNs = ns;
    struct timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[0].tv_sec = 0;
    times[1].tv_sec = static_cast<time_t>(ns / 1000000000);
    times[1].tv_nsec = static_cast<long>(ns % 1000000000);
    futimens(fd, times);
}

bool writeWhole(const std::string& linuxPath, const std::string& bytes, DWORD* error) {
    int fd = open(linuxPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = errno == EISDIR ? static_cast<DWORD>(ERROR_ACCESS_DENIED) : errorFromErrno(errno, linuxPath);
        if (errno == ENOENT) *error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    size_t written = 0;
    bool ok = faultAwareWrite(fd, faultKeyOf(linuxPath), bytes.data(), bytes.size(), &written, error);
    stampWritten(fd);
    close(fd);
    return ok;
}

}  // namespace files

namespace detail {

void resetFiles(const std::string& driveRoot) {
    files::closeAll();
    files::FileSystem& state = files::fs();
    state.refusedDeletes.clear();
    state.refusedRenames.clear();
    state.writeFaults.clear();
    state.readOnlyFolders.clear();
    state.root = driveRoot;
    while (state.root.size() > 1 && state.root.back() == '/') state.root.pop_back();
    files::makeFolders(state.root);
}

}  // namespace detail

// ---------------------------------------------------------------------------
// The test side

// A test's Windows path is UTF-8: its length is its characters, not its bytes.
std::string linuxPath(const std::string& windowsPath) {
    size_t characters = 0;
    for (char c : windowsPath) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return files::resolve(windowsPath.c_str(), characters).onDisk;
}

void writeFile(const std::string& windowsPath, const std::string& bytes) {
    std::string path = linuxPath(windowsPath);
    files::makeFolders(files::parentOf(path));
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    size_t written = 0;
    files::writeAll(fd, bytes.data(), bytes.size(), &written);
    files::stampWritten(fd);
    close(fd);
}

std::string readFile(const std::string& windowsPath) {
    std::string bytes;
    DWORD error = 0;
    files::readWhole(linuxPath(windowsPath), &bytes, &error);
    return bytes;
}

bool fileExists(const std::string& windowsPath) {
    struct stat st;
    std::string path = linuxPath(windowsPath);
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

void refuseDelete(const std::string& windowsPath) {
    files::fs().refusedDeletes.insert(files::faultKeyOf(linuxPath(windowsPath)));
}

void refuseRename(const std::string& fromWindowsPath) {
    files::fs().refusedRenames.insert(files::faultKeyOf(linuxPath(fromWindowsPath)));
}

void allowRename(const std::string& fromWindowsPath) {
    files::fs().refusedRenames.erase(files::faultKeyOf(linuxPath(fromWindowsPath)));
}

void failWritesAfter(const std::string& windowsPath, uint64_t bytesAccepted) {
    files::fs().writeFaults[files::faultKeyOf(linuxPath(windowsPath))] = files::WriteFault{bytesAccepted, 0};
}

void refuseWritesIn(const std::string& windowsFolder) {
    std::string folder = files::faultKeyOf(linuxPath(windowsFolder));
    if (!folder.empty()) files::fs().readOnlyFolders.push_back(folder);
}

void allowWritesIn(const std::string& windowsFolder) {
    std::vector<std::string>& folders = files::fs().readOnlyFolders;
    std::string folder = files::faultKeyOf(linuxPath(windowsFolder));
    folders.erase(std::remove(folders.begin(), folders.end(), folder), folders.end());
}

}  // namespace sim

// ---------------------------------------------------------------------------
// The platform's file functions

using namespace sim::files;

namespace {

bool changesTheFile(DWORD access, DWORD disposition, DWORD flags) {
    return (access & GENERIC_WRITE) || disposition != OPEN_EXISTING || (flags & FILE_FLAG_DELETE_ON_CLOSE);
}

HANDLE openFile(const Resolved& r, DWORD dwDesiredAccess, DWORD dwShareMode, DWORD dwCreationDisposition,
                DWORD dwFlagsAndAttributes) {
    // CreateFile's reference: "Windows Me/98/95: This flag is not supported"
    // (FILE_FLAG_DELETE_ON_CLOSE); we take that at its worst, a refused call.
    if ((dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) && sim::core::playingWindows95()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (!r.ok) {
        SetLastError(r.error);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    bool exists = stat(r.onDisk.c_str(), &st) == 0;  // through a link to its target
    if (!exists && errno == ENOTDIR) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (exists && S_ISDIR(st.st_mode)) {
        // A folder is no file: opening one takes a flag the plug-in never passes.
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (r.trailingSlash) {
        SetLastError(exists ? ERROR_INVALID_NAME : missingError(r.onDisk));
        return INVALID_HANDLE_VALUE;
    }
    if (writesRefused(r.onDisk) && changesTheFile(dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes)) {
        // Only opening what is already there, without changing it, is let through; a file
        // that is not there to open is simply missing.
        bool opensOnly = dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING;
        SetLastError(!exists && opensOnly ? missingError(r.onDisk) : static_cast<DWORD>(ERROR_ACCESS_DENIED));
        return INVALID_HANDLE_VALUE;
    }

    bool create = false;
    bool truncate = false;
    switch (dwCreationDisposition) {
        case CREATE_NEW:
            if (exists) {
                SetLastError(ERROR_FILE_EXISTS);
                return INVALID_HANDLE_VALUE;
            }
            create = true;
            break;
        case CREATE_ALWAYS:
            create = true;
            truncate = exists;
            break;
        case OPEN_EXISTING:
            if (!exists) {
                SetLastError(missingError(r.onDisk));
                return INVALID_HANDLE_VALUE;
            }
            break;
        case OPEN_ALWAYS:
            create = !exists;
            break;
        case TRUNCATE_EXISTING:
            if (!exists) {
                SetLastError(missingError(r.onDisk));
                return INVALID_HANDLE_VALUE;
            }
            truncate = true;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }
    if (exists && !sharingAllows(st, dwDesiredAccess, dwShareMode)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }

    if (create || truncate) {
        int fd = open(r.onDisk.c_str(), O_WRONLY | O_CLOEXEC | (create ? O_CREAT : 0) | (truncate ? O_TRUNC : 0), 0644);
        if (fd < 0) {
            SetLastError(errorFromErrno(errno, r.onDisk));
            return INVALID_HANDLE_VALUE;
        }
        stampWritten(fd);
        close(fd);
    }
    int flags = O_CLOEXEC | O_NONBLOCK;
    bool reads = (dwDesiredAccess & GENERIC_READ) != 0;
    bool writes = (dwDesiredAccess & GENERIC_WRITE) != 0;
    if (reads && writes) {
        flags |= O_RDWR;
    } else if (writes) {
        flags |= O_WRONLY;
    } else if (reads) {
        flags |= O_RDONLY;
    } else {
        flags = O_PATH | O_CLOEXEC;  // existence only: no data access, never blocks
    }
    int fd = open(r.onDisk.c_str(), flags);
    if (fd < 0 || fstat(fd, &st) != 0) {
        SetLastError(errorFromErrno(errno, r.onDisk));
        if (fd >= 0) close(fd);
        return INVALID_HANDLE_VALUE;
    }
    OpenFile* file = new OpenFile{HANDLE_MAGIC,
                                  fd,
                                  dwDesiredAccess & (GENERIC_READ | GENERIC_WRITE),
                                  dwShareMode,
                                  st.st_dev,
                                  st.st_ino,
                                  faultKeyOf(r.onDisk),
                                  (dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0,
                                  r.onDisk};
    fs().open.insert(file);
    // Opening what was already there says so, as the platform does.
    bool existed = exists && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return file;
}

}  // namespace

extern "C" {

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    return openFile(resolve(lpFileName), dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes);
}

// The wide name reaches the Linux side as UTF-8; its length counts in wide characters.
HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    size_t characters = 0;
    while (lpFileName != nullptr && lpFileName[characters] != 0) ++characters;
    std::string utf8 = sim::codepage::wideToUtf8(lpFileName);
    return openFile(resolve(lpFileName == nullptr ? nullptr : utf8.c_str(), characters), dwDesiredAccess,
                    dwShareMode, dwCreationDisposition, dwFlagsAndAttributes);
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    OpenFile* file = fileOf(hFile);
    struct stat st;
    if (file == nullptr || fstat(file->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (lpFileSizeHigh != nullptr) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

}  // extern "C"

namespace {
// The open file behind a handle when it was opened with the access asked for; null, with
// the platform's error, when not.
OpenFile* fileOpenedFor(HANDLE handle, DWORD access) {
    OpenFile* file = fileOf(handle);
    if (file == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!(file->access & access)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}
}  // namespace

extern "C" {

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead, LPOVERLAPPED) {
    if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = 0;
    OpenFile* file = fileOpenedFor(hFile, GENERIC_READ);
    if (file == nullptr) return FALSE;
    DWORD got = 0;
    char* out = static_cast<char*>(lpBuffer);
    while (got < nNumberOfBytesToRead) {
        ssize_t n = read(file->fd, out + got, nNumberOfBytesToRead - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (n == 0) break;  // the end of the file is no error
        got += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = got;
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED) {
    if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = 0;
    OpenFile* file = fileOpenedFor(hFile, GENERIC_WRITE);
    if (file == nullptr) return FALSE;
    size_t written = 0;
    DWORD error = 0;
    bool ok = faultAwareWrite(file->fd, file->faultKey, static_cast<const char*>(lpBuffer), nNumberOfBytesToWrite,
                              &written, &error);
    stampWritten(file->fd);
    if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = static_cast<DWORD>(written);
    if (!ok) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime, LPFILETIME lpLastWriteTime) {
    OpenFile* file = fileOf(hFile);
    struct stat st;
    if (file == nullptr || fstat(file->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpCreationTime != nullptr) *lpCreationTime = fileTimeOf(st.st_ctim);
    if (lpLastAccessTime != nullptr) *lpLastAccessTime = fileTimeOf(st.st_atim);
    if (lpLastWriteTime != nullptr) *lpLastWriteTime = fileTimeOf(st.st_mtim);
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile) {
    OpenFile* file = fileOf(hFile);
    if (file == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(file->access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;  // the simulated machine never loses power
}

BOOL CloseHandle(HANDLE hObject) {
    if (hObject == INVALID_HANDLE_VALUE) return TRUE;  // the current process's pseudo handle
    OpenFile* file = fileOf(hObject);
    if (file == nullptr) {
        if (sim::core::closeThreadHandle(hObject)) return TRUE;
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    fs().open.erase(file);
    release(file);
    return TRUE;
}

BOOL DeleteFileA(LPCSTR lpFileName) {
    Resolved r;
    struct stat st;
    if (!resolveEntry(lpFileName, &r, &st)) return FALSE;
    if (S_ISDIR(st.st_mode) || fs().refusedDeletes.count(faultKeyOf(r.onDisk)) != 0 || writesRefused(r.onDisk)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (heldAgainstDelete(st)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (unlink(r.onDisk.c_str()) != 0) {
        SetLastError(errorFromErrno(errno, r.onDisk));
        return FALSE;
    }
    return TRUE;
}

BOOL MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
    // A rename acts on a link itself.
    SourceAndTarget names;
    if (!sourceAndTarget(lpExistingFileName, lpNewFileName, false, &names)) return FALSE;
    const Resolved& from = names.from;
    const Resolved& to = names.to;
    if (fs().refusedRenames.count(faultKeyOf(from.onDisk)) != 0 || writesRefused(from.onDisk) ||
        writesRefused(to.onDisk)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (faultKeyOf(from.onDisk) == faultKeyOf(to.onDisk)) return TRUE;  // onto itself
    struct stat target;
    if (lstat(to.onDisk.c_str(), &target) == 0) {
        // MoveFileA never replaces an existing target; only the replace flag does.
        if (!(dwFlags & MOVEFILE_REPLACE_EXISTING)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        // Replacing removes the old target: one that may not be deleted stays.
        if (S_ISDIR(target.st_mode) || heldOpen(target) || fs().refusedDeletes.count(faultKeyOf(to.onDisk)) != 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    } else if (parentMissing(to.onDisk)) {
        return FALSE;
    }
    if (heldAgainstDelete(names.source)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    // rename(2) swaps the name over in one step: the old target stays whole until then.
    if (rename(from.onDisk.c_str(), to.onDisk.c_str()) != 0) {
        SetLastError(errorFromErrno(errno, to.onDisk));
        return FALSE;
    }
    return TRUE;
}

BOOL MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
    return MoveFileExA(lpExistingFileName, lpNewFileName, 0);
}

DWORD GetFileAttributesA(LPCSTR lpFileName) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return attributesOf(lpFileName, &data) ? data.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

BOOL GetFileAttributesExA(LPCSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation) {
    if (fInfoLevelId != GetFileExInfoStandard || lpFileInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return attributesOf(lpFileName, static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(lpFileInformation)) ? TRUE : FALSE;
}

}  // extern "C"
