// A measurement, not a test: the dialog's Clean as a listener runs it, on a 5.9 host whose
// playlist of a whole library is answered through the plug-in's hook, timed from the
// click to the "Done" box; and in the same run its floor, what no pass over that library
// can do without: every song's attributes asked on two threads, every path asked of the
// host, the database read whole and the new one written whole. bench/wine/dialog_clean.sh
// lays the library out and names it in LOUDMARK_BENCH_LIBRARY (a folder holding
// playlist.txt, one path a line, volume.ini and the expected.ini Clean must leave).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../common/config_dialog_controls.h"
#include "host_files.h"
#include "host_player.h"
#include "message_box_watcher.h"
#include "profile_scenarios.h"
#include "scenario_kit.h"

namespace ProfileScenarios {

namespace {

using namespace ScenarioKit;

constexpr int DEFAULT_RUNS = 5;

LONGLONG counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double msBetween(LONGLONG from, LONGLONG to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string environment(const char* name) {
    char value[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? value : "";
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        from = end + 1;
    }
    return lines;
}

// ---------------------------------------------------------------------------
// The floor, part by part

struct Half {
    const std::vector<std::string>* paths;
    size_t begin;
    size_t end;
    long long bytes;
};

DWORD WINAPI attributesOf(LPVOID parameter) {
    Half* half = static_cast<Half*>(parameter);
    WIN32_FILE_ATTRIBUTE_DATA data;
    for (size_t i = half->begin; i < half->end; ++i) {
        if (GetFileAttributesExA((*half->paths)[i].c_str(), GetFileExInfoStandard, &data)) half->bytes += data.nFileSizeLow;
    }
    return 0;
}

// Every song's attributes, the second half on a thread of its own.
double attributesOnTwoThreads(const std::vector<std::string>& paths) {
    Half halves[2] = {{&paths, 0, paths.size() / 2, 0}, {&paths, paths.size() / 2, paths.size(), 0}};
    LONGLONG start = counter();
    DWORD id = 0;
    HANDLE second = CreateThread(nullptr, 0, attributesOf, &halves[1], 0, &id);
    attributesOf(&halves[0]);
    if (second != nullptr) {
        WaitForSingleObject(second, INFINITE);
        CloseHandle(second);
    } else {
        attributesOf(&halves[1]);
    }
    return msBetween(start, counter());
}

// Every path asked of the host, through whatever procedures sit on its window, and copied.
double hostAnswers(size_t songs) {
    char path[MAX_PATH];
    LONGLONG start = counter();
    for (size_t i = 0; i < songs; ++i) {
        LRESULT answer = SendMessageA(HostPlayer::window(), WM_USER, i, HostProtocol::IPC_GETPLAYLISTFILE);
        if (answer != 0) lstrcpynA(path, reinterpret_cast<const char*>(answer), sizeof path);
    }
    return msBetween(start, counter());
}

// The database read whole, and a file of the new one's bytes written whole and flushed.
double readAndWrite(const std::string& database, const std::string& scratch, const std::string& newBytes) {
    LONGLONG start = counter();
    std::string bytes = HostFiles::read(database);
    HANDLE file = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, newBytes.data(), static_cast<DWORD>(newBytes.size()), &written, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
    double ms = msBetween(start, counter());
    DeleteFileA(scratch.c_str());
    return bytes.empty() ? -1.0 : ms;
}

// ---------------------------------------------------------------------------
// The pass, as the listener runs it

// The listener's clicks come from a timer in the dialog's own loop, and the box that ends
// the pass is read by the watcher's CBT hook, which the platform calls only as windows
// come and go: a hook on every sent message (as the dialog driver has) would cost each
// of the pass's 100,000 requests to the host a round trip to the Wine server.
HWND listenerDialog = nullptr;
bool cleanClicked = false;
LONGLONG clickedAt = 0;

void CALLBACK listenerStep(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowA("#32770", "Configure Loudmark");
    if (dialog == nullptr) return;
    listenerDialog = dialog;
    if (!cleanClicked) {
        cleanClicked = true;
        clickedAt = counter();
        PostMessageA(GetDlgItem(dialog, ConfigDialogTable::CLEAN), BM_CLICK, 0, 0);
        return;
    }
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

// From the click on Clean to the box that ends it; -1 when that was not "Done".
double cleanInTheDialog(PluginRecordView* record) {
    listenerDialog = nullptr;
    cleanClicked = false;
    MessageBoxWatcher::clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 100, listenerStep);
    record->config();
    KillTimer(nullptr, timer);
    const auto& boxes = MessageBoxWatcher::boxes();
    if (listenerDialog == nullptr || boxes.size() != 1 || boxes[0].caption != "Done") return -1.0;
    return msBetween(clickedAt, boxes[0].at);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

}  // namespace

void cleanPassTiming() {
    scenario("The dialog's Clean over a whole library on a 5.9 host, against its floor in the same run");
    const std::string library = environment("LOUDMARK_BENCH_LIBRARY");
    const int runs = std::max(1, std::atoi(environment("LOUDMARK_BENCH_RUNS").c_str()));
    const std::vector<std::string> paths = linesOf(HostFiles::read(library + "\\playlist.txt"));
    const std::string before = HostFiles::read(library + "\\volume.ini");
    const std::string expected = HostFiles::read(library + "\\expected.ini");
    check(!paths.empty() && !before.empty() && !expected.empty(), "the library named by LOUDMARK_BENCH_LIBRARY is there");
    if (paths.empty() || before.empty() || expected.empty()) return;

    std::vector<HostPlayer::Entry> playlist;
    playlist.reserve(paths.size());
    for (const std::string& path : paths) playlist.emplace_back(path, 240000);
    freshPlayer(playlist, false);
    const std::string folder = pluginFolder("clean-bench");
    const std::string database = folder + "\\volume.ini";
    HostFiles::write(database, before);
    Plugin plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return;
    plugin.record->init();

    size_t longest = 0;
    for (const std::string& path : paths) longest = std::max(longest, path.size());
    std::printf("  %zu songs, paths up to %zu characters; database %zu bytes, %zu after Clean%s\n", paths.size(),
                longest, before.size(), expected.size(), runs > 1 ? "; the first run warms the caches" : "");
    std::printf("  %4s %10s %10s %10s %10s %10s %7s\n", "run", "Clean", "floor", "attributes", "answers", "file",
                "ratio");
    std::vector<double> passes, floors, ratios;
    bool allIdentical = true;
    for (int run = 1; run <= runs; ++run) {
        HostFiles::write(database, before);
        double attributes = attributesOnTwoThreads(paths);
        double answers = hostAnswers(paths.size());
        double file = readAndWrite(database, folder + "\\floor.tmp", expected);
        HostPlayer::clearReceived();
        double pass = cleanInTheDialog(plugin.record);
        allIdentical = allIdentical && HostFiles::read(database) == expected;
        HostPlayer::clearReceived();
        double floor = attributes + answers + file;
        std::printf("  %4d %8.0f ms %7.0f ms %7.0f ms %7.0f ms %7.0f ms %7.2f\n", run, pass, floor, attributes, answers,
                    file, pass / floor);
        std::fflush(stdout);
        if (pass < 0) break;
        if (run == 1 && runs > 1) continue;
        passes.push_back(pass);
        floors.push_back(floor);
        ratios.push_back(pass / floor);
    }
    check(allIdentical, "every Clean said \"Done\" and left the database expected");
    if (!ratios.empty()) {
        std::printf("  median: Clean %.0f ms, floor %.0f ms; Clean / floor %.2f (%.2f to %.2f)\n", median(passes),
                    median(floors), median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()));
    }
    quitAndUnload(plugin);
}

}  // namespace ProfileScenarios
