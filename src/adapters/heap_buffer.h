// Bytes that grow on the process heap, doubling as they go: the whole rebuild file of a
// maintenance pass, or every path of its songs. Once an allocation fails the buffer
// keeps `failed` and takes nothing more, so a caller checks once, at the end.
#pragma once

#include <stddef.h>

struct HeapBuffer {
    char* bytes = nullptr;
    size_t length = 0;
    size_t capacity = 0;
    bool failed = false;

    // `count` bytes of `text` at the end; false (and `failed`) when memory ran out.
    bool append(const char* text, size_t count);
    // Room for `count` bytes in all, taken at once; false (and `failed`) when there is none.
    bool reserve(size_t count);
    void release();
};
