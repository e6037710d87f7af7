// The platform's two conversion functions over the simulated code pages: the ANSI code
// page (Windows-1252, code_page.h) and UTF-8. A count of -1 takes the text up to and with its zero; a
// buffer size of 0 asks how much is needed.
#include <windows.h>

#include <string>

#include "code_page.h"

namespace {

// Copies `units` (with its zero when `withZero`) into a buffer of `capacity` units;
// the count written or needed, or 0 with ERROR_INSUFFICIENT_BUFFER.
template <typename Unit, typename Text>
int deliver(const Text& converted, bool withZero, Unit* out, int capacity) {
    size_t needed = converted.size() + (withZero ? 1 : 0);
    if (capacity == 0) return static_cast<int>(needed);
    if (out == nullptr || static_cast<size_t>(capacity) < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (size_t i = 0; i < converted.size(); ++i) out[i] = static_cast<Unit>(converted[i]);
    if (withZero) out[converted.size()] = 0;
    return static_cast<int>(needed);
}

}  // namespace

extern "C" {

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar) {
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cchWideChar < 0 || (CodePage != CP_ACP && CodePage != CP_UTF8)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    bool withZero = cbMultiByte < 0;
    std::string bytes = withZero ? std::string(lpMultiByteStr) : std::string(lpMultiByteStr, static_cast<size_t>(cbMultiByte));
    std::wstring wide;
    if (CodePage == CP_UTF8) {
        // The strict reading: any malformed byte fails the call. U+FFFD written out in
        // the text itself is well-formed.
        if ((dwFlags & MB_ERR_INVALID_CHARS) && sim::codepage::wellFormedUtf8(bytes) != bytes) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
        wide = sim::codepage::utf8ToWide(bytes);
    } else {
        wide = sim::codepage::widenAnsi(std::string_view(bytes));
    }
    return deliver(wide, withZero, lpWideCharStr, cchWideChar);
}

int WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar, LPSTR lpMultiByteStr,
                        int cbMultiByte, LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar) {
    bool utf8 = CodePage == CP_UTF8;
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cbMultiByte < 0 || (!utf8 && CodePage != CP_ACP) ||
        (utf8 && (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    bool withZero = cchWideChar < 0;
    std::wstring wide = withZero ? std::wstring(lpWideCharStr) : std::wstring(lpWideCharStr, static_cast<size_t>(cchWideChar));
    std::string bytes;
    if (utf8) {
        bytes = sim::codepage::wideToUtf8(wide.c_str());
    } else {
        bool usedDefault = false;
        char fallback = lpDefaultChar != nullptr ? lpDefaultChar[0] : sim::codepage::UNMAPPABLE;
        for (size_t i = 0; i < wide.size(); ++i) {
            // A surrogate pair is one character; a lone surrogate is one of its own.
            bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                        wide[i + 1] <= 0xDFFF;
            bool lost = false;
            std::string byte = sim::codepage::narrowToAnsi(std::wstring_view(wide).substr(i, pair ? 2 : 1), &lost);
            if (pair) ++i;
            usedDefault = usedDefault || lost;
            bytes.push_back(lost ? fallback : byte[0]);
        }
        if (lpUsedDefaultChar != nullptr) *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return deliver(bytes, withZero, lpMultiByteStr, cbMultiByte);
}

}  // extern "C"
