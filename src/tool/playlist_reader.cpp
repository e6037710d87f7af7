#include "tool/playlist_reader.h"

#include <stdio.h>
#include <windows.h>

#include <vector>

#include "adapters/bounded_text.h"
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
    const char* playlist;
    char folder[MAX_PATH];  // the playlist's own folder, with its backslash ("" for none)
    bool utf8;
    bool complete = true;
    // The folder of the last entry checked, and whether it was there.
    char lastFolder[MAX_PATH] = "";
    bool lastFolderPresent = true;
    bool lastFolderAskedNow = false;  // the last answer came from the platform, not the memory
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

bool isUrl(const char* entry, size_t length) {
    for (size_t i = 0; i + 2 < length; ++i) {
        if (entry[i] == ':' && entry[i + 1] == '/' && entry[i + 2] == '/') return i > 1;
        if (entry[i] == '\\' || entry[i] == '/') return false;
    }
    return false;
}

bool isAbsolute(const char* entry, size_t length) {
    bool drive = length >= 3 && entry[1] == ':' && (entry[2] == '\\' || entry[2] == '/');
    bool share = length >= 2 && (entry[0] == '\\' || entry[0] == '/') && (entry[1] == '\\' || entry[1] == '/');
    return drive || share;
}

// What stands before the entry in the path the player takes: the playlist's folder for
// a relative entry, its drive for one that starts with a backslash, nothing otherwise.
void prefixFor(const Reading& reading, const char* entry, size_t length, char* prefix, size_t capacity) {
    prefix[0] = '\0';
    if (isUrl(entry, length) || isAbsolute(entry, length)) return;
    BoundedText::copy(prefix, capacity, reading.folder);
    bool rooted = entry[0] == '\\' || entry[0] == '/';
    if (rooted && prefix[0] != '\0' && prefix[1] == ':') prefix[2] = '\0';
}

// Whether the folder of `path` is there; asked once for a run of entries in one folder.
bool folderPresent(Reading* reading, const char* path) {
    const char* name = BoundedText::afterLastBackslash(path);
    size_t folderLength = static_cast<size_t>(name - path);
    if (folderLength == 0) return true;
    char folder[MAX_PATH];
    if (folderLength >= sizeof folder) return false;
    for (size_t i = 0; i < folderLength; ++i) folder[i] = path[i];
    folder[folderLength] = '\0';
    reading->lastFolderAskedNow = false;
    if (BoundedText::sameFolded(folder, reading->lastFolder)) return reading->lastFolderPresent;
    reading->lastFolderAskedNow = true;
    BoundedText::copy(reading->lastFolder, sizeof reading->lastFolder, folder);
    DWORD attributes = GetFileAttributesA(folder);
    reading->lastFolderPresent = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return reading->lastFolderPresent;
}

// `prefix` + `entry` into `path`; false when it does not fit.
template <typename Unit>
bool join(const Unit* prefix, const Unit* entry, Unit* path, size_t capacity) {
    size_t used = 0;
    for (const Unit* p = prefix; *p != 0; ++p) {
        if (used + 1 >= capacity) return false;
        path[used++] = *p;
    }
    for (const Unit* p = entry; *p != 0; ++p) {
        if (used + 1 >= capacity) return false;
        path[used++] = *p;
    }
    path[used] = 0;
    return true;
}

void addEntry(Reading* reading, size_t lineNumber, const char* entry, size_t length) {
    if (BoundedText::length(entry, length) < length) return problem(reading, lineNumber, "holds a zero byte");
    // The entry in the player's ANSI code page, and as wide text when that loses letters.
    char entryAnsi[MAX_PATH];
    WCHAR entryWide[MAX_PATH];
    bool lossy = false;
    if (reading->utf8) {
        if (!TextEncoding::utf8ToWide(entry, length, entryWide, MAX_PATH)) {
            return problem(reading, lineNumber, "is not UTF-8 text, or is too long for the player");
        }
        if (!TextEncoding::wideToAnsi(entryWide, entryAnsi, sizeof entryAnsi, &lossy)) {
            return problem(reading, lineNumber, "the path is too long for the player");
        }
    } else {
        if (length >= sizeof entryAnsi) return problem(reading, lineNumber, "the path is too long for the player");
        for (size_t i = 0; i < length; ++i) entryAnsi[i] = entry[i];
        entryAnsi[length] = '\0';
    }
    char prefix[MAX_PATH];
    prefixFor(*reading, entryAnsi, BoundedText::length(entryAnsi, sizeof entryAnsi), prefix, sizeof prefix);
    char path[MAX_PATH];
    WCHAR prefixWide[MAX_PATH];
    WCHAR widePath[MAX_PATH];
    if (!join(prefix, entryAnsi, path, sizeof path) ||
        (lossy && !(TextEncoding::ansiToWide(prefix, prefixWide, MAX_PATH) && join(prefixWide, entryWide, widePath, MAX_PATH)))) {
        return problem(reading, lineNumber, "the path is too long for the player");
    }
    if (!isUrl(path, BoundedText::length(path, sizeof path)) && !lossy && !folderPresent(reading, path)) {
        // Said once for a run of entries in the folder; they stay songs, as on the player.
        reading->complete = false;
        if (reading->lastFolderAskedNow) {
            char what[MAX_PATH + 64];
            snprintf(what, sizeof what, "the folder %s is not there", reading->lastFolder);
            problem(reading, lineNumber, what);
        }
    }
    if (!SongCollection::add(path, lossy ? widePath : nullptr)) problem(reading, lineNumber, "too many songs");
}

}  // namespace

bool isPlaylist(const char* path) { return kindOf(path) != Kind::None; }

bool addPlaylist(const char* path) {
    Reading reading;
    reading.playlist = path;
    Kind kind = kindOf(path);
    std::vector<char> bytes;
    if (kind == Kind::None || !FileBytes::read(path, LARGEST_PLAYLIST, &bytes)) {
        Console::err("loudmark-db: %s: cannot be read\n", path);
        return false;
    }
    BoundedText::copy(reading.folder, sizeof reading.folder, path);
    reading.folder[BoundedText::afterLastBackslash(path) - path] = '\0';

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
                problem(&reading, lineNumber, "names no file");
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
