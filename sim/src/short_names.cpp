// 8.3 short names, as a volume that keeps them hands them out: GetShortPathNameW, and
// through it the short paths a 5.x player gives ANSI callers for names its code page
// cannot hold (HOST-NOTES, "Short names").
//
// GetShortPathNameW's reference: every part of the path that has a short name is given
// in that form, the others as they are; the answer is the length without the zero, or,
// when the buffer is too small, the room needed with it; 0 for a path that is not there.
// Names are made as NTFS makes them ("Naming Files, Paths, and Namespaces", "Short vs.
// Long Names"): a name that is a valid 8.3 name already has none; any other gets the
// first six characters that may stand in a short name, upper case, '_' for any other
// character, "~N", and the first three of its extension. N counts the names of the folder
// that come to the same short form, in name order (NTFS counts them in the order they
// were made; a test takes whatever the platform answers, as under Wine, whose short
// names have a form of their own).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "code_page.h"
#include "files_internal.h"

namespace {

bool standsInShortName(WCHAR c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ||
           (c < 0x80 && c != 0 && std::strchr("$%'-_@~`!(){}^#&", static_cast<char>(c)) != nullptr);
}

WCHAR upper(WCHAR c) { return c >= L'a' && c <= L'z' ? static_cast<WCHAR>(c - L'a' + L'A') : c; }

bool isShortName(const std::wstring& name) {
    if (name == L"." || name == L"..") return true;
    size_t dot = name.find(L'.');
    std::wstring base = name.substr(0, dot);
    std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3 || extension.find(L'.') != std::wstring::npos) return false;
    if (dot != std::wstring::npos && extension.empty()) return false;
    return std::all_of(name.begin(), name.end(), [](WCHAR c) { return c == L'.' || standsInShortName(c); });
}

// Blanks and dots go; what may stand stays, upper case; anything else becomes '_'.
std::wstring shortPart(const std::wstring& part, size_t most) {
    std::wstring out;
    for (WCHAR c : part) {
        if (out.size() == most) break;
        if (c == L' ' || c == L'.') continue;
        out.push_back(standsInShortName(c) ? upper(c) : L'_');
    }
    return out;
}

struct Form {
    std::wstring base;  // six characters at most
    std::wstring extension;
    bool operator==(const Form& other) const { return base == other.base && extension == other.extension; }
};

Form formOf(const std::wstring& name) {
    size_t dot = name.rfind(L'.');
    bool hasExtension = dot != std::wstring::npos && dot > 0;
    return Form{shortPart(hasExtension ? name.substr(0, dot) : name, 6),
                hasExtension ? shortPart(name.substr(dot + 1), 3) : std::wstring()};
}

std::wstring lowered(std::wstring text) {
    for (WCHAR& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<WCHAR>(c - L'A' + L'a');
    }
    return text;
}

// The short name of `name`, which is in the Linux folder `folder`.
std::wstring shortNameIn(const std::string& folder, const std::wstring& name) {
    if (isShortName(name)) return name;
    Form form = formOf(name);
    std::vector<std::wstring> alike;
    if (DIR* dir = opendir(folder.c_str())) {
        while (struct dirent* entry = readdir(dir)) {
            std::wstring other = sim::codepage::utf8ToWide(entry->d_name);
            if (!isShortName(other) && formOf(other) == form) alike.push_back(lowered(other));
        }
        closedir(dir);
    }
    std::sort(alike.begin(), alike.end());
    size_t n = static_cast<size_t>(std::find(alike.begin(), alike.end(), lowered(name)) - alike.begin()) + 1;
    std::wstring tail = L"~" + std::to_wstring(n);
    std::wstring base = form.base.empty() ? L"_" : form.base;
    base = base.substr(0, std::min(base.size(), 8 - tail.size()));
    return base + tail + (form.extension.empty() ? L"" : L"." + form.extension);
}

bool isSeparator(WCHAR c) { return c == L'\\' || c == L'/'; }

}  // namespace

extern "C" {

DWORD GetShortPathNameW(LPCWSTR lpszLongPath, LPWSTR lpszShortPath, DWORD cchBuffer) {
    using namespace sim;
    if (lpszLongPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring path(lpszLongPath);
    // The root ("C:\", "\\server\share\" or "\") stays as it is.
    size_t start = 0;
    if (path.size() >= 2 && path[1] == L':') start = 2;
    while (start < path.size() && isSeparator(path[start])) ++start;
    std::wstring answer = path.substr(0, start);
    while (start < path.size()) {
        size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) ++end;
        std::wstring part = path.substr(start, end - start);
        std::wstring sofar = path.substr(0, end);
        files::Resolved entry = files::resolve(codepage::wideToUtf8(sofar.c_str()).c_str(), sofar.size());
        struct stat st;
        if (!entry.ok || lstat(entry.onDisk.c_str(), &st) != 0) {
            SetLastError(end < path.size() ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
            return 0;
        }
        answer += part.empty() || part == L"." || part == L".." ? part : shortNameIn(files::parentOf(entry.onDisk), part);
        answer += path.substr(end, end < path.size() ? 1 : 0);
        start = end + (end < path.size() ? 1 : 0);
    }
    if (lpszShortPath == nullptr || answer.size() + 1 > cchBuffer) return static_cast<DWORD>(answer.size() + 1);
    std::copy(answer.begin(), answer.end(), lpszShortPath);
    lpszShortPath[answer.size()] = 0;
    return static_cast<DWORD>(answer.size());
}

}  // extern "C"
