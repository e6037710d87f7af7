#include "tool/player_folder.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "adapters/bounded_text.h"
#include "tool/file_bytes.h"

namespace PlayerFolder {

namespace {

constexpr char PLAYER_KEY[] = "Software\\Winamp";
// winamp.exe is a few megabytes; anything far bigger is not the player.
constexpr DWORD LARGEST_PROGRAM = 64u * 1024 * 1024;
constexpr char PLAYER_UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";

// A string value; false when the key or value is missing or does not fit.
bool readString(HKEY root, const char* keyPath, const char* valueName, char* text, size_t capacity) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(capacity - 1);
    LONG result = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    text[size < capacity ? size : capacity - 1] = '\0';  // the registry need not end it
    return text[0] != '\0';
}

bool holdsPlayer(const char* folder) {
    char program[MAX_PATH];
    if (!BoundedText::copy(program, sizeof program, folder) || !BoundedText::append(program, sizeof program, "\\winamp.exe")) {
        return false;
    }
    DWORD attributes = GetFileAttributesA(program);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Where a 32-bit installer puts programs: a 64-bit process finds that folder in
// "ProgramFiles(x86)", a 32-bit one in "ProgramFiles".
void programFilesFallback(char* folder, size_t capacity) {
    char programFiles[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("ProgramFiles(x86)", programFiles, sizeof programFiles);
    if (length == 0 || length >= sizeof programFiles) length = GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof programFiles);
    if (length == 0 || length >= sizeof programFiles) BoundedText::copy(programFiles, sizeof programFiles, "C:\\Program Files");
    BoundedText::copy(folder, capacity, programFiles);
    BoundedText::append(folder, capacity, "\\Winamp");
}

// The folder of the program a registry value names ("\"C:\...\UninstWA.exe\" /args"
// or a bare path), as the installer reads it; false when there is none.
bool programFolderOf(const char* command, char* folder, size_t capacity) {
    char program[MAX_PATH];
    if (command[0] == '"') {
        // "C:\Program Files\Winamp\UninstWA.exe" /args: what stands between the quotes.
        size_t length = 0;
        while (command[1 + length] != '\0' && command[1 + length] != '"') ++length;
        if (length >= sizeof program) return false;
        for (size_t i = 0; i < length; ++i) program[i] = command[1 + i];
        program[length] = '\0';
    } else if (!BoundedText::copy(program, sizeof program, command)) {
        return false;
    }
    // The parent, as the installer's GetParent takes it: all before the last backslash.
    const char* name = BoundedText::afterLastBackslash(program);
    if (name == program) return false;
    program[name - program - 1] = '\0';
    return program[0] != '\0' && BoundedText::copy(folder, capacity, program);
}

}  // namespace

bool find(char* folder, size_t capacity) {
    char value[MAX_PATH];
    char candidate[MAX_PATH];
    if (readString(HKEY_CURRENT_USER, PLAYER_KEY, "", value, sizeof value) && holdsPlayer(value)) {
        return BoundedText::copy(folder, capacity, value);
    }
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots) {
        if (readString(root, PLAYER_UNINSTALL_KEY, "UninstallString", value, sizeof value) &&
            programFolderOf(value, candidate, sizeof candidate) && holdsPlayer(candidate)) {
            return BoundedText::copy(folder, capacity, candidate);
        }
    }
    programFilesFallback(folder, capacity);
    return holdsPlayer(folder);
}

bool isVirtualized(const char* folder) {
    char program[MAX_PATH];
    std::vector<char> bytes;
    if (!BoundedText::join(program, sizeof program, folder, "\\winamp.exe") ||
        !FileBytes::read(program, LARGEST_PROGRAM, &bytes)) {
        return false;
    }
    // The manifest is a resource of plain UTF-8 text; a program without one asks for nothing.
    static const char ASKED[] = "requestedExecutionLevel";
    return std::search(bytes.begin(), bytes.end(), ASKED, ASKED + sizeof ASKED - 1) == bytes.end();
}

bool virtualStoreFor(const char* path, char* copy, size_t capacity) {
    char local[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", local, sizeof local);
    bool onADrive = path[0] != '\0' && path[1] == ':';
    return length != 0 && length < sizeof local && onADrive &&
           BoundedText::join(copy, capacity, local, "\\VirtualStore") && BoundedText::append(copy, capacity, path + 2);
}

}  // namespace PlayerFolder
