// Text the ANSI code page cannot hold, on the 5.9 host: its Unicode window's title through
// our hook, and song names that reach ANSI callers as their short names.
#include <windows.h>

#include "host_files.h"
#include "host_player.h"
#include "message_pump.h"
#include "profile_scenarios.h"
#include "scenario_kit.h"

namespace ProfileScenarios {

namespace {

using namespace ScenarioKit;

std::wstring windowTitle() {
    WCHAR title[256] = L"";
    GetWindowTextW(HostPlayer::window(), title, 256);
    return title;
}

// Two names of one length that differ only in letters the code page lacks; a code page
// that holds one script is tried with the next.
bool twoNamesTheCodePageMerges(std::wstring* first, std::wstring* second) {
    const wchar_t* const CANDIDATES[][2] = {
        {L"привет.mp3", L"мирный.mp3"},
        {L"γειάσου.mp3", L"καλημέρ.mp3"},
        {L"สวัสดี.mp3", L"ขอบคุณ.mp3"},
    };
    for (const auto& pair : CANDIDATES) {
        std::string a = HostPlayer::asAnsi(pair[0]);
        if (a == HostPlayer::asAnsi(pair[1]) && a.find('?') != std::string::npos) {
            *first = pair[0];
            *second = pair[1];
            return true;
        }
    }
    return false;
}

std::string nameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

}  // namespace

void titleOutsideCodePage() {
    scenarioOnHost("a title outside the code page passes through our hook intact");
    freshPlayer({}, false);
    Plugin plugin = loadPlugin(pluginFolder("title-5.9"));
    if (plugin.record == nullptr) return;
    plugin.record->init();
    HWND host = HostPlayer::window();
    check(IsWindowUnicode(host) != FALSE, "with our procedure on it the host's window is still a Unicode window");

    const std::wstring title = L"Пётр Ильич Чайковский — 交響曲第6番";
    SetWindowTextW(host, title.c_str());
    check(windowTitle() == title, "a title set with SetWindowTextW comes back intact from GetWindowTextW");
    const std::wstring sent = L"Ωδή στη χαρά ♪";
    SendMessageW(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sent.c_str()));
    check(windowTitle() == sent, "as does one sent as WM_SETTEXT");
    checkEqual(HostPlayer::countMessages(WM_SETTEXT, 0), 2, "both reached the host's own procedure");

    quitAndUnload(plugin);
    check(GetWindowLongPtrW(host, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(HostPlayer::ownProcedure()),
          "quit gives the host its own Unicode procedure back");
}

void namesOutsideCodePage() {
    scenarioOnHost("two songs whose names the code page turns into the same '?' name keep their own records");
    std::wstring firstName, secondName;
    check(twoNamesTheCodePageMerges(&firstName, &secondName),
          "two names whose ANSI paths are the same and hold '?' (code page " + std::to_string(GetACP()) + ")");
    if (firstName.empty()) return;
    const int ms = shortSongMs();
    const std::wstring first = wideSong(firstName, 1000);
    const std::wstring second = wideSong(secondName, 2000);
    freshPlayer({{first, ms}, {second, ms}}, true);
    // The host hands each out by its short path, and the tracker keys it by that name.
    const std::string firstKey = nameOf(HostPlayer::asAnsi(first));
    const std::string secondKey = nameOf(HostPlayer::asAnsi(second));
    check(firstKey.find('?') == std::string::npos && firstKey != secondKey, "each has a short name of its own");
    const std::string folder = pluginFolder("names-5.9");
    Plugin plugin = loadPlugin(folder);
    if (plugin.record == nullptr) return;
    plugin.record->init();

    // The first turned down to 100, the second up to 170, then the list starts over.
    HostPlayer::play(0);
    check(waitForVolumesSet(1, 2000), "the first song is picked up");
    HostPlayer::setVolume(100);
    check(waitForVolumesSet(2, 2000), "then the second");
    HostPlayer::setVolume(170);
    check(waitForVolumesSet(3, 2000), "then the first again");
    checkEqual(HostFiles::read(folder + "\\volume.ini"),
               "[Tamsel Loudmark]\r\n\"" + firstKey + "[1000]\"=225\r\n\"" + secondKey + "[2000]\"=295\r\n",
               "each recorded under its name as the ANSI path gives it and its real size");
    if (HostPlayer::volumesSet().size() >= 3) {
        checkEqual(HostPlayer::volumesSet()[2], 100, "the first comes back at its own volume, not the second's");
    }
    quitAndUnload(plugin);
    HostPlayer::stop();
}

}  // namespace ProfileScenarios
