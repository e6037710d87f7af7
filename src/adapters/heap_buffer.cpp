#include "adapters/heap_buffer.h"

#include <windows.h>

namespace {

constexpr size_t FIRST_CAPACITY = 64 * 1024;

}  // namespace

bool HeapBuffer::reserve(size_t count) {
    if (failed) return false;
    if (count <= capacity) return true;
    char* grown = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, count));
    if (grown == nullptr) {
        failed = true;
        return false;
    }
    for (size_t i = 0; i < length; ++i) grown[i] = bytes[i];
    if (bytes != nullptr) HeapFree(GetProcessHeap(), 0, bytes);
    bytes = grown;
    capacity = count;
    return true;
}

char* HeapBuffer::room(size_t count) {
    if (failed) return nullptr;
    if (length + count > capacity) {
        size_t wanted = capacity == 0 ? FIRST_CAPACITY : capacity;
        while (wanted < length + count) wanted *= 2;
        if (!reserve(wanted)) return nullptr;
    }
    return bytes + length;
}

void HeapBuffer::expect(size_t count) {
    if (failed || count <= capacity) return;
    HeapBuffer larger;
    if (!larger.reserve(count)) return;
    larger.append(bytes, length);
    release();
    *this = larger;
}

bool HeapBuffer::append(const char* text, size_t count) {
    char* into = room(count);
    if (into == nullptr) return false;
    for (size_t i = 0; i < count; ++i) into[i] = text[i];
    length += count;
    return true;
}

void HeapBuffer::release() {
    if (bytes != nullptr) HeapFree(GetProcessHeap(), 0, bytes);
    *this = HeapBuffer();
}
