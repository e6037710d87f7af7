#include "tool/file_bytes.h"

namespace FileBytes {

HANDLE open(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE open(const WCHAR* path) {
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool readAll(HANDLE file, DWORD largest, std::vector<char>* bytes) {
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    bool ok = size != INVALID_FILE_SIZE && high == 0 && size <= largest;
    if (ok) {
        bytes->resize(size);
        DWORD got = 0;
        ok = size == 0 || (ReadFile(file, bytes->data(), size, &got, nullptr) && got == size);
    }
    CloseHandle(file);
    return ok;
}

bool read(const char* path, DWORD largest, std::vector<char>* bytes) {
    HANDLE file = open(path);
    return file != INVALID_HANDLE_VALUE && readAll(file, largest, bytes);
}

bool read(const WCHAR* path, DWORD largest, std::vector<char>* bytes) {
    HANDLE file = open(path);
    return file != INVALID_HANDLE_VALUE && readAll(file, largest, bytes);
}

size_t byteOrderMark(const std::vector<char>& bytes) {
    return bytes.size() >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF' ? 3 : 0;
}

}  // namespace FileBytes
