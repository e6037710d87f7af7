#include "tool/folder_scan.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "adapters/bounded_text.h"
#include "adapters/later_windows.h"
#include "adapters/side_thread.h"
#include "tool/console.h"
#include "tool/song_collection.h"
#include "tool/text_encoding.h"

// Under Wine every folder listed costs a few round trips to the Wine server, some 0.3 ms
// whatever the folder holds: 8,000 album folders take seconds on one thread. Two threads
// wait on the server at once, so the tree's upper folders are listed first, here, and the
// subtrees under them are then walked on two threads, each into a list of its own; the
// lists are put together in the tree's order at the end, so the order never depends on
// which thread was quicker.

namespace FolderScan {

namespace {

constexpr int WALKING_THREADS = 2;
// Subtrees wanted before the walk starts: enough that two threads share the work evenly.
constexpr size_t SUBTREES_WANTED = 32;
constexpr int LEVELS_LISTED_FIRST = 3;

// One folder's entries in name order: their names end to end in one block, so that a
// folder of a thousand songs is a few allocations rather than a thousand (under Wine
// every page a walk touches afresh costs a fault).
struct Listing {
    struct Entry {
        uint32_t name;    // where its name starts in `names`
        uint32_t length;  // and how long it is
        uint32_t ansi;    // where its name starts in `ansiNames`
        bool isFolder;
        int size;  // as the open finds it; SIZE_UNKNOWN for a link, whose listing tells its own
    };
    std::vector<WCHAR> names;
    std::vector<Entry> entries;
    // Every name in the ANSI code page, when the code page holds them all.
    std::string ansiNames;
    bool inAnsi = false;
    const WCHAR* nameOf(const Entry& entry) const { return names.data() + entry.name; }
    const char* ansiNameOf(const Entry& entry) const { return inAnsi ? ansiNames.c_str() + entry.ansi : nullptr; }
};

struct Song {
    std::string ansi;
    std::wstring wide;  // empty unless the ANSI path lost letters
    int size;
};

// A subtree's songs in order, and what could not be read in it: the ANSI paths end to end,
// each ended by its zero, and the wide path of each whose ANSI path lost letters.
struct Walked {
    std::string paths;
    std::vector<int> sizes;
    std::vector<std::pair<size_t, std::wstring>> widePaths;  // the song's place, its wide path
    std::vector<std::string> problems;
};

// The tree as far as it is listed before the walk: songs, subtrees still to walk, and
// folders that could not be read, in the order they come.
struct Item {
    enum class Kind { Song, Subtree, Problem } kind;
    std::wstring path;  // a subtree's ends with its backslash
    Song song;
    std::string problem;
};

volatile LONG filesSeen = 0;
volatile LONG foldersSeen = 0;

WCHAR folded(WCHAR c) { return c >= L'A' && c <= L'Z' ? static_cast<WCHAR>(c - L'A' + L'a') : c; }

// A folder's first entry without its short name, in large fetches: the walk never reads
// short names (one is asked for a file only when the code page cannot hold its long
// name), and under Wine each short name made costs time. FindExInfoBasic and
// FIND_FIRST_EX_LARGE_FETCH are "not supported until Windows Server 2008 R2 and Windows
// 7" (FindFirstFileEx's reference), and Windows 95 has no FindFirstFileExW: there,
// FindFirstFileW.
LaterWindows::FindFirstFileExQuery findFirstFileEx = nullptr;
volatile LONG basicListingRefused = 0;

void lookUpBasicListing() {
    findFirstFileEx = LaterWindows::findFirstFileExQuery();
    basicListingRefused = 0;
}

HANDLE findFirst(const std::wstring& pattern, WIN32_FIND_DATAW* data) {
    if (findFirstFileEx != nullptr && basicListingRefused == 0) {
        HANDLE find = findFirstFileEx(pattern.c_str(), FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH);
        if (find != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER) return find;
        basicListingRefused = 1;  // either walker may find it first; both write the same
    }
    return FindFirstFileW(pattern.c_str(), data);
}

bool isDots(const WCHAR* name) { return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)); }

std::string ansiOf(const std::wstring& path) {
    char ansi[MAX_PATH * 2];
    bool lossy = false;
    if (!TextEncoding::wideToAnsi(path.c_str(), ansi, sizeof ansi, &lossy)) return std::string();
    return ansi;
}

std::string problemWith(const std::wstring& path, const char* what) {
    return "loudmark-db: " + ansiOf(path) + ": " + what + "\n";
}

// Every name of the folder in the ANSI code page in two conversions, rather than two a
// file: the code pages hold no state from one letter to the next, so the names convert
// alike together or apart. Left out when any name loses letters (or comes back as a
// best-fit letter, which names no file either).
void namesInAnsi(Listing* listing) {
    listing->inAnsi = false;
    int count = static_cast<int>(listing->names.size());
    if (count == 0 || listing->names.size() > 0x3FFFFFFF) return;
    listing->ansiNames.resize(listing->names.size() * 2);  // two bytes a letter at most
    BOOL usedDefault = FALSE;
    int made = WideCharToMultiByte(CP_ACP, 0, listing->names.data(), count, &listing->ansiNames[0],
                                   static_cast<int>(listing->ansiNames.size()), nullptr, &usedDefault);
    if (made <= 0 || usedDefault) return;
    listing->ansiNames.resize(static_cast<size_t>(made));
    std::vector<WCHAR> back(listing->names.size());
    if (MultiByteToWideChar(CP_ACP, 0, listing->ansiNames.data(), made, back.data(), count) != count ||
        back != listing->names) {
        return;
    }
    // Each name ends at its zero, as in `names`: no trail byte of a code page is zero.
    size_t at = 0;
    for (Listing::Entry& entry : listing->entries) {
        entry.ansi = static_cast<uint32_t>(at);
        at += std::char_traits<char>::length(listing->ansiNames.c_str() + at) + 1;
    }
    listing->inAnsi = true;
}

// The entries of one folder in name order (letter case ignored); false when it cannot be
// listed.
bool listFolder(const std::wstring& folder, Listing* listing) {
    listing->names.clear();
    listing->entries.clear();
    WIN32_FIND_DATAW data;
    HANDLE find = findFirst(folder + L"*", &data);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // nothing in it
    do {
        if (isDots(data.cFileName)) continue;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        // A link to a folder is neither walked into nor a song.
        if (isFolder && link) continue;
        int size = link ? DatabaseMaintenance::SongList::SIZE_UNKNOWN : static_cast<int>(data.nFileSizeLow);
        uint32_t name = static_cast<uint32_t>(listing->names.size());
        uint32_t length = 0;
        while (data.cFileName[length] != 0) listing->names.push_back(data.cFileName[length++]);
        listing->names.push_back(0);
        listing->entries.push_back(Listing::Entry{name, length, 0, isFolder, size});
    } while (FindNextFileW(find, &data));
    bool finished = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    namesInAnsi(listing);
    const WCHAR* names = listing->names.data();
    std::sort(listing->entries.begin(), listing->entries.end(), [names](const Listing::Entry& a, const Listing::Entry& b) {
        const WCHAR* p = names + a.name;
        const WCHAR* q = names + b.name;
        uint32_t length = std::min(a.length, b.length);
        for (uint32_t i = 0; i < length; ++i) {
            if (folded(p[i]) != folded(q[i])) return folded(p[i]) < folded(q[i]);
        }
        return a.length < b.length;
    });
    InterlockedIncrement(&foldersSeen);
    return finished;
}

// The song a file is, as the player would hand out its path, with the size its listing
// gave; false when the path is too long for the player.
bool songOf(const std::wstring& path, int size, Song* song) {
    if (path.size() >= MAX_PATH) return false;
    song->size = size;
    char ansi[MAX_PATH];
    bool lossy = false;
    if (!TextEncoding::playerPath(path.c_str(), ansi, sizeof ansi, &lossy)) return false;
    song->ansi = ansi;
    song->wide = lossy ? path : std::wstring();
    return true;
}

// A folder's ANSI path, made once for all its files: the code pages hold no state from
// one letter to the next, so a file's ANSI path is its folder's and its name's end to end,
// and it lost no letters when neither did. Empty when the folder's path lost letters or
// cannot be made: its files then take the long way.
struct FolderInAnsi {
    char path[MAX_PATH];
    size_t length;
    bool usable;
};

void folderInAnsi(const std::wstring& folder, FolderInAnsi* ansi) {
    bool lossy = false;
    ansi->usable = TextEncoding::wideToAnsi(folder.c_str(), ansi->path, sizeof ansi->path, &lossy) && !lossy;
    ansi->length = ansi->usable ? BoundedText::length(ansi->path, sizeof ansi->path) : 0;
}

// A file of the folder into the subtree's songs, as songOf makes it; false when the path
// is too long for the player.
bool addSong(const std::wstring& path, const FolderInAnsi& folder, const char* ansiName, int size, Walked* walked) {
    if (path.size() >= MAX_PATH) return false;
    if (folder.usable && ansiName != nullptr) {
        size_t nameLength = std::char_traits<char>::length(ansiName);
        // What the whole path's conversion would not have had room for.
        if (folder.length + nameLength + 1 > MAX_PATH) return false;
        walked->paths.append(folder.path, folder.length);
        walked->paths.append(ansiName, nameLength + 1);
    } else {
        Song song;
        if (!songOf(path, size, &song)) return false;
        walked->paths.append(song.ansi.c_str(), song.ansi.size() + 1);
        if (!song.wide.empty()) walked->widePaths.push_back({walked->sizes.size(), song.wide});
    }
    walked->sizes.push_back(size);
    InterlockedIncrement(&filesSeen);
    return true;
}

void showProgress() {
    char files[32];
    char folders[32];
    Console::progress("Scanning: %s files in %s folders", Console::count(static_cast<size_t>(filesSeen), files, sizeof files),
                      Console::count(static_cast<size_t>(foldersSeen), folders, sizeof folders));
}

// Depth first, in name order. Touches nothing shared but the two counters, so any
// thread may run it; only the first says how far it has got.
void walk(const std::wstring& folder, Walked* walked, bool showsProgress) {
    Listing listing;
    if (!listFolder(folder, &listing)) {
        walked->problems.push_back(problemWith(folder, "cannot be read"));
        return;
    }
    if (showsProgress) showProgress();
    FolderInAnsi ansi;
    folderInAnsi(folder, &ansi);
    std::wstring path = folder;  // each entry's path in turn, in one buffer
    for (const Listing::Entry& entry : listing.entries) {
        path.resize(folder.size());
        path.append(listing.nameOf(entry), entry.length);
        if (entry.isFolder) {
            walk(path + L"\\", walked, showsProgress);
            continue;
        }
        if (!addSong(path, ansi, listing.ansiNameOf(entry), entry.size, walked)) {
            walked->problems.push_back(problemWith(path, "the path is too long for the player"));
        }
    }
}

// Lists every subtree of `plan` once, replacing it by what it holds.
void listOneLevel(std::vector<Item>* plan) {
    std::vector<Item> next;
    Listing listing;
    for (Item& item : *plan) {
        if (item.kind != Item::Kind::Subtree) {
            next.push_back(item);
            continue;
        }
        if (!listFolder(item.path, &listing)) {
            next.push_back(Item{Item::Kind::Problem, item.path, Song(), problemWith(item.path, "cannot be read")});
            continue;
        }
        for (const Listing::Entry& entry : listing.entries) {
            std::wstring path = item.path + std::wstring(listing.nameOf(entry), entry.length);
            Item child{entry.isFolder ? Item::Kind::Subtree : Item::Kind::Song, path + (entry.isFolder ? L"\\" : L""),
                       Song(), std::string()};
            if (!entry.isFolder && !songOf(path, entry.size, &child.song)) {
                child = Item{Item::Kind::Problem, path, Song(), problemWith(path, "the path is too long for the player")};
            } else if (!entry.isFolder) {
                InterlockedIncrement(&filesSeen);
            }
            next.push_back(child);
        }
    }
    plan->swap(next);
}

size_t subtreesIn(const std::vector<Item>& plan) {
    size_t count = 0;
    for (const Item& item : plan) count += item.kind == Item::Kind::Subtree ? 1 : 0;
    return count;
}

struct Work {
    std::vector<const Item*> subtrees;
    std::vector<Walked>* walked;
    volatile LONG next;
};

// Takes the next subtree not yet taken, by any thread, until none is left.
void walkSubtrees(Work* work, bool showsProgress) {
    for (;;) {
        LONG index = InterlockedIncrement(&work->next) - 1;
        if (index >= static_cast<LONG>(work->subtrees.size())) return;
        size_t taken = static_cast<size_t>(index);
        walk(work->subtrees[taken]->path, &(*work->walked)[taken], showsProgress);
    }
}

DWORD WINAPI helpWalking(LPVOID parameter) {
    walkSubtrees(static_cast<Work*>(parameter), false);
    return 0;
}

void walkInParallel(Work* work) {
    HANDLE helpers[WALKING_THREADS] = {};
    for (int t = 1; t < WALKING_THREADS; ++t) helpers[t] = SideThread::start(helpWalking, work);
    // This thread walks too, and shows the progress of both; where a helper could not be
    // had, it has walked that one's share too, and finish() finds nothing left.
    walkSubtrees(work, true);
    for (int t = 1; t < WALKING_THREADS; ++t) SideThread::finish(helpers[t], helpWalking, work);
}

// One song into the collection; false when it is full.
bool collect(const Song& song) {
    return SongCollection::add(song.ansi.c_str(), song.wide.empty() ? nullptr : song.wide.c_str(), song.size);
}

}  // namespace

bool addFolder(const WCHAR* folder) {
    std::wstring top = folder;
    if (top.size() >= MAX_PATH - 1) {
        Console::err("loudmark-db: %s: the path is too long\n", ansiOf(top).c_str());
        return false;
    }
    if (!top.empty() && top.back() != L'\\' && top.back() != L'/') top += L"\\";
    filesSeen = 0;
    foldersSeen = 0;
    lookUpBasicListing();

    std::vector<Item> plan = {Item{Item::Kind::Subtree, top, Song(), std::string()}};
    for (int level = 0; level < LEVELS_LISTED_FIRST; ++level) {
        size_t subtrees = subtreesIn(plan);
        if (subtrees == 0 || subtrees >= SUBTREES_WANTED) break;
        listOneLevel(&plan);
    }
    Work work;
    for (const Item& item : plan) {
        if (item.kind == Item::Kind::Subtree) work.subtrees.push_back(&item);
    }
    std::vector<Walked> walked(work.subtrees.size());
    work.walked = &walked;
    work.next = 0;
    walkInParallel(&work);
    Console::endProgress();
    size_t songs = plan.size();
    size_t ansiBytes = 0;
    for (const Walked& part : walked) {
        songs += part.sizes.size();
        ansiBytes += part.paths.size();
    }
    SongCollection::makeRoomFor(songs, ansiBytes);

    bool complete = true;
    size_t subtree = 0;
    for (const Item& item : plan) {
        if (item.kind == Item::Kind::Song) {
            complete = collect(item.song) && complete;
        } else if (item.kind == Item::Kind::Problem) {
            Console::err("%s", item.problem.c_str());
            complete = false;
        } else {
            const Walked& part = walked[subtree++];
            const char* ansi = part.paths.c_str();
            size_t wide = 0;
            for (size_t song = 0; song < part.sizes.size(); ++song) {
                const WCHAR* widePath = nullptr;
                if (wide < part.widePaths.size() && part.widePaths[wide].first == song) {
                    widePath = part.widePaths[wide++].second.c_str();
                }
                complete = SongCollection::add(ansi, widePath, part.sizes[song]) && complete;
                ansi += std::char_traits<char>::length(ansi) + 1;
            }
            for (const std::string& problem : part.problems) Console::err("%s", problem.c_str());
            complete = complete && part.problems.empty();
        }
    }
    return complete;
}

}  // namespace FolderScan
