#include "tool/database_file.h"

#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "adapters/bounded_text.h"
#include "adapters/heap_buffer.h"
#include "adapters/profile_encoding.h"
#include "adapters/profile_file.h"
#include "adapters/side_thread.h"
#include "memory/database_index.h"
#include "memory/database_swap.h"
#include "memory/song_key.h"
#include "memory/volume_database.h"
#include "tool/console.h"
#include "tool/exit_codes.h"
#include "tool/file_bytes.h"

namespace DatabaseFile {

namespace {

// The class of the player's main window, as the installer looks for it.
constexpr char PLAYER_WINDOW_CLASS[] = "Winamp v1.x";

// ---------------------------------------------------------------------------------------
// The line check: the database read as the text file it is, line by line

struct Line {
    const char* text;
    size_t length;
};

// A key as the text spells it, compared as the platform compares keys (ASCII case
// ignored): no copy of it, since a large database has a hundred thousand.
struct KeySeen {
    const char* text;
    uint32_t length;
    uint32_t hash;  // of the folded key
    size_t line;
};

struct Problem {
    size_t line;
    std::string what;
};

struct Check {
    std::vector<Problem> problems;  // said in line order once all are found
    std::vector<KeySeen> keys;
    long notWholeNumbers = 0;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

Line trimmed(const char* text, size_t length) {
    while (length > 0 && (isBlank(text[length - 1]) || text[length - 1] == '\r')) --length;
    while (length > 0 && isBlank(*text)) {
        ++text;
        --length;
    }
    return Line{text, length};
}

void report(Check* check, size_t line, const char* what) { check->problems.push_back(Problem{line, what}); }

// "[name]" of our section, in any letter case.
bool isOurSection(const Line& line) {
    if (line.length < 2 || line.text[0] != '[') return false;
    size_t close = 1;
    while (close < line.length && line.text[close] != ']') ++close;
    Line name = trimmed(line.text + 1, close - 1);
    return close < line.length && name.length == sizeof SECTION_NAME - 1 &&
           ProfileFile::sameKey(name.text, SECTION_NAME, name.length);
}

bool isWholeNumber(const Line& value) {
    size_t i = value.length > 0 && (value.text[0] == '-' || value.text[0] == '+') ? 1 : 0;
    if (i == value.length) return false;
    for (; i < value.length; ++i) {
        if (value.text[i] < '0' || value.text[i] > '9') return false;
    }
    return true;
}

bool isSongKey(const Line& key) {
    SongKeyParts parts;
    return SongKey::parse(key.text, key.length, &parts);
}

size_t lastEquals(const Line& line) {
    size_t at = line.length;
    while (at > 0 && line.text[at - 1] != '=') --at;
    return at - 1;  // the caller knows there is one
}

void checkRecordLine(Check* check, size_t number, const Line& line) {
    size_t equals = 0;
    while (equals < line.length && line.text[equals] != '=') ++equals;
    if (equals == line.length) {
        report(check, number, "no '=': not a record");
        return;
    }
    // The platform's key ends at the first '='; only the first of equal keys is read.
    Line key = trimmed(line.text, equals);
    uint32_t hash = DatabaseIndex::hashOf(key.text, key.length);
    check->keys.push_back(KeySeen{key.text, static_cast<uint32_t>(key.length), hash, number});
    if (!isSongKey(key)) {
        // A '=' in the song's name: a record all the same, which list marks.
        size_t last = lastEquals(line);
        if (last != equals && isSongKey(trimmed(line.text, last))) return;
        report(check, number, "not a song key (\"name[size]\" in quotes): the plug-in never reads it");
        return;
    }
    Line value = trimmed(line.text + equals + 1, line.length - equals - 1);
    int read = DatabaseIndex::valueOf(value.text, value.length);
    char what[160];
    if (value.length == 0) {
        report(check, number, "no value: not a record");
    } else if (!isWholeNumber(value)) {
        snprintf(what, sizeof what, "the value \"%.40s\" is not a whole number; the plug-in reads it as %d",
                 std::string(value.text, value.length).c_str(), read);
        report(check, number, what);
        ++check->notWholeNumbers;
    } else if (read == VolumeDatabase::NO_RECORD) {
        report(check, number, "the value -1 reads as no record");
    }
}

// Negative, zero or positive as `a` sorts before, with or after `b`: by hash, then by
// the folded key; equal keys by line.
int compareKeys(const KeySeen& a, const KeySeen& b) {
    if (a.hash != b.hash) return a.hash < b.hash ? -1 : 1;
    if (a.length != b.length) return a.length < b.length ? -1 : 1;
    for (uint32_t i = 0; i < a.length; ++i) {
        unsigned char x = ProfileFile::folded(a.text[i]);
        unsigned char y = ProfileFile::folded(b.text[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

// Keys that come again: only the first is ever read.
void reportDuplicates(Check* check) {
    std::sort(check->keys.begin(), check->keys.end(), [](const KeySeen& a, const KeySeen& b) {
        int order = compareKeys(a, b);
        return order != 0 ? order < 0 : a.line < b.line;
    });
    std::vector<std::pair<size_t, size_t>> repeats;  // (line, the first line of its key)
    size_t groupStart = 0;
    for (size_t i = 1; i < check->keys.size(); ++i) {
        if (compareKeys(check->keys[i], check->keys[groupStart]) != 0) {
            groupStart = i;
            continue;
        }
        repeats.push_back({check->keys[i].line, check->keys[groupStart].line});
    }
    std::sort(repeats.begin(), repeats.end());
    for (const auto& repeat : repeats) {
        char what[96];
        snprintf(what, sizeof what, "the same key as line %lu: never read", static_cast<unsigned long>(repeat.second));
        report(check, repeat.first, what);
    }
}

// Calls `onRecordLine` for every line of the first section of our name (the one the
// platform reads), `onSecondSection` for the header of any later one; with line numbers.
template <typename RecordLine, typename SecondSection>
void walkLines(const std::vector<char>& bytes, RecordLine onRecordLine, SecondSection onSecondSection) {
    size_t start = 0;
    bool seenOurs = false;
    bool inOurs = false;
    size_t number = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\n') ++end;
        ++number;
        Line line = trimmed(bytes.data() + start, end - start);
        start = end + 1;
        if (line.length == 0 || line.text[0] == ';') continue;
        if (line.text[0] == '[') {
            bool ours = isOurSection(line);
            if (ours && seenOurs) onSecondSection(number);
            inOurs = ours && !seenOurs;
            seenOurs = seenOurs || ours;
            continue;
        }
        if (inOurs) onRecordLine(number, line);
    }
}

// Finds every line of the text the plug-in cannot read as a record, in line order.
void findProblems(const std::vector<char>& bytes, Check* check) {
    walkLines(
        bytes, [check](size_t number, const Line& line) { checkRecordLine(check, number, line); },
        [check](size_t number) {
            report(check, number, "a second [Tamsel Loudmark] section: the plug-in never reads its records");
        });
    reportDuplicates(check);
    std::stable_sort(check->problems.begin(), check->problems.end(),
                     [](const Problem& a, const Problem& b) { return a.line < b.line; });
}

// Says what the check found, in line order; the number of lines into `text`.
void sayProblems(const char* databasePath, const Check& check, Text* text) {
    for (const Problem& problem : check.problems) {
        Console::err("%s:%lu: %s\n", databasePath, static_cast<unsigned long>(problem.line), problem.what.c_str());
    }
    text->problems = static_cast<long>(check.problems.size());
    text->notWholeNumbers = check.notWholeNumbers;
}

// Found and said at once.
void reportProblems(const char* databasePath, Text* text) {
    Check check;
    findProblems(text->bytes, &check);
    sayProblems(databasePath, check, text);
}

// The check of a pass's text, on a thread of its own while the songs are gathered.
struct PassCheck {
    const char* databasePath = nullptr;
    Text* text = nullptr;
    bool loadIndex = false;
    Check check;
    bool indexLoaded = false;
    HANDLE thread = nullptr;
    bool running = false;  // started, and not yet said
};
PassCheck passCheck;

DWORD WINAPI checkBeside(LPVOID) {
    findProblems(passCheck.text->bytes, &passCheck.check);
    if (passCheck.loadIndex) {
        passCheck.indexLoaded = DatabaseIndex::loadText(passCheck.text->bytes.data(), passCheck.text->bytes.size());
    }
    return 0;
}

void finishBeforeErrors() { finishCheck(); }

// ---------------------------------------------------------------------------------------
// Records taken apart

// `"name[size]"` taken apart; false when the text is not one.
bool songKey(const char* key, size_t length, Record* record) {
    SongKeyParts parts;
    if (!SongKey::parse(key, length, &parts)) return false;
    record->name.assign(parts.name, parts.nameLength);
    record->size = parts.size;
    return true;
}

// A line of the section the platform split at a '=' inside the song's name: the name
// runs on into what it read as the value, and the line's last '=' ends the key.
bool splitInName(const char* line, size_t length, Record* record) {
    size_t equals = length;
    while (equals > 0 && line[equals - 1] != '=') --equals;
    if (equals == 0) return false;
    if (!songKey(line, equals - 1, record)) return false;
    record->value = DatabaseIndex::valueOf(line + equals, length - equals);
    return true;
}

void collect(void* context, DatabaseIndex::Record& indexed) {
    if (indexed.value == VolumeDatabase::NO_RECORD) return;
    std::vector<Record>* records = static_cast<std::vector<Record>*>(context);
    Record record{std::string(), 0, indexed.value, Unmatchable::No};
    if (songKey(indexed.key, indexed.keyLength, &record)) {
        // A size of -1 matches too: a stream, or a song whose file is missing again.
    } else if (splitInName(indexed.key, indexed.lineLength, &record)) {
        record.unmatchable = Unmatchable::EqualsInName;
    } else {
        record = Record{std::string(indexed.key, indexed.keyLength), 0, indexed.value, Unmatchable::NotASongKey};
    }
    records->push_back(record);
}

// ---------------------------------------------------------------------------------------
// Reading and writing

const char* const UNICODE_TEXT = "was saved as Unicode text (it begins with a byte-order mark)";

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
    DWORD attributes = GetFileAttributesA(location.databasePath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Console::err("loudmark-db: %s is a folder: name the database file itself (volume.ini in it)\n",
                     location.databasePath);
    } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        Console::err("loudmark-db: no volume database at %s\n", location.databasePath);
        if (location.playerFolder[0] != '\0' && !location.playerFound) {
            Console::err("loudmark-db: no player found (looked in the registry and in %s); name the database with --database\n",
                         location.playerFolder);
        }
    } else {
        char reason[256];
        reasonFor(error, reason, sizeof reason);
        Console::err("loudmark-db: %s cannot be opened (%s)%s\n", location.databasePath, reason,
                     error == ERROR_SHARING_VIOLATION ? ": another program holds it" : "");
    }
}

}  // namespace

int read(const DatabaseLocation::Found& location, Text* text, bool* present, Purpose purpose) {
    // What Windows 9x still holds in its profile cache goes to the file first.
    ProfileFile::flush(location.databasePath);
    text->bytes.clear();
    text->fromUnicode = false;
    HANDLE file = FileBytes::open(location.databasePath);
    if (present != nullptr) *present = file != INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        sayNotOpened(location, GetLastError());
        return ExitCode::DATABASE_MISSING;
    }
    std::vector<char> bytes;
    HeapBuffer plain;
    bool read = FileBytes::readAll(file, LARGEST_DATABASE, &bytes);
    ProfileEncoding::Outcome encoding =
        read ? ProfileEncoding::toPlain(bytes.data(), bytes.size(), &plain) : ProfileEncoding::Outcome::Plain;
    if (encoding == ProfileEncoding::Outcome::MadePlain) {
        text->bytes.assign(plain.bytes, plain.bytes + plain.length);
        text->fromUnicode = true;
    } else {
        text->bytes.swap(bytes);
    }
    plain.release();
    if (!read || encoding == ProfileEncoding::Outcome::NotMadePlain) {
        Console::err("loudmark-db: %s cannot be read\n", location.databasePath);
        if (present != nullptr) *present = false;
        return ExitCode::DATABASE_MISSING;
    }
    if (text->fromUnicode && purpose == Purpose::Show) {
        Console::err("loudmark-db: %s %s: read as the plug-in will read it once it is plain text again, and left as "
                     "it is\n",
                     location.databasePath, UNICODE_TEXT);
    }
    // A pass's check runs beside the gathering of its songs (startCheck).
    if (purpose == Purpose::Pass) return ExitCode::OK;
    if (purpose != Purpose::Edit) reportProblems(location.databasePath, text);
    if (text->problems == 0) return ExitCode::OK;
    Console::err("loudmark-db: %ld line%s of %s the plug-in cannot read as records\n", text->problems,
                 text->problems == 1 ? "" : "s", location.databasePath);
    return ExitCode::DATABASE_LINES;
}

void startCheck(const DatabaseLocation::Found& location, Text* text, bool loadIndex) {
    passCheck.databasePath = location.databasePath;
    passCheck.text = text;
    passCheck.loadIndex = loadIndex;
    passCheck.check = Check();
    passCheck.indexLoaded = false;
    passCheck.running = true;
    passCheck.thread = SideThread::start(checkBeside, nullptr);
    // Its findings come before anything else said on standard error.
    Console::beforeNextError(finishBeforeErrors);
}

bool finishCheck() {
    if (!passCheck.running) return !passCheck.loadIndex || passCheck.indexLoaded;
    passCheck.running = false;
    Console::beforeNextError(nullptr);
    SideThread::finish(passCheck.thread, checkBeside, nullptr);  // without a thread, checked here
    passCheck.thread = nullptr;
    sayProblems(passCheck.databasePath, passCheck.check, passCheck.text);
    passCheck.check = Check();
    return !passCheck.loadIndex || passCheck.indexLoaded;
}

bool present(const DatabaseLocation::Found& location) {
    HANDLE file = FileBytes::open(location.databasePath);
    if (file == INVALID_HANDLE_VALUE) {
        sayNotOpened(location, GetLastError());
        return false;
    }
    CloseHandle(file);
    return true;
}

const char* reasonOf(Unmatchable unmatchable) {
    switch (unmatchable) {
        case Unmatchable::EqualsInName: return "'=' in the name";
        case Unmatchable::NotASongKey: return "not a song key";
        case Unmatchable::No: break;
    }
    return "";
}

bool records(const Text& text, std::vector<Record>* records) {
    records->clear();
    if (!DatabaseIndex::loadText(text.bytes.data(), text.bytes.size())) return false;
    DatabaseIndex::forEach(collect, records);
    DatabaseIndex::release();
    return true;
}

size_t linesOf(const Text& text, const char* quotedKey) {
    size_t keyLength = BoundedText::length(quotedKey, SONG_KEY_CAPACITY);
    size_t found = 0;
    walkLines(
        text.bytes,
        [&](size_t, const Line& line) {
            size_t equals = 0;
            while (equals < line.length && line.text[equals] != '=') ++equals;
            Line key = trimmed(line.text, equals);
            if (key.length == keyLength && ProfileFile::sameKey(key.text, quotedKey, keyLength)) ++found;
        },
        [](size_t) {});
    return found;
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
    if (probe == INVALID_HANDLE_VALUE) {
        char reason[256];
        reasonFor(GetLastError(), reason, sizeof reason);
        if (hadRebuild) {
            Console::err("loudmark-db: %s, left by an earlier write, cannot be replaced (%s): another program may hold "
                         "it\n",
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
    CloseHandle(probe);
    if (!hadRebuild) DeleteFileA(rebuildPath);
    // The profile functions of Windows would take the mark for part of the first line,
    // miss our section, and add a second one.
    switch (ProfileEncoding::makePlain(location.databasePath, DatabaseSwap::replaceWith)) {
        case ProfileEncoding::Outcome::Plain: return true;
        case ProfileEncoding::Outcome::MadePlain:
            Console::err("loudmark-db: %s %s, which Windows' profile functions cannot read: written back as plain "
                         "text, every line kept\n",
                         location.databasePath, UNICODE_TEXT);
            return true;
        case ProfileEncoding::Outcome::NotMadePlain: break;
    }
    Console::err("loudmark-db: %s %s, and it could not be written back as plain text; it is as it was\n",
                 location.databasePath, UNICODE_TEXT);
    return false;
}

void sayNotWritten(const DatabaseLocation::Found& location, const char* what, DWORD error) {
    char reason[256] = "";
    if (error != ERROR_SUCCESS) reasonFor(error, reason, sizeof reason);
    Console::err("loudmark-db: %s could not be %s%s%s%s; it is as it was\n", location.databasePath, what,
                 reason[0] != '\0' ? " (" : "", reason, reason[0] != '\0' ? ")" : "");
}

int saidAfterPass(const DatabaseLocation::Found& location, const Text& text, bool dryRun) {
    if (text.problems == 0) return ExitCode::OK;
    const char* lines = text.problems == 1 ? "line" : "lines";
    if (dryRun) {
        Console::err("loudmark-db: %ld %s of %s the plug-in cannot read as records: a clean drops them\n", text.problems,
                     lines, location.databasePath);
        return ExitCode::DATABASE_LINES;
    }
    Console::err("loudmark-db: dropped %ld %s of %s the plug-in cannot read as records%s\n", text.problems, lines,
                 location.databasePath,
                 text.notWholeNumbers > 0 ? " (a value that was no whole number is kept as the number it read)" : "");
    return ExitCode::OK;
}

void sayNotPassedAsUnicode(const DatabaseLocation::Found& location) {
    Console::err("loudmark-db: %s %s: the plug-in's pass reads only plain text, and a dry run leaves the file as it "
                 "is\n",
                 location.databasePath, UNICODE_TEXT);
}

}  // namespace DatabaseFile
