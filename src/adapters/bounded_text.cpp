#include "adapters/bounded_text.h"

namespace BoundedText {

size_t length(const char* text, size_t limit) {
    size_t n = 0;
    while (n < limit && text[n] != '\0') ++n;
    return n;
}

bool append(char* dest, size_t capacity, const char* source) {
    if (capacity == 0) return false;
    size_t used = length(dest, capacity - 1);
    while (*source != '\0') {
        if (used + 1 >= capacity) {
            dest[used] = '\0';
            return false;
        }
        dest[used++] = *source++;
    }
    dest[used] = '\0';
    return true;
}

bool copy(char* dest, size_t capacity, const char* source) {
    if (capacity == 0) return false;
    dest[0] = '\0';
    return append(dest, capacity, source);
}

bool appendInt(char* dest, size_t capacity, int value) {
    // Digits are produced from the unsigned magnitude so that INT_MIN prints too.
    char digits[12];
    size_t count = 0;
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    char text[13];
    size_t n = 0;
    if (value < 0) text[n++] = '-';
    while (count > 0) text[n++] = digits[--count];
    text[n] = '\0';
    return append(dest, capacity, text);
}

bool join(char* dest, size_t capacity, const char* first, const char* second) {
    if (copy(dest, capacity, first) && append(dest, capacity, second)) return true;
    if (capacity > 0) dest[0] = '\0';
    return false;
}

const char* afterLastBackslash(const char* path) {
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\') name = p + 1;
    }
    return name;
}

bool sameFolded(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (folded(*a) != folded(*b)) return false;
        if (*a == '\0') return true;
    }
}

}  // namespace BoundedText
