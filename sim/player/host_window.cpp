// The player's main window: its procedure logs every message, answers the host requests
// from the model, steps the volume on the two commands, and keeps the title and the
// characters typed at it. The 2.x host's procedure takes ANSI text, the 5.x host's wide.
#include <algorithm>
#include <cstring>

#include "player/player_model.h"
#include "sim/platform.h"
#include "src/code_page.h"

namespace sim {
namespace player {
namespace detail {

namespace {

template <typename Char>
LRESULT keepAnswer(const std::basic_string<Char>& text, std::unique_ptr<Char[]>* slot) {
    slot->reset(new Char[text.size() + 1]);
    std::memcpy(slot->get(), text.c_str(), (text.size() + 1) * sizeof(Char));
    return reinterpret_cast<LRESULT>(slot->get());
}

}  // namespace

// The ANSI answer is the path as the playlist holds it on a 2.x host, its ANSI form on 5.x.
LRESULT answerFile(WPARAM wParam, bool wide) {
    int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    if (!hasEntry(index)) return 0;
    const std::string& path = model.playlist[index].path;
    if (wide) return keepAnswer(codepage::utf8ToWide(path), &model.wideFileAnswer);
    return keepAnswer(model.modern ? ansiFormOf(path) : path, &model.fileAnswer);
}

namespace {

LRESULT answerRequest(WPARAM wParam, LPARAM code) {
    catchUp(sim::now());
    LRESULT modernAnswer = 0;
    if (model.modern && answerModernRequest(wParam, code, &modernAnswer)) return modernAnswer;
    switch (code) {
        case IPC_GETVERSION: return model.version;
        case IPC_ISPLAYING:
            return model.state == State::Playing ? 1 : model.state == State::Paused ? 3 : 0;
        case IPC_GETOUTPUTTIME:
            // As the real host: -1 for either question while nothing is playing.
            if (model.state == State::Stopped) return -1;
            if (wParam == 0) return currentPositionMs();
            if (wParam == 1) return reportedLengthSeconds();
            return -1;
        case IPC_SETVOLUME: {
            int requested = static_cast<int>(static_cast<INT_PTR>(wParam));
            if (requested == VOLUME_QUERY) return model.volume;
            model.volume = std::clamp(requested, 0, 255);
            return 0;
        }
        case IPC_GETLISTLENGTH:
            return model.reportedListLength != INT32_MIN ? model.reportedListLength
                                                         : static_cast<LRESULT>(model.playlist.size());
        case IPC_GETLISTPOS: return model.current;
        case IPC_GETPLAYLISTFILE: return answerFile(wParam, false);
        // 5.x ends its request handler with "return 1"; 2.x answers 0.
        default: return model.modern ? 1 : 0;
    }
}

LRESULT handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool wide) {
    model.log.push_back(Request{message, wParam, lParam, sim::now()});
    if (!(message == WM_USER && lParam == IPC_GETPLAYLISTFILE)) model.fileAnswer.reset();
    if (!(message == WM_USER && lParam == IPC_GETPLAYLISTFILEW)) model.wideFileAnswer.reset();
    switch (message) {
        case WM_USER: return answerRequest(wParam, lParam);
        case WM_COMMAND:
            if (LOWORD(wParam) == WINAMP_VOLUMEUP) {
                model.volume = std::min(255, model.volume + VOLUME_STEP);
                return 0;
            }
            if (LOWORD(wParam) == WINAMP_VOLUMEDOWN) {
                model.volume = std::max(0, model.volume - VOLUME_STEP);
                return 0;
            }
            break;
        case WM_SETTEXT:
            model.title = wide ? std::wstring(lParam ? reinterpret_cast<const WCHAR*>(lParam) : L"")
                               : codepage::widenAnsi(reinterpret_cast<const char*>(lParam));
            return TRUE;
        case WM_CHAR:
            model.typed.push_back(static_cast<WCHAR>(wide ? wParam : codepage::widenAnsiChar(wParam)));
            return 0;
        default: break;
    }
    return wide ? DefWindowProcW(hwnd, message, wParam, lParam) : DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK ansiProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return handle(hwnd, message, wParam, lParam, false);
}

LRESULT CALLBACK unicodeProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return handle(hwnd, message, wParam, lParam, true);
}

}  // namespace detail

const std::vector<Request>& requests() { return detail::model.log; }

std::vector<int> volumesSet() {
    std::vector<int> out;
    for (const Request& r : detail::model.log) {
        if (r.message != WM_USER || r.lParam != detail::IPC_SETVOLUME) continue;
        int value = static_cast<int>(static_cast<INT_PTR>(r.wParam));
        if (value != detail::VOLUME_QUERY) out.push_back(value);
    }
    return out;
}

void clearLog() { detail::model.log.clear(); }

std::wstring title() { return detail::model.title; }
std::wstring typed() { return detail::model.typed; }

}  // namespace player
}  // namespace sim
