#include "tool/song_collection.h"

#include <stdint.h>

#include <vector>

#include "adapters/bounded_text.h"
#include "memory/song_key.h"

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

int knownSizeOf(void*, int index) {
    if (index < 0 || static_cast<size_t>(index) >= knownSizes.size()) return DatabaseMaintenance::SongList::SIZE_UNKNOWN;
    return knownSizes[static_cast<size_t>(index)];
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
    if (ansiStarts.size() >= MOST_SONGS || ansiText.size() >= NO_WIDE_PATH / 2 || wideText.size() >= NO_WIDE_PATH / 2) {
        return false;
    }
    ansiStarts.push_back(static_cast<uint32_t>(ansiText.size()));
    knownSizes.push_back(knownSize);
    for (const char* p = ansiPath; *p != '\0'; ++p) ansiText.push_back(*p);
    ansiText.push_back('\0');
    if (widePath == nullptr) {
        wideStarts.push_back(NO_WIDE_PATH);
        return true;
    }
    wideStarts.push_back(static_cast<uint32_t>(wideText.size()));
    for (const WCHAR* p = widePath; *p != 0; ++p) wideText.push_back(*p);
    wideText.push_back(0);
    return true;
}

int count() { return static_cast<int>(ansiStarts.size()); }

DatabaseMaintenance::SongList asSongList() {
    DatabaseMaintenance::SongList list{count(), pathOf, wideSizeOf, nullptr};
    list.knownSizeOf = knownSizeOf;
    return list;
}

}  // namespace SongCollection
