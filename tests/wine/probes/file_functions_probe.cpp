// Prints what the real file functions answer (result and last error) in the cases the
// simulated ones copy: dispositions, folders, missing paths, renames onto existing
// files, handles that hold a file, path lengths around the limit. See run_probes.sh.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#define SHOW(label, expr)                                                                 \
    do {                                                                                  \
        SetLastError(0);                                                                  \
        long long value_ = (long long)(expr);                                             \
        DWORD error_ = GetLastError();                                                    \
        printf("%-44s -> %lld, error %lu\n", label, value_, (unsigned long)error_);       \
    } while (0)

static void make(const char* path, const char* bytes) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes, (DWORD)strlen(bytes), &written, nullptr);
    CloseHandle(file);
}

int main() {
    CreateDirectoryA("C:\\loudmark-file-probe", nullptr);
    CreateDirectoryA("C:\\loudmark-file-probe\\dir", nullptr);
    make("C:\\loudmark-file-probe\\a", "aa");
    make("C:\\loudmark-file-probe\\b", "bbb");
    SHOW("open dir, no access", CreateFileA("C:\\loudmark-file-probe\\dir", 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr) != INVALID_HANDLE_VALUE);
    SHOW("open missing", CreateFileA("C:\\loudmark-file-probe\\zz", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr) != INVALID_HANDLE_VALUE);
    SHOW("open in missing folder", CreateFileA("C:\\nofolder\\zz", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr) != INVALID_HANDLE_VALUE);
    SHOW("create_new on existing", CreateFileA("C:\\loudmark-file-probe\\a", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr) != INVALID_HANDLE_VALUE);
    SHOW("delete missing", DeleteFileA("C:\\loudmark-file-probe\\zz"));
    SHOW("delete dir", DeleteFileA("C:\\loudmark-file-probe\\dir"));
    SHOW("MoveFileA onto existing", MoveFileA("C:\\loudmark-file-probe\\a", "C:\\loudmark-file-probe\\b"));
    SHOW("MoveFileExA replace onto dir", MoveFileExA("C:\\loudmark-file-probe\\a", "C:\\loudmark-file-probe\\dir", MOVEFILE_REPLACE_EXISTING));
    HANDLE reader = CreateFileA("C:\\loudmark-file-probe\\b", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SHOW("delete while held (share read)", DeleteFileA("C:\\loudmark-file-probe\\b"));
    SHOW("replace while target held", MoveFileExA("C:\\loudmark-file-probe\\a", "C:\\loudmark-file-probe\\b", MOVEFILE_REPLACE_EXISTING));
    SHOW("open for writing while held", CreateFileA("C:\\loudmark-file-probe\\b", GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr) != INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    SHOW("MoveFileExA replace", MoveFileExA("C:\\loudmark-file-probe\\a", "C:\\loudmark-file-probe\\b", MOVEFILE_REPLACE_EXISTING));
    for (int length = 258; length <= 262; ++length) {
        std::string path = "C:\\loudmark-file-probe\\";
        path.append(length - path.size(), 'w');
        char label[64];
        snprintf(label, sizeof label, "create, %d characters", length);
        HANDLE file = INVALID_HANDLE_VALUE;
        SHOW(label, (file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)) !=
                        INVALID_HANDLE_VALUE);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        DeleteFileA(path.c_str());
        // (Wine keeps the last profile file it used: a path cut to the limit can hit it.)
        snprintf(label, sizeof label, "profile write, %d characters", length);
        SHOW(label, WritePrivateProfileStringA("s", "k", "1", path.c_str()));
        DeleteFileA(path.c_str());
    }
    return 0;
}
