#include "adapters/storage_folder.h"

#include "adapters/bounded_text.h"
#include "adapters/host_link.h"

namespace StorageFolder {

namespace {

constexpr char CANNOT_WRITE[] =
    "Loudmark cannot write its files: neither its own folder, nor the player's settings folder, "
    "nor your application data folder can be written.\n"
    "Song volumes and settings changed now will not be saved.";

// A folder we may use: every file name of ours fits after it, the longest being the
// copies beside the database.
bool roomyEnough(const char* folder) {
    char path[MAX_PATH];
    return BoundedText::join(path, sizeof path, folder, DATABASE_FILE_NAME) &&
           BoundedText::append(path, sizeof path, WHOLE_SUFFIX);
}

// Whether a file can be created and deleted in `folder`. The probe has a name of its
// own, never one of ours (the database must not exist before its first record), and
// one no other file has: a plain create and delete, as 9x has no delete-on-close.
bool canWriteIn(const char* folder) {
    if (!roomyEnough(folder)) return false;
    DWORD unique = GetTickCount() ^ (GetCurrentProcessId() << 12);
    for (int attempt = 0; attempt < 8; ++attempt) {
        char name[32] = "loudmark-probe-";
        BoundedText::appendInt(name, sizeof name, static_cast<int>((unique + attempt) & 0x7FFFFFFF));
        char probe[MAX_PATH];
        if (!BoundedText::append(name, sizeof name, ".tmp") || !BoundedText::join(probe, sizeof probe, folder, name)) {
            return false;
        }
        HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return DeleteFileA(probe) != FALSE;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

// `parent` + `child` + "\" into `folder`, created when missing (`create`); false when it
// cannot be used.
bool subfolder(char* folder, size_t capacity, const char* parent, const char* child, bool create = true) {
    if (!BoundedText::copy(folder, capacity, parent)) return false;
    size_t length = BoundedText::length(folder, capacity);
    if (length == 0) return false;
    if (folder[length - 1] != '\\' && !BoundedText::append(folder, capacity, "\\")) return false;
    if (!BoundedText::append(folder, capacity, child)) return false;
    size_t end = BoundedText::length(folder, capacity);
    if (!BoundedText::append(folder, capacity, "\\")) return false;
    folder[end] = '\0';
    if (create) CreateDirectoryA(folder, nullptr);  // one that is there already is as good
    folder[end] = '\\';
    return true;
}

bool applicationDataFolder(char* folder, size_t capacity, bool create = true) {
    char appData[MAX_PATH];
    return applicationData(appData, sizeof appData) && subfolder(folder, capacity, appData, "Loudmark", create);
}

}  // namespace

Kind find(const char* moduleFolder, const char* hostSettings, char* folder, size_t capacity) {
    // Whether the module's folder can be written changes with an elevated start; the
    // player's settings folder is the same for its user either way.
    if (hostSettings != nullptr) {
        if (subfolder(folder, capacity, hostSettings, "Plugins") && canWriteIn(folder)) return Kind::HostSettings;
    } else if (canWriteIn(moduleFolder)) {
        BoundedText::copy(folder, capacity, moduleFolder);
        return Kind::BesideModule;
    }
    if (applicationDataFolder(folder, capacity) && canWriteIn(folder)) return Kind::ApplicationData;
    BoundedText::copy(folder, capacity, moduleFolder);
    return Kind::NoneWritable;
}

Kind choose(const char* moduleFolder, char* folder, size_t capacity) {
    // The host's settings folder, where 5.x and its plug-ins keep their .ini files; its
    // buffer lasts only until the host's next answer.
    char hostSettings[MAX_PATH];
    const char* answer = HostLink::getIniDirectory();
    bool haveHostSettings = answer != nullptr && BoundedText::copy(hostSettings, sizeof hostSettings, answer);
    Kind kind = find(moduleFolder, haveHostSettings ? hostSettings : nullptr, folder, capacity);
    // What is there can still be read; the listener should know the rest is lost.
    if (kind == Kind::NoneWritable) MessageBoxA(HostLink::window(), CANNOT_WRITE, "Warning", MB_OK | MB_ICONWARNING);
    return kind;
}

int earlierFolders(const char* moduleFolder, const char* folder, char (*earlier)[MAX_PATH]) {
    int count = 0;
    if (!BoundedText::sameFolded(moduleFolder, folder)) BoundedText::copy(earlier[count++], MAX_PATH, moduleFolder);
    if (applicationDataFolder(earlier[count], MAX_PATH, false) && !BoundedText::sameFolded(earlier[count], folder)) {
        ++count;
    }
    return count;
}

bool keepsEmptyDatabase(Kind kind) { return kind == Kind::HostSettings || kind == Kind::ApplicationData; }

bool applicationData(char* folder, size_t capacity) {
    // The platform answers the size it needs when the buffer is too small.
    DWORD length = GetEnvironmentVariableA("APPDATA", folder, static_cast<DWORD>(capacity));
    return length != 0 && length < capacity;
}

}  // namespace StorageFolder
