// What the C runtime would otherwise give the DLL: the few memory and string routines
// the compiler calls on its own (for a struct copy, say). Linking msvcrt.dll for them
// would keep the module from loading on a Windows 95 without it, and its start-up code
// brings nothing we use: the module has no constructors to run and starts at DllMain.
// Built with the compiler's own loop-to-call rewriting off, so that none of these turns
// into a call to itself.
#include <stddef.h>

extern "C" {

void* memcpy(void* destination, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    for (size_t i = 0; i < count; ++i) to[i] = from[i];
    return destination;
}

void* memmove(void* destination, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    if (to < from) {
        for (size_t i = 0; i < count; ++i) to[i] = from[i];
    } else {
        for (size_t i = count; i > 0; --i) to[i - 1] = from[i - 1];
    }
    return destination;
}

void* memset(void* destination, int value, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    for (size_t i = 0; i < count; ++i) to[i] = static_cast<unsigned char>(value);
    return destination;
}

int memcmp(const void* a, const void* b, size_t count) {
    const unsigned char* p = static_cast<const unsigned char*>(a);
    const unsigned char* q = static_cast<const unsigned char*>(b);
    for (size_t i = 0; i < count; ++i) {
        if (p[i] != q[i]) return p[i] < q[i] ? -1 : 1;
    }
    return 0;
}

size_t strlen(const char* text) {
    size_t length = 0;
    while (text[length] != '\0') ++length;
    return length;
}

}  // extern "C"
