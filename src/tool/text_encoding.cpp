#include "tool/text_encoding.h"

namespace TextEncoding {

namespace {

int capped(size_t capacity) { return capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(capacity); }

bool same(const WCHAR* a, const WCHAR* b) {
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

}  // namespace

bool ansiToWide(const char* ansi, WCHAR* wide, size_t capacity) {
    if (capacity == 0) return false;
    wide[0] = 0;
    if (ansi[0] == '\0') return true;
    return MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, capped(capacity)) > 0;
}

bool utf8ToWide(const char* utf8, size_t length, WCHAR* wide, size_t capacity) {
    if (capacity == 0) return false;
    wide[0] = 0;
    if (length == 0) return true;
    if (length > 0x7FFFFFFF) return false;
    int written = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, static_cast<int>(length), wide,
                                      capped(capacity - 1));
    if (written <= 0) return false;
    wide[written] = 0;
    return true;
}

bool wideToAnsi(const WCHAR* wide, char* ansi, size_t capacity, bool* lossy) {
    *lossy = false;
    if (capacity == 0) return false;
    ansi[0] = '\0';
    if (wide[0] == 0) return true;
    BOOL usedDefault = FALSE;
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, capped(capacity), nullptr, &usedDefault) <= 0) return false;
    // A best-fit letter ("a" for an "a" with a macron) names no file either.
    WCHAR back[MAX_PATH * 2];
    *lossy = usedDefault != FALSE || !ansiToWide(ansi, back, sizeof back / sizeof back[0]) || !same(back, wide);
    return true;
}

bool playerPath(const WCHAR* wide, char* ansi, size_t capacity, bool* lossy) {
    if (!wideToAnsi(wide, ansi, capacity, lossy)) return false;
    if (!*lossy) return true;
    WCHAR shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(wide, shortPath, MAX_PATH);
    bool shortLossy = false;
    if (length == 0 || length >= MAX_PATH) return true;  // no short name: the stand-ins it is
    return wideToAnsi(shortPath, ansi, capacity, &shortLossy);
}

}  // namespace TextEncoding
