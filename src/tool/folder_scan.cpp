#include "tool/folder_scan.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

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

struct Entry {
    std::wstring name;
    bool isFolder;
    int size;  // as the open finds it; SIZE_UNKNOWN for a link, whose listing tells its own
};

struct Song {
    std::string ansi;
    std::wstring wide;  // empty unless the ANSI path lost letters
    int size;
};

// A subtree's songs in order, and what could not be read in it.
struct Walked {
    std::vector<Song> songs;
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

bool before(const Entry& a, const Entry& b) {
    size_t length = std::min(a.name.size(), b.name.size());
    for (size_t i = 0; i < length; ++i) {
        if (folded(a.name[i]) != folded(b.name[i])) return folded(a.name[i]) < folded(b.name[i]);
    }
    return a.name.size() < b.name.size();
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

// The entries of one folder in name order; false when it cannot be listed.
bool listFolder(const std::wstring& folder, std::vector<Entry>* entries) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // nothing in it
    do {
        if (isDots(data.cFileName)) continue;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        // A link to a folder is neither walked into nor a song.
        if (isFolder && link) continue;
        int size = link ? DatabaseMaintenance::SongList::SIZE_UNKNOWN : static_cast<int>(data.nFileSizeLow);
        entries->push_back(Entry{data.cFileName, isFolder, size});
    } while (FindNextFileW(find, &data));
    bool finished = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    std::sort(entries->begin(), entries->end(), before);
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
    std::vector<Entry> entries;
    if (!listFolder(folder, &entries)) {
        walked->problems.push_back(problemWith(folder, "cannot be read"));
        return;
    }
    if (showsProgress) showProgress();
    for (const Entry& entry : entries) {
        std::wstring path = folder + entry.name;
        if (entry.isFolder) {
            walk(path + L"\\", walked, showsProgress);
            continue;
        }
        Song song;
        if (songOf(path, entry.size, &song)) {
            walked->songs.push_back(song);
        } else {
            walked->problems.push_back(problemWith(path, "the path is too long for the player"));
        }
    }
}

// Lists every subtree of `plan` once, replacing it by what it holds.
void listOneLevel(std::vector<Item>* plan) {
    std::vector<Item> next;
    for (Item& item : *plan) {
        if (item.kind != Item::Kind::Subtree) {
            next.push_back(item);
            continue;
        }
        std::vector<Entry> entries;
        if (!listFolder(item.path, &entries)) {
            next.push_back(Item{Item::Kind::Problem, item.path, Song(), problemWith(item.path, "cannot be read")});
            continue;
        }
        for (const Entry& entry : entries) {
            std::wstring path = item.path + entry.name;
            Item child{entry.isFolder ? Item::Kind::Subtree : Item::Kind::Song, path + (entry.isFolder ? L"\\" : L""),
                       Song(), std::string()};
            if (!entry.isFolder && !songOf(path, entry.size, &child.song)) {
                child = Item{Item::Kind::Problem, path, Song(), problemWith(path, "the path is too long for the player")};
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
    for (int t = 1; t < WALKING_THREADS; ++t) {
        DWORD id = 0;  // Windows 95 and 98 refuse a null one
        helpers[t] = CreateThread(nullptr, 0, helpWalking, work, 0, &id);
    }
    // This thread walks too, and shows the progress of both.
    walkSubtrees(work, true);
    for (int t = 1; t < WALKING_THREADS; ++t) {
        if (helpers[t] == nullptr) continue;  // a thread not to be had: this one did its share
        WaitForSingleObject(helpers[t], INFINITE);
        CloseHandle(helpers[t]);
    }
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
            for (const Song& song : part.songs) complete = collect(song) && complete;
            for (const std::string& problem : part.problems) Console::err("%s", problem.c_str());
            complete = complete && part.problems.empty();
        }
    }
    return complete;
}

}  // namespace FolderScan
