#include "tool/command_support.h"

#include <stdlib.h>
#include <windows.h>

#include <string>

#include "adapters/bounded_text.h"
#include "adapters/profile_file.h"
#include "memory/song_key.h"
#include "tool/console.h"
#include "tool/database_check.h"
#include "tool/exit_codes.h"

namespace CommandSupport {

namespace {

// The class of the player's main window, as the installer looks for it.
constexpr char PLAYER_WINDOW_CLASS[] = "Winamp v1.x";

}  // namespace

bool databasePresent(const DatabaseLocation::Found& location) {
    HANDLE file = CreateFileA(location.databasePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        Console::err("loudmark-db: no volume database at %s\n", location.databasePath);
        if (location.playerFolder[0] != '\0' && !location.playerFound) {
            Console::err("loudmark-db: no player found (looked in the registry and in %s); name the database with --database\n",
                         location.playerFolder);
        }
    } else {
        Console::err("loudmark-db: %s cannot be opened (error %lu): another program may hold it\n", location.databasePath,
                     static_cast<unsigned long>(error));
    }
    return false;
}

int checkLines(const DatabaseLocation::Found& location) {
    long problems = DatabaseCheck::reportProblems(location.databasePath);
    if (problems == DatabaseCheck::CANNOT_READ) {
        Console::err("loudmark-db: %s cannot be read\n", location.databasePath);
        return ExitCode::DATABASE_MISSING;
    }
    if (problems == 0) return ExitCode::OK;
    Console::err("loudmark-db: %ld line%s of %s the plug-in cannot read as records\n", problems, problems == 1 ? "" : "s",
                 location.databasePath);
    return ExitCode::DATABASE_LINES;
}

bool mayWrite(const ToolArguments& arguments) {
    if (arguments.force || FindWindowA(PLAYER_WINDOW_CLASS, nullptr) == nullptr) return true;
    Console::err("loudmark-db: Winamp is running, and Loudmark writes the same file: close Winamp first "
                 "(or give --force)\n");
    return false;
}

TrimSettings trimSettings(const DatabaseLocation::Found& location, int bandChoice) {
    // As the plug-in reads them: only 1 turns "Always trim" on; any band but 1..3 is 12%.
    int trim = ProfileFile::readInt("\"Trim\"", location.settingsPath);
    int trimTo = ProfileFile::readInt("\"TrimTo\"", location.settingsPath);
    int choice = bandChoice != 0 ? bandChoice : (trimTo >= 1 && trimTo <= 3 ? trimTo : 1);
    return TrimSettings{trim == 1, TrimBand::forChoice(choice), choice};
}

const char* bandName(int choice) {
    switch (choice) {
        case 2: return "18%";
        case 3: return "24%";
        default: return "12%";
    }
}

bool keyFromText(const char* text, char* quotedKey, size_t capacity) {
    std::string key = text;
    if (key.size() >= 2 && key.front() == '"' && key.back() == '"') key = key.substr(1, key.size() - 2);
    size_t open = key.rfind('[');
    bool shaped = open != std::string::npos && open > 0 && key.size() > open + 2 && key.back() == ']';
    char* end = nullptr;
    std::string size = shaped ? key.substr(open + 1, key.size() - open - 2) : std::string();
    long long parsed = shaped ? strtoll(size.c_str(), &end, 10) : 0;
    if (!shaped || *end != '\0' || parsed < -2147483648LL || parsed > 2147483647LL) {
        Console::err("loudmark-db: \"%s\" is not a song key: give it as NAME[SIZE], as list shows it\n", text);
        return false;
    }
    SongKey songKey = SongKey::fromNameAndSize(key.substr(0, open).c_str(), static_cast<int>(parsed));
    if (!songKey.storable) {
        Console::err("loudmark-db: \"%s\" cannot stand in the database ('=' or a line break in it, or too long)\n", text);
        return false;
    }
    return BoundedText::copy(quotedKey, capacity, songKey.text);
}

}  // namespace CommandSupport
