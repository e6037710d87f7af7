// A benchmark's yardstick, not a test: the least a program must do to walk a folder tree
// under the platform, FindFirstFileExW and FindNextFileW over every folder and nothing
// else (no sorting, no names kept), on one thread or on two that share the folders found
// below the top. bench/wine/tool_clean.sh times its whole process beside the tool's.
//
//   loudmark_bare_walk.exe <folder> [threads]     (1 or 2; default 1)
//
// Prints the files and folders it met, and how long the walk itself took.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Tally {
    long long files = 0;
    long long folders = 0;
};

bool isDots(const WCHAR* name) { return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)); }

// The entries of one folder: files counted, subfolders handed back.
void list(const std::wstring& folder, Tally* tally, std::vector<std::wstring>* subfolders) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return;
    ++tally->folders;
    do {
        if (isDots(data.cFileName)) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            subfolders->push_back(folder + L"\\" + data.cFileName);
        } else {
            ++tally->files;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

void walk(const std::wstring& folder, Tally* tally) {
    std::vector<std::wstring> subfolders;
    list(folder, tally, &subfolders);
    for (const std::wstring& sub : subfolders) walk(sub, tally);
}

struct Share {
    const std::vector<std::wstring>* folders;
    size_t from;  // every second one from here
    Tally tally;
};

DWORD WINAPI walkShare(LPVOID parameter) {
    Share* share = static_cast<Share*>(parameter);
    for (size_t i = share->from; i < share->folders->size(); i += 2) walk((*share->folders)[i], &share->tally);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    int threads = argc > 2 ? _wtoi(argv[2]) : 1;
    std::wstring top = argv[1];
    while (!top.empty() && top.back() == L'\\') top.pop_back();
    Tally tally;
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (threads < 2) {
        walk(top, &tally);
    } else {
        // Folders listed here, a level at a time, until there are enough to share; then
        // what lies below them is walked on two threads.
        std::vector<std::wstring> below = {top};
        for (int levels = 0; levels < 3 && !below.empty() && below.size() < 32; ++levels) {
            std::vector<std::wstring> next;
            for (const std::wstring& folder : below) list(folder, &tally, &next);
            below.swap(next);
        }
        Share shares[2] = {{&below, 0, {}}, {&below, 1, {}}};
        DWORD id = 0;
        HANDLE second = CreateThread(nullptr, 0, walkShare, &shares[1], 0, &id);
        walkShare(&shares[0]);
        if (second != nullptr) {
            WaitForSingleObject(second, INFINITE);
            CloseHandle(second);
        } else {
            walkShare(&shares[1]);
        }
        for (const Share& share : shares) {
            tally.files += share.tally.files;
            tally.folders += share.tally.folders;
        }
    }
    QueryPerformanceCounter(&end);
    std::printf("%lld files in %lld folders, %.0f ms\n", tally.files, tally.folders,
                static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart));
    return 0;
}
