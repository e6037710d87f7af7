#include "tool/command_support.h"

#include <stdio.h>
#include <windows.h>

#include <string>

#include "adapters/bounded_text.h"
#include "memory/database_swap.h"
#include "memory/song_key.h"
#include "tool/console.h"
#include "tool/database_check.h"
#include "tool/exit_codes.h"
#include "tool/file_bytes.h"
#include "tool/text_encoding.h"

namespace CommandSupport {

namespace {

// The class of the player's main window, as the installer looks for it.
constexpr char PLAYER_WINDOW_CLASS[] = "Winamp v1.x";
constexpr DWORD LARGEST_DATABASE = 1024u * 1024 * 1024;

// The system's words for `error`, without the final stop and line break.
void reasonFor(DWORD error, char* reason, size_t capacity) {
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                                  static_cast<DWORD>(capacity), nullptr);
    if (length == 0) {
        snprintf(reason, capacity, "error %lu", static_cast<unsigned long>(error));
        return;
    }
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n' || reason[length - 1] == '.' ||
                          reason[length - 1] == ' ')) {
        --length;
    }
    reason[length] = '\0';
}

bool canBeOpenedToWrite(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// Why the database could not be opened, given the platform's error.
void sayNotOpened(const DatabaseLocation::Found& location, DWORD error) {
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
}

}  // namespace

bool databasePresent(const DatabaseLocation::Found& location) {
    HANDLE file = FileBytes::open(location.databasePath);
    if (file == INVALID_HANDLE_VALUE) {
        sayNotOpened(location, GetLastError());
        return false;
    }
    CloseHandle(file);
    return true;
}

bool folderOfDatabaseThere(const DatabaseLocation::Found& location) {
    char folder[MAX_PATH];
    if (!BoundedText::copy(folder, sizeof folder, location.databasePath)) return false;
    folder[BoundedText::afterLastBackslash(location.databasePath) - location.databasePath] = '\0';
    DWORD attributes = GetFileAttributesA(folder[0] != '\0' ? folder : ".");
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int checkLines(const DatabaseLocation::Found& location, bool* present) {
    HANDLE file = FileBytes::open(location.databasePath);
    if (present != nullptr) *present = file != INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        sayNotOpened(location, GetLastError());
        return ExitCode::DATABASE_MISSING;
    }
    std::vector<char> bytes;
    if (!FileBytes::readAll(file, LARGEST_DATABASE, &bytes)) {
        Console::err("loudmark-db: %s cannot be read\n", location.databasePath);
        return ExitCode::DATABASE_MISSING;
    }
    long problems = DatabaseCheck::reportProblems(location.databasePath, bytes);
    if (problems == 0) return ExitCode::OK;
    Console::err("loudmark-db: %ld line%s of %s the plug-in cannot read as records\n", problems, problems == 1 ? "" : "s",
                 location.databasePath);
    return ExitCode::DATABASE_LINES;
}

bool readRecords(const DatabaseLocation::Found& location, std::vector<DatabaseRecords::Record>* records, int* status) {
    bool present = false;
    *status = checkLines(location, &present);
    if (!present) return false;
    // A file the check could not read may still give its records to the platform's reading.
    if (DatabaseRecords::load(location.databasePath, records)) return true;
    Console::err("loudmark-db: %s cannot be read\n", location.databasePath);
    *status = ExitCode::DATABASE_MISSING;
    return false;
}

size_t linesOf(const DatabaseLocation::Found& location, const char* quotedKey) {
    std::vector<char> bytes;
    if (!FileBytes::read(location.databasePath, LARGEST_DATABASE, &bytes)) return 0;
    return DatabaseCheck::linesOf(bytes, quotedKey);
}

bool mayWrite(const ToolArguments& arguments) {
    if (arguments.force || FindWindowA(PLAYER_WINDOW_CLASS, nullptr) == nullptr) return true;
    Console::err("loudmark-db: Winamp is running, and Loudmark writes the same file: close Winamp first "
                 "(or give --force)\n");
    return false;
}

bool readyToWrite(const DatabaseLocation::Found& location) {
    char rebuildPath[MAX_PATH];
    if (!DatabaseSwap::rebuildPathOf(location.databasePath, rebuildPath, sizeof rebuildPath)) {
        Console::err("loudmark-db: the path of the database is too long\n");
        return false;
    }
    DWORD attributes = GetFileAttributesA(location.databasePath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        // A copy put in its place would drop the listener's attribute, or fail to replace it.
        Console::err("loudmark-db: %s is read-only: it is left as it is (clear its read-only attribute to let it be "
                     "changed)\n",
                     location.databasePath);
        return false;
    }
    // A read-only copy left by an earlier failure could not be deleted, and would hand its
    // attribute on to the database it became.
    DWORD leftover = GetFileAttributesA(rebuildPath);
    if (leftover != INVALID_FILE_ATTRIBUTES && (leftover & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesA(rebuildPath, leftover & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    }
    // The new copy is made beside the database: the folder must take it.
    bool hadRebuild = leftover != INVALID_FILE_ATTRIBUTES;
    HANDLE probe = CreateFileA(rebuildPath, GENERIC_WRITE, 0, nullptr, hadRebuild ? OPEN_EXISTING : CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        if (!hadRebuild) DeleteFileA(rebuildPath);
        return true;
    }
    char reason[256];
    reasonFor(GetLastError(), reason, sizeof reason);
    if (hadRebuild) {
        Console::err("loudmark-db: %s, left by an earlier write, cannot be replaced (%s): another program may hold it\n",
                     rebuildPath, reason);
        return false;
    }
    bool fileWritable = attributes != INVALID_FILE_ATTRIBUTES && canBeOpenedToWrite(location.databasePath);
    Console::err("loudmark-db: %s cannot be made (%s): the folder cannot be written, and the database is changed "
                 "through a new copy made beside it\n",
                 rebuildPath, reason);
    if (fileWritable) {
        Console::err("loudmark-db: %s itself can be written, but never in place: a write cut short would cost "
                     "records\n",
                     location.databasePath);
    }
    return false;
}

void sayNotWritten(const DatabaseLocation::Found& location, const char* what, DWORD error) {
    char reason[256] = "";
    if (error != ERROR_SUCCESS) reasonFor(error, reason, sizeof reason);
    Console::err("loudmark-db: %s could not be %s%s%s%s; it is as it was\n", location.databasePath, what,
                 reason[0] != '\0' ? " (" : "", reason, reason[0] != '\0' ? ")" : "");
}

SongKey keyOfFile(const WCHAR* path, int* size) {
    char ansi[MAX_PATH];
    bool lossy = false;
    *size = -1;
    if (!TextEncoding::playerPath(path, ansi, sizeof ansi, &lossy)) return SongKey::fromPath(nullptr);
    *size = SongKey::fileSize(ansi);
    if (*size == -1) *size = SongKey::fileSizeW(path);
    return SongKey::fromNameAndSize(BoundedText::afterLastBackslash(ansi), *size);
}

bool keyFromText(const char* text, char* quotedKey, size_t capacity, bool quiet) {
    // As list shows it, or as the file spells it, in its quotes.
    std::string quoted = text;
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') quoted = "\"" + quoted + "\"";
    SongKeyParts parts;
    if (!SongKey::parse(quoted.c_str(), quoted.size(), &parts)) {
        if (!quiet) Console::err("loudmark-db: \"%s\" is not a song key: give it as NAME[SIZE], as list shows it\n", text);
        return false;
    }
    SongKey songKey = SongKey::fromNameAndSize(std::string(parts.name, parts.nameLength).c_str(), parts.size);
    if (!songKey.storable) {
        if (!quiet) Console::err("loudmark-db: \"%s\" cannot stand in the database ('=' or a line break in it, or too long)\n", text);
        return false;
    }
    return BoundedText::copy(quotedKey, capacity, songKey.text);
}

}  // namespace CommandSupport
