// Shared between the simulated file functions, folders and copies, the folder listing and
// the profile functions: where a Windows path lives on the Linux side, what an entry
// reports, and writing a whole file under the injected faults. Never seen by tests or the
// plug-in.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace sim {
namespace files {

// A code and an attribute the platform reports that the plug-in never names, so the
// simulated <windows.h> leaves them out.
constexpr DWORD ERROR_FILENAME_EXCED_RANGE_ = 206;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE_ = 0x20;

// The platform's file functions take paths of up to this many characters.
constexpr size_t LONGEST_FILE_PATH = 260;

struct Resolved {
    bool ok;             // false: the name itself is unusable; `error` says why
    DWORD error;
    std::string onDisk;  // where the path lives on the Linux side
    bool trailingSlash;  // the Windows path ended with a separator
};
// `characters`: the path's length as its caller counts it (a wide path's characters),
// when that differs from its bytes.
Resolved resolve(const char* windowsPath, size_t characters = SIZE_MAX);
// `windowsPath` resolved and its entry read (without following a link); false, with the
// last error set as the platform sets it, when the name is unusable or names nothing.
bool resolveEntry(const char* windowsPath, Resolved* r, struct stat* entry, size_t characters = SIZE_MAX);
// What GetFileAttributesA/ExA (and W, for the same file) answer for a path.
bool attributesOf(const char* windowsPath, WIN32_FILE_ATTRIBUTE_DATA* data, size_t characters = SIZE_MAX);

std::string parentOf(const std::string& linuxPath);
bool isDirectory(const std::string& linuxPath);
void makeFolders(const std::string& linuxFolder);  // with every folder on the way
// The platform's error for a failed Linux call on the path.
DWORD errorFromErrno(int error, const std::string& linuxPath);
// Whether the path lies in a folder the user may read but not change.
bool writesRefused(const std::string& linuxPath);

// 2 when the folder the path names exists but the entry does not, 3 when a folder on the
// way is missing (or is a file).
DWORD missingError(const std::string& linuxPath);
// True, with ERROR_PATH_NOT_FOUND set, when the folder that would hold the entry is not
// there: the platform makes no folder on the way.
bool parentMissing(const std::string& linuxPath);

// What GetFileAttributesExA and a folder listing report for an entry lstat saw at the
// path: a link is a reparse point with its own size, marked a folder when it leads to
// one; a folder has no size.
WIN32_FILE_ATTRIBUTE_DATA describeEntry(const struct stat& entry, const std::string& linuxPath);

// The two names of a copy or a rename, and what the source is.
struct SourceAndTarget {
    Resolved from;
    Resolved to;
    struct stat source;
};
// Resolves both names and looks at the source: through a link for a copy, which reads
// what it points at, or at the link itself for a rename. False, with the platform's error
// set, when a name is unusable or the source is not there.
bool sourceAndTarget(const char* existing, const char* target, bool throughLinks, SourceAndTarget* out);

// Who else has the file open with read or write access: anyone at all, and anyone but a
// read-only handle that shares reading.
struct HeldBy {
    bool any = false;
    bool notJustSharedReaders = false;
};
HeldBy heldBy(const std::string& onDisk);

// Whether the handles open on the file let another open with this access and sharing
// in (true for a file that is not there).
bool sharingAllowsOpen(const std::string& onDisk, DWORD access, DWORD share);

// The whole file as bytes; false when it cannot be read (missing, a folder, ...), with
// the platform's error in `error`.
bool readWhole(const std::string& linuxPath, std::string* bytes, DWORD* error);

// Creates or truncates the file and writes `bytes`, counting them against an injected
// write fault as WriteFile does. False, with the platform's error, when the file cannot
// be created or not every byte could be written.
bool writeWhole(const std::string& linuxPath, const std::string& bytes, DWORD* error);
// Gives the open file a last-write time later than any given before.
void stampWritten(int fd);

}  // namespace files
}  // namespace sim
