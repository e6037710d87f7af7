// Listing a folder: FindFirstFileW / FindNextFileW / FindClose over the Linux folder that
// stands for it, as NTFS lists one: "." and ".." first (except at a drive's root), then
// the entries by name, regardless of case. A pattern's last part may hold '*' and '?'.
// What each entry reports is what GetFileAttributesExA reports for it: a link is a
// reparse point with its own size.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "code_page.h"
#include "core_internal.h"
#include "files_internal.h"
#include "sim/platform.h"
#include "sim_internal.h"

namespace sim {
namespace listing {

namespace {

struct Listing {
    std::vector<WIN32_FIND_DATAW> entries;
    size_t next = 0;
};

std::map<HANDLE, Listing> listings;
std::set<std::string> refusedFolders;  // lower-cased Linux paths
uintptr_t nextHandle = 0x7B000000;

bool matches(const std::wstring& pattern, size_t p, const std::wstring& name, size_t n) {
    while (p < pattern.size()) {
        WCHAR c = pattern[p];
        if (c == L'*') {
            for (size_t rest = n; rest <= name.size(); ++rest) {
                if (matches(pattern, p + 1, name, rest)) return true;
            }
            return false;
        }
        if (n >= name.size()) return false;
        auto lower = [](WCHAR w) { return w >= L'A' && w <= L'Z' ? static_cast<WCHAR>(w - L'A' + L'a') : w; };
        if (c != L'?' && lower(c) != lower(name[n])) return false;
        ++p;
        ++n;
    }
    return n == name.size();
}

// "*.*" names everything, as it does on the platform.
bool nameMatches(const std::wstring& pattern, const std::wstring& name) {
    return pattern == L"*.*" || matches(pattern, 0, name, 0);
}

bool refused(const std::string& linuxFolder) {
    std::string key = core::lowerCase(linuxFolder);
    for (const std::string& folder : refusedFolders) {
        if (core::atOrBelow(key, folder, '/')) return true;
    }
    return false;
}

WIN32_FIND_DATAW entryFor(const std::wstring& name, const struct stat& st, const std::string& onDisk) {
    WIN32_FILE_ATTRIBUTE_DATA described = files::describeEntry(st, onDisk);
    WIN32_FIND_DATAW data = {};
    data.dwFileAttributes = described.dwFileAttributes;
    data.ftCreationTime = described.ftCreationTime;
    data.ftLastAccessTime = described.ftLastAccessTime;
    data.ftLastWriteTime = described.ftLastWriteTime;
    data.nFileSizeHigh = described.nFileSizeHigh;
    data.nFileSizeLow = described.nFileSizeLow;
    size_t count = std::min(name.size(), static_cast<size_t>(MAX_PATH - 1));
    for (size_t i = 0; i < count; ++i) data.cFileName[i] = name[i];
    data.cFileName[count] = 0;
    return data;
}

std::wstring lowered(const WCHAR* name) {
    std::wstring out(name);
    for (WCHAR& c : out) {
        if (c >= L'A' && c <= L'Z') c = static_cast<WCHAR>(c - L'A' + L'a');
    }
    return out;
}

}  // namespace

void reset() {
    listings.clear();
    refusedFolders.clear();
}

}  // namespace listing

namespace detail {
void resetFolderListings() { listing::reset(); }
}  // namespace detail

void refuseListing(const std::string& windowsFolder) {
    std::string folder = linuxPath(windowsFolder);
    if (!folder.empty()) listing::refusedFolders.insert(core::lowerCase(folder));
}

}  // namespace sim

extern "C" {

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    using namespace sim;
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::wstring whole(lpFileName);
    size_t separator = whole.find_last_of(L"\\/");
    std::wstring pattern = separator == std::wstring::npos ? whole : whole.substr(separator + 1);
    std::wstring folderPart = separator == std::wstring::npos ? L"." : whole.substr(0, separator + 1);
    std::string folderUtf8 = codepage::wideToUtf8(folderPart.c_str());
    files::Resolved folder = files::resolve(folderUtf8.c_str(), folderPart.size());
    if (!folder.ok || pattern.empty()) {
        SetLastError(!folder.ok ? folder.error : static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        return INVALID_HANDLE_VALUE;
    }
    if (!files::isDirectory(folder.onDisk)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DIR* dir = listing::refused(folder.onDisk) ? nullptr : opendir(folder.onDisk.c_str());
    if (dir == nullptr) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    std::wstring folderName = folderPart;
    while (!folderName.empty() && (folderName.back() == L'\\' || folderName.back() == L'/')) folderName.pop_back();
    bool atDriveRoot = folderName.size() == 2 && folderName[1] == L':';
    std::vector<WIN32_FIND_DATAW> found;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        std::wstring wideName = codepage::utf8ToWide(name);
        if (!listing::nameMatches(pattern, wideName)) continue;
        std::string onDisk = folder.onDisk + "/" + name;
        struct stat st;
        if (lstat(onDisk.c_str(), &st) != 0) continue;
        bool dots = name == "." || name == "..";
        if (dots && atDriveRoot) continue;  // a drive's root has no "." or ".."
        found.push_back(listing::entryFor(wideName, st, onDisk));
    }
    closedir(dir);
    std::sort(found.begin(), found.end(), [](const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
        return listing::lowered(a.cFileName) < listing::lowered(b.cFileName);
    });
    if (found.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = reinterpret_cast<HANDLE>(listing::nextHandle);
    listing::nextHandle += 4;
    listing::Listing& kept = listing::listings[handle];
    kept.entries = std::move(found);
    *lpFindFileData = kept.entries[0];
    kept.next = 1;
    SetLastError(ERROR_SUCCESS);
    return handle;
}

// FINDEX_INFO_LEVELS's reference: FindExInfoBasic "does not query the short file name"
// and leaves cAlternateFileName empty; it, and FindFirstFileEx's FIND_FIRST_EX_LARGE_FETCH,
// are "not supported until Windows Server 2008 R2 and Windows 7": earlier systems refuse
// the call (ERROR_INVALID_PARAMETER). Later entries of a basic listing keep their short
// names here; no caller reads them.
HANDLE FindFirstFileExW(LPCWSTR lpFileName, FINDEX_INFO_LEVELS fInfoLevelId, LPVOID lpFindFileData,
                        FINDEX_SEARCH_OPS fSearchOp, LPVOID lpSearchFilter, DWORD dwAdditionalFlags) {
    bool sevenOnly = fInfoLevelId == FindExInfoBasic || (dwAdditionalFlags & FIND_FIRST_EX_LARGE_FETCH) != 0;
    if (fInfoLevelId >= FindExInfoMaxInfoLevel || fSearchOp != FindExSearchNameMatch || lpSearchFilter != nullptr ||
        (sevenOnly && sim::core::sectionListingsCut())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto* data = static_cast<LPWIN32_FIND_DATAW>(lpFindFileData);
    HANDLE find = FindFirstFileW(lpFileName, data);
    if (find != INVALID_HANDLE_VALUE && fInfoLevelId == FindExInfoBasic) data->cAlternateFileName[0] = 0;
    return find;
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    auto it = sim::listing::listings.find(hFindFile);
    if (it == sim::listing::listings.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (it->second.next >= it->second.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *lpFindFileData = it->second.entries[it->second.next++];
    return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
    if (sim::listing::listings.erase(hFindFile) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
