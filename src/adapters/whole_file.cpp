#include "adapters/whole_file.h"

#include <windows.h>

namespace WholeFile {

namespace {

// Far beyond any file of ours.
constexpr DWORD LARGEST_FILE = 0x40000000;
// Written in pieces no larger than this: one huge WriteFile can fail where pieces do not.
constexpr DWORD LARGEST_WRITE = 0x100000;

struct Handle {
    HANDLE handle;
    ~Handle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

}  // namespace

Read read(const char* path, HeapBuffer* bytes) {
    Handle file{CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Read::Missing : Read::Failed;
    }
    DWORD high = 0;
    DWORD size = GetFileSize(file.handle, &high);
    if (high != 0 || size >= LARGEST_FILE || !bytes->reserve(bytes->length + size + 1)) return Read::Failed;
    char* into = bytes->bytes + bytes->length;
    DWORD done = 0;
    DWORD got = 0;
    while (done < size && ReadFile(file.handle, into + done, size - done, &got, nullptr) && got > 0) done += got;
    // One byte more than the size: a file that grew meanwhile was not read whole.
    bool grew = ReadFile(file.handle, into + done, 1, &got, nullptr) && got > 0;
    if (done != size || grew) return Read::Failed;
    bytes->length += size;
    return Read::Whole;
}

bool write(const char* path, const char* bytes, size_t length) {
    Stream stream = create(path);
    put(&stream, bytes, length);
    return close(&stream);
}

Stream create(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return Stream{file, file != INVALID_HANDLE_VALUE};
}

void put(Stream* stream, const char* bytes, size_t length) {
    for (size_t done = 0; stream->whole && done < length;) {
        size_t left = length - done;
        DWORD piece = left > LARGEST_WRITE ? LARGEST_WRITE : static_cast<DWORD>(left);
        DWORD written = 0;
        stream->whole = WriteFile(stream->handle, bytes + done, piece, &written, nullptr) && written == piece;
        done += written;
    }
}

bool close(Stream* stream) {
    if (stream->handle == INVALID_HANDLE_VALUE) return false;
    bool whole = FlushFileBuffers(stream->handle) && stream->whole;
    whole = CloseHandle(stream->handle) && whole;
    *stream = Stream{INVALID_HANDLE_VALUE, false};
    return whole;
}

void abandon(Stream* stream) {
    if (stream->handle != INVALID_HANDLE_VALUE) CloseHandle(stream->handle);
    *stream = Stream{INVALID_HANDLE_VALUE, false};
}

}  // namespace WholeFile
