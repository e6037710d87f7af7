#include "tool/file_bytes.h"

namespace FileBytes {

bool read(const char* path, DWORD largest, std::vector<char>* bytes) {
    // Shared for writing too: the player may hold its own playlist open.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
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

size_t byteOrderMark(const std::vector<char>& bytes) {
    return bytes.size() >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF' ? 3 : 0;
}

}  // namespace FileBytes
