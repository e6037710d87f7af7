#include "tool/song_collection.h"

#include <stdint.h>

#include <string>
#include <vector>

#include "adapters/bounded_text.h"
#include "adapters/storage_folder.h"
#include "memory/song_key.h"
#include "tool/console.h"
#include "tool/folder_scan.h"
#include "tool/playlist_reader.h"
#include "tool/text_encoding.h"

namespace SongCollection {

namespace {

constexpr uint32_t NO_WIDE_PATH = 0xFFFFFFFFu;
// The pass counts songs in an int.
constexpr size_t MOST_SONGS = 0x7FFFFFFF;

// Every path end to end, each ended by its zero, so that 100,000 songs are a few
// allocations rather than 100,000.
std::vector<char> ansiText;
std::vector<uint32_t> ansiStarts;
std::vector<WCHAR> wideText;
std::vector<uint32_t> wideStarts;
std::vector<int> knownSizes;

bool pathOf(void*, int index, char* path, size_t capacity) {
    if (index < 0 || static_cast<size_t>(index) >= ansiStarts.size()) return false;
    return BoundedText::copy(path, capacity, &ansiText[ansiStarts[static_cast<size_t>(index)]]);
}

int wideSizeOf(void*, int index) {
    if (index < 0 || static_cast<size_t>(index) >= wideStarts.size()) return -1;
    uint32_t start = wideStarts[static_cast<size_t>(index)];
    return start == NO_WIDE_PATH ? -1 : SongKey::fileSizeW(&wideText[start]);
}

bool addSource(const WCHAR* source) {
    char shown[MAX_PATH * 2];
    char ansi[MAX_PATH];
    bool lossy = false;
    if (!TextEncoding::wideToAnsi(source, shown, sizeof shown, &lossy)) shown[0] = '\0';
    DWORD attributes = GetFileAttributesW(source);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Console::err("loudmark-db: %s: not found\n", shown);
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FolderScan::addFolder(source);
    if (PlaylistReader::isPlaylist(shown)) return PlaylistReader::addPlaylist(source);
    // One song file, named as the player would hand it out.
    if (!TextEncoding::playerPath(source, ansi, sizeof ansi, &lossy)) {
        Console::err("loudmark-db: %s: the path is too long for the player\n", shown);
        return false;
    }
    return add(ansi, lossy ? source : nullptr);
}

int knownSizeOf(void*, int index) {
    if (index < 0 || static_cast<size_t>(index) >= knownSizes.size()) return DatabaseMaintenance::SongList::SIZE_UNKNOWN;
    return knownSizes[static_cast<size_t>(index)];
}

bool endsWith(const char* name, size_t length, const char* suffix) {
    size_t k = BoundedText::length(suffix, 32);
    return length >= k && BoundedText::sameFolded(name + length - k, suffix);
}

// The rest of `name` after `prefix` (letter case ignored), or null.
const char* after(const char* name, const char* prefix) {
    for (; *prefix != '\0'; ++name, ++prefix) {
        if (BoundedText::folded(*name) != BoundedText::folded(*prefix)) return nullptr;
    }
    return name;
}

// Playlists, and our own files, found in a folder are never songs the player plays.
bool isSong(const char* name) {
    size_t length = BoundedText::length(name, MAX_PATH);
    for (const char* extension : {".m3u", ".m3u8", ".pls"}) {
        if (endsWith(name, length, extension)) return false;
    }
    if (BoundedText::sameFolded(name, StorageFolder::SETTINGS_FILE_NAME)) return false;
    // The database, its new copy, and its other copies (every one "volume.ini.loudmark-...").
    const char* rest = after(name, StorageFolder::DATABASE_FILE_NAME);
    if (rest == nullptr) return true;
    return *rest != '\0' && !BoundedText::sameFolded(rest, StorageFolder::REBUILD_SUFFIX) &&
           after(rest, ".loudmark-") == nullptr;
}

}  // namespace

void reset() {
    ansiText.clear();
    ansiStarts.clear();
    wideText.clear();
    wideStarts.clear();
    knownSizes.clear();
}

bool add(const char* ansiPath, const WCHAR* widePath, int knownSize) {
    if (!isSong(BoundedText::afterLastBackslash(ansiPath))) return true;
    if (ansiStarts.size() >= MOST_SONGS || ansiText.size() >= NO_WIDE_PATH / 2 || wideText.size() >= NO_WIDE_PATH / 2) {
        return false;
    }
    ansiStarts.push_back(static_cast<uint32_t>(ansiText.size()));
    knownSizes.push_back(knownSize);
    ansiText.insert(ansiText.end(), ansiPath, ansiPath + std::char_traits<char>::length(ansiPath) + 1);
    if (widePath == nullptr) {
        wideStarts.push_back(NO_WIDE_PATH);
        return true;
    }
    wideStarts.push_back(static_cast<uint32_t>(wideText.size()));
    for (const WCHAR* p = widePath; *p != 0; ++p) wideText.push_back(*p);
    wideText.push_back(0);
    return true;
}

void makeRoomFor(size_t songs, size_t ansiBytes) {
    // Grown once: a hundred thousand paths grown by doubling would be copied, and their
    // fresh pages touched, about twice over.
    ansiStarts.reserve(ansiStarts.size() + songs);
    knownSizes.reserve(knownSizes.size() + songs);
    wideStarts.reserve(wideStarts.size() + songs);
    ansiText.reserve(ansiText.size() + ansiBytes);
}

int count() { return static_cast<int>(ansiStarts.size()); }

DatabaseMaintenance::SongList asSongList() {
    DatabaseMaintenance::SongList list{count(), pathOf, wideSizeOf, nullptr};
    list.knownSizeOf = knownSizeOf;
    return list;
}

bool gather(const std::vector<const WCHAR*>& sources, bool playerPlaylist, const DatabaseLocation::Found& location,
            std::vector<Source>* gathered) {
    reset();
    bool complete = true;
    int before = 0;
    auto tell = [&](const std::string& shown) {
        if (gathered != nullptr) gathered->push_back(Source{shown, count() - before});
        before = count();
    };
    if (playerPlaylist) {
        char playlist[MAX_PATH];
        WCHAR widePlaylist[MAX_PATH];
        if (DatabaseLocation::findPlayerPlaylist(location, playlist, sizeof playlist) &&
            TextEncoding::ansiToWide(playlist, widePlaylist, MAX_PATH)) {
            Console::err("Player's playlist: %s\n", playlist);
            complete = PlaylistReader::addPlaylist(widePlaylist) && complete;
            tell(playlist);
        } else {
            Console::err("loudmark-db: the player's own playlist (winamp.m3u8 or winamp.m3u) is not there\n");
            complete = false;
        }
    }
    for (const WCHAR* source : sources) {
        complete = addSource(source) && complete;
        char shown[MAX_PATH * 2];
        bool lossy = false;
        tell(TextEncoding::wideToAnsi(source, shown, sizeof shown, &lossy) ? shown : "");
    }
    return complete;
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
        if (!quiet) {
            Console::err("loudmark-db: \"%s\" cannot stand in the database ('=' or a line break in it, or too long)\n",
                         text);
        }
        return false;
    }
    return BoundedText::copy(quotedKey, capacity, songKey.text);
}

}  // namespace SongCollection
