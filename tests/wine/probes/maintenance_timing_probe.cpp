// Times the maintenance pass under the real platform: a window answers the playlist
// requests as the host does, over songs that run_maintenance_timing.sh lays out, against
// a database with a record for each.
// A measurement for scripts/bench.sh, not a check: nothing compares its numbers.
// Usage: maintenance_timing_probe.exe <songs> [literal | sizes | section]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "adapters/bounded_text.h"
#include "adapters/host_link.h"
#include "adapters/settings_store.h"
#include "memory/database_maintenance.h"
#include "memory/database_maintenance_literal.h"
#include "memory/database_maintenance_size.h"

namespace {

std::vector<std::string> playlist;

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER && lParam == 124) return static_cast<LRESULT>(playlist.size());
    if (message == WM_USER && lParam == 211) {
        return wParam < playlist.size() ? reinterpret_cast<LRESULT>(playlist[wParam].c_str()) : 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string readAll(const char* path) {
    std::string bytes;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void writeAll(const char* path, const std::string& bytes) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int main(int argc, char** argv) {
    int songs = argc > 1 ? atoi(argv[1]) : 1000;
    std::string mode = argc > 2 ? argv[2] : "fast";
    bool literal = mode == "literal";
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = hostProcedure;
    windowClass.lpszClassName = "LoudmarkProbeHost";
    RegisterClassA(&windowClass);
    HWND host = CreateWindowA("LoudmarkProbeHost", "host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    HostLink::attach(host);
    if (host == nullptr) {
        printf("no window: %lu\n", GetLastError());
        return 1;
    }

    // The layout of run_maintenance_timing.sh: folder i/1000, "Track <i>.mp3", 100 + i % 400 bytes.
    std::string database = "[Tamsel Loudmark]\r\n";
    for (int i = 0; i < songs; ++i) {
        std::string name = "Track " + std::to_string(i) + ".mp3";
        playlist.push_back("C:\\loudmark-library\\" + std::to_string(i / 1000) + "\\" + name);
        int stored = (i * 7919) % 510;
        if (stored >= 255) ++stored;
        database += "\"" + name + "[" + std::to_string(100 + i % 400) + "]\"=" + std::to_string(stored) + "\r\n";
    }
    BoundedText::copy(SettingsStore::databasePath, MAX_PATH, "C:\\loudmark-library\\volume.ini");
    writeAll(SettingsStore::databasePath, database);

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (mode == "sizes" || mode == "section") {
        // One part of the pass alone: the size queries, or the one read of the section.
        long long total = 0;
        if (mode == "sizes") {
            for (const std::string& path : playlist) total += DatabaseMaintenance::quickFileSize(path.c_str());
        } else {
            std::vector<char> buffer(database.size() + 16);
            total = GetPrivateProfileSectionA("Tamsel Loudmark", buffer.data(), static_cast<DWORD>(buffer.size()),
                                              SettingsStore::databasePath);
        }
        QueryPerformanceCounter(&end);
        printf("%s alone, %d songs: %.3f s (%lld)\n", mode.c_str(), songs,
               static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart), total);
        return 0;
    }
    if (literal) {
        DatabaseMaintenance::rebuildLiteral(false);
    } else {
        DatabaseMaintenance::clean();
    }
    QueryPerformanceCounter(&end);
    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    bool same = readAll(SettingsStore::databasePath) == database;
    printf("%s pass, %d songs: %.3f s (%.1f us a song), database %s\n", literal ? "literal" : "fast", songs, seconds,
           seconds * 1e6 / songs, same ? "rebuilt identical" : "DIFFERENT");
    return same ? 0 : 1;
}
