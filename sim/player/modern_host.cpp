// What the 5.x host does that 2.x does not: the slider read (-666), its settings folder,
// the playlist's paths in wide and in ANSI form, and the announcement of every start of
// an entry, sent with SendMessageW to its own window so that a subclass sees it first.
#include "player/player_model.h"
#include "sim/platform.h"
#include "src/code_page.h"

namespace sim {
namespace player {
namespace detail {

std::string ansiFormOf(const std::string& utf8Path) {
    std::wstring wide = codepage::utf8ToWide(utf8Path);
    bool lossy = false;
    std::string ansi = codepage::narrowToAnsi(wide.c_str(), &lossy);
    // A path the code page cannot hold goes out as its short path, where it has one.
    WCHAR shortPath[MAX_PATH];
    DWORD lastError = GetLastError();
    DWORD length = lossy ? GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH) : 0;
    SetLastError(lastError);
    return length > 0 && length < MAX_PATH ? codepage::narrowToAnsi(shortPath) : ansi;
}

bool answerModernRequest(WPARAM wParam, LPARAM code, LRESULT* answer) {
    switch (code) {
        case IPC_SETVOLUME: {
            int requested = static_cast<int>(static_cast<INT_PTR>(wParam));
            if (requested == VOLUME_QUERY && model.version >= FIRST_5X) {
                *answer = model.volume;
                return true;
            }
            // The host keeps the lowest 8 bits of what it is given: 256 becomes 0.
            model.volume = requested & 0xFF;
            *answer = 0;
            return true;
        }
        case IPC_GETINIDIRECTORY:
            *answer = model.version >= FIRST_WITH_INI_DIRECTORY ? reinterpret_cast<LRESULT>(MODERN_INI_DIRECTORY) : 1;
            return true;
        case IPC_GETPLAYLISTFILE: *answer = answerFile(wParam, false); return true;
        case IPC_GETPLAYLISTFILEW:
            *answer = model.version >= FIRST_WITH_WIDE_NAMES ? answerFile(wParam, true) : 1;
            return true;
        default: return false;
    }
}

void noteStart(int index) {
    if (model.modern && hasEntry(index)) model.startsToAnnounce.push_back(model.playlist[index].path);
}

void announcePending() {
    if (model.announcing) return;  // a start noted meanwhile goes out from the outer call
    model.announcing = true;
    while (!model.startsToAnnounce.empty()) {
        std::string path = model.startsToAnnounce.front();
        model.startsToAnnounce.pop_front();
        if (model.version < FIRST_5X) continue;
        // Both texts are temporaries that live for the call only, as the host's do.
        std::string ansi = ansiFormOf(path);
        SendMessageW(model.window, WM_USER, reinterpret_cast<WPARAM>(ansi.c_str()), IPC_PLAYING_FILE);
        if (model.version < FIRST_WITH_WIDE_NAMES) continue;
        std::wstring wide = codepage::utf8ToWide(path);
        SendMessageW(model.window, WM_USER, reinterpret_cast<WPARAM>(wide.c_str()), IPC_PLAYING_FILEW);
    }
    model.announcing = false;
}

// As the installer's first run leaves it; sim::reset made AppData\Roaming, the folder
// it goes in.
void makeIniDirectory() {
    DWORD lastError = GetLastError();
    CreateDirectoryA(MODERN_INI_DIRECTORY, nullptr);
    SetLastError(lastError);
}

}  // namespace detail
}  // namespace player
}  // namespace sim
