#include "adapters/profile_file.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/later_windows.h"

namespace ProfileFile {

bool quoteKey(const char* word, char* quotedKey, size_t capacity) {
    if (capacity == 0) return false;
    quotedKey[0] = '\0';
    if (BoundedText::append(quotedKey, capacity, "\"") && BoundedText::append(quotedKey, capacity, word) &&
        BoundedText::append(quotedKey, capacity, "\"")) {
        return true;
    }
    quotedKey[0] = '\0';  // a cut key would name another record
    return false;
}

int readInt(const char* quotedKey, const char* path) {
    return static_cast<int>(GetPrivateProfileIntA(SECTION_NAME, quotedKey, ABSENT, path));
}

bool writeInt(const char* quotedKey, int value, const char* path) {
    char text[16] = "";
    BoundedText::appendInt(text, sizeof text, value);
    return WritePrivateProfileStringA(SECTION_NAME, quotedKey, text, path) != FALSE;
}

bool erase(const char* quotedKey, const char* path) {
    return WritePrivateProfileStringA(SECTION_NAME, quotedKey, nullptr, path) != FALSE;
}

void flush(const char* path) {
    // All NULL: "flushes the cache" (WritePrivateProfileString's reference); it answers 0
    // on systems without one.
    if (path[0] != '\0' && LaterWindows::windows9x()) WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
}

bool sameKey(const char* a, const char* b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (folded(a[i]) != folded(b[i])) return false;
    }
    return true;
}

}  // namespace ProfileFile
