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
    // Room for `count` more bytes at the end, growing as append does, for the caller to
    // write into and then count in `length`; null (and `failed`) when memory ran out.
    char* room(size_t count);
    // Room for about `count` bytes in all, taken now if it can be had, so that a buffer
    // bound to grow large is made once (under Wine every page touched afresh costs a
    // fault, and each doubling touches the whole buffer again); nothing lost when not.
    void expect(size_t count);
    void release();
};
