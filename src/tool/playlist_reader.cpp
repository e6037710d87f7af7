#include "tool/playlist_reader.h"

#include <stdio.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "adapters/bounded_text.h"
#include "memory/database_maintenance_size.h"
#include "memory/song_key.h"
#include "tool/console.h"
#include "tool/file_bytes.h"
#include "tool/song_collection.h"
#include "tool/text_encoding.h"

namespace PlaylistReader {

namespace {

enum class Kind { None, M3u, M3u8, Pls };

// Far beyond any listener's playlist; a file this big is something else.
constexpr DWORD LARGEST_PLAYLIST = 256u * 1024 * 1024;

struct Reading {
    const char* playlist;  // as it is shown
    std::wstring folder;   // the playlist's own folder, with its backslash ("" for none)
    bool utf8;
    bool complete = true;
    // The folder of the last entry checked, and whether it was there.
    std::wstring lastFolder;
    bool lastFolderPresent = true;
    bool lastFolderAskedNow = false;  // the last answer came from the platform, not the memory
    // Found once for every entry: each lookup takes the loader's lock.
    LaterWindows::FileAttributesQuery attributesQuery = LaterWindows::fileAttributesQuery();
};

bool endsWith(const char* text, const char* suffix) {
    size_t t = BoundedText::length(text, MAX_PATH * 4);
    size_t s = BoundedText::length(suffix, 16);
    if (s > t) return false;
    for (size_t i = 0; i < s; ++i) {
        if (BoundedText::folded(text[t - s + i]) != BoundedText::folded(suffix[i])) return false;
    }
    return true;
}

Kind kindOf(const char* path) {
    if (endsWith(path, ".m3u8")) return Kind::M3u8;
    if (endsWith(path, ".m3u")) return Kind::M3u;
    if (endsWith(path, ".pls")) return Kind::Pls;
    return Kind::None;
}

void problem(Reading* reading, size_t line, const char* what) {
    Console::err("loudmark-db: %s:%lu: %s\n", reading->playlist, static_cast<unsigned long>(line), what);
    reading->complete = false;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool startsWithNoCase(const char* text, size_t length, const char* prefix) {
    size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= length || BoundedText::folded(text[i]) != BoundedText::folded(prefix[i])) return false;
    }
    return true;
}

// The path part of a .pls line "FileN=path"; null for every other line.
const char* plsEntry(const char* line, size_t length, size_t* entryLength) {
    if (!startsWithNoCase(line, length, "file")) return nullptr;
    size_t i = 4;
    size_t digits = 0;
    while (i < length && line[i] >= '0' && line[i] <= '9') {
        ++i;
        ++digits;
    }
    if (digits == 0 || i >= length || line[i] != '=') return nullptr;
    *entryLength = length - i - 1;
    return line + i + 1;
}

bool isUrl(const std::wstring& entry) {
    for (size_t i = 0; i + 2 < entry.size(); ++i) {
        if (entry[i] == L':' && entry[i + 1] == L'/' && entry[i + 2] == L'/') return i > 1;
        if (entry[i] == L'\\' || entry[i] == L'/') return false;
    }
    return false;
}

bool isAbsolute(const std::wstring& entry) {
    bool drive = entry.size() >= 3 && entry[1] == L':' && entry[2] == L'\\';
    bool share = entry.size() >= 2 && entry[0] == L'\\' && entry[1] == L'\\';
    return drive || share;
}

// What stands before the entry in the path the player takes: the playlist's folder for
// a relative entry, its drive for one that starts with a backslash, nothing otherwise.
std::wstring prefixFor(const Reading& reading, const std::wstring& entry) {
    if (isAbsolute(entry)) return std::wstring();
    bool rooted = !entry.empty() && entry[0] == L'\\';
    bool driveFolder = reading.folder.size() >= 2 && reading.folder[1] == L':';
    return rooted && driveFolder ? reading.folder.substr(0, 2) : reading.folder;
}

bool sameFolded(const std::wstring& a, const std::wstring& b) {
    auto folded = [](WCHAR c) { return c >= L'A' && c <= L'Z' ? static_cast<WCHAR>(c - L'A' + L'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (folded(a[i]) != folded(b[i])) return false;
    }
    return true;
}

// Whether the folder of `path` is there; asked once for a run of entries in one folder.
bool folderPresent(Reading* reading, const std::wstring& path) {
    size_t name = path.rfind(L'\\');
    if (name == std::wstring::npos) return true;
    std::wstring folder = path.substr(0, name + 1);
    reading->lastFolderAskedNow = false;
    if (sameFolded(folder, reading->lastFolder)) return reading->lastFolderPresent;
    reading->lastFolderAskedNow = true;
    reading->lastFolder = folder;
    DWORD attributes = GetFileAttributesW(folder.c_str());
    reading->lastFolderPresent = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return reading->lastFolderPresent;
}

std::string shown(const std::wstring& path) {
    char ansi[MAX_PATH * 2];
    bool lossy = false;
    return TextEncoding::wideToAnsi(path.c_str(), ansi, sizeof ansi, &lossy) ? ansi : "";
}

void addEntry(Reading* reading, size_t lineNumber, const char* entry, size_t length) {
    if (BoundedText::length(entry, length) < length) return problem(reading, lineNumber, "the line holds a zero byte");
    WCHAR entryWide[MAX_PATH];
    char entryAnsi[MAX_PATH];
    if (reading->utf8) {
        if (!TextEncoding::utf8ToWide(entry, length, entryWide, MAX_PATH)) {
            return problem(reading, lineNumber, "the line is not UTF-8 text, or is too long for the player");
        }
    } else {
        if (length >= sizeof entryAnsi) return problem(reading, lineNumber, "the path is too long for the player");
        for (size_t i = 0; i < length; ++i) entryAnsi[i] = entry[i];
        entryAnsi[length] = '\0';
        if (!TextEncoding::ansiToWide(entryAnsi, entryWide, MAX_PATH)) {
            return problem(reading, lineNumber, "the path is too long for the player");
        }
    }
    std::wstring path = entryWide;
    bool url = isUrl(path);
    // The player reads a file's path with forward slashes as it reads one with backslashes.
    if (!url) {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = prefixFor(*reading, path) + path;
    }
    char ansi[MAX_PATH];
    bool lossy = false;
    if (path.size() >= MAX_PATH || !TextEncoding::playerPath(path.c_str(), ansi, sizeof ansi, &lossy)) {
        return problem(reading, lineNumber, "the path is too long for the player");
    }
    if (url) {
        // A stream is keyed as a file that cannot be opened; the pass asks nothing else of it.
        if (!SongCollection::add(ansi, nullptr)) problem(reading, lineNumber, "too many songs");
        return;
    }
    int size = -1;
    if (!folderPresent(reading, path)) {
        // Said once for a run of entries in the folder; they stay songs, as on the player.
        reading->complete = false;
        if (reading->lastFolderAskedNow) {
            problem(reading, lineNumber, ("the folder " + shown(reading->lastFolder) + " is not there").c_str());
        }
    } else {
        // Sized here, as the plug-in sizes it: a missing file is a song all the same, but
        // the listener should know that its record will go.
        size = DatabaseMaintenance::quickFileSize(ansi, reading->attributesQuery);
        if (size == -1) size = SongKey::fileSizeW(path.c_str());
        if (size == -1) {
            Console::err("loudmark-db: %s:%lu: no file %s\n", reading->playlist, static_cast<unsigned long>(lineNumber),
                         shown(path).c_str());
        }
    }
    if (!SongCollection::add(ansi, lossy ? path.c_str() : nullptr, size)) problem(reading, lineNumber, "too many songs");
}

}  // namespace

bool isPlaylist(const char* path) { return kindOf(path) != Kind::None; }

bool addPlaylist(const WCHAR* path) {
    std::wstring widePath = path;
    std::string shownPath = shown(widePath);
    Reading reading;
    reading.playlist = shownPath.c_str();
    Kind kind = kindOf(reading.playlist);
    std::vector<char> bytes;
    if (kind == Kind::None || !FileBytes::read(path, LARGEST_PLAYLIST, &bytes)) {
        Console::err("loudmark-db: %s: cannot be read\n", reading.playlist);
        return false;
    }
    size_t folderEnd = widePath.find_last_of(L"\\/");
    reading.folder = folderEnd == std::wstring::npos ? std::wstring() : widePath.substr(0, folderEnd + 1);

    // A byte-order mark says UTF-8 whatever the extension.
    size_t start = FileBytes::byteOrderMark(bytes);
    reading.utf8 = kind == Kind::M3u8 || start > 0;
    size_t lineNumber = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\n') ++end;
        ++lineNumber;
        const char* line = bytes.data() + start;
        size_t length = end - start;
        start = end + 1;
        while (length > 0 && (line[length - 1] == '\r' || isBlank(line[length - 1]))) --length;
        while (length > 0 && isBlank(line[0])) {
            ++line;
            --length;
        }
        if (length == 0) continue;
        if (kind == Kind::Pls) {
            size_t entryLength = 0;
            const char* entry = plsEntry(line, length, &entryLength);
            if (entry == nullptr) continue;  // [playlist], TitleN=, LengthN=, NumberOfEntries=, Version=
            if (entryLength == 0) {
                problem(&reading, lineNumber, "the entry names no file");
                continue;
            }
            addEntry(&reading, lineNumber, entry, entryLength);
            continue;
        }
        if (line[0] == '#') continue;  // #EXTM3U, #EXTINF:seconds,title, comments
        addEntry(&reading, lineNumber, line, length);
    }
    return reading.complete;
}

}  // namespace PlaylistReader
