#include "tool/database_check.h"

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "adapters/profile_file.h"
#include "memory/database_index.h"
#include "memory/song_key.h"
#include "memory/volume_database.h"
#include "tool/console.h"
#include "tool/file_bytes.h"

namespace DatabaseCheck {

namespace {

struct Line {
    const char* text;
    size_t length;
};

struct KeySeen {
    std::string folded;  // compared as the platform compares keys: ASCII case ignored
    size_t line;
};

struct Check {
    const char* path;
    long problems = 0;
    std::vector<KeySeen> keys;
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

std::string folded(const Line& key) {
    std::string out(key.text, key.length);
    for (char& c : out) c = static_cast<char>(ProfileFile::folded(c));
    return out;
}

void report(Check* check, size_t line, const char* what) {
    Console::err("%s:%lu: %s\n", check->path, static_cast<unsigned long>(line), what);
    ++check->problems;
}

// "[name]" of our section, in any letter case.
bool isOurSection(const Line& line) {
    if (line.length < 2 || line.text[0] != '[') return false;
    size_t close = 1;
    while (close < line.length && line.text[close] != ']') ++close;
    Line name = trimmed(line.text + 1, close - 1);
    std::string wanted = folded(Line{SECTION_NAME, sizeof SECTION_NAME - 1});
    return close < line.length && folded(name) == wanted;
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
    check->keys.push_back(KeySeen{folded(key), number});
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
    } else if (read == VolumeDatabase::NO_RECORD) {
        report(check, number, "the value -1 reads as no record");
    }
}

// Keys that come again: only the first is ever read.
void reportDuplicates(Check* check) {
    std::stable_sort(check->keys.begin(), check->keys.end(),
                     [](const KeySeen& a, const KeySeen& b) { return a.folded < b.folded; });
    std::vector<std::pair<size_t, size_t>> repeats;  // (line, the first line of its key)
    size_t groupStart = 0;
    for (size_t i = 1; i < check->keys.size(); ++i) {
        if (check->keys[i].folded != check->keys[groupStart].folded) {
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
    size_t start = FileBytes::byteOrderMark(bytes);
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

}  // namespace

long reportProblems(const char* databasePath, const std::vector<char>& bytes) {
    Check check;
    check.path = databasePath;
    walkLines(
        bytes, [&check](size_t number, const Line& line) { checkRecordLine(&check, number, line); },
        [&check](size_t number) {
            report(&check, number, "a second [Tamsel Loudmark] section: the plug-in never reads its records");
        });
    reportDuplicates(&check);
    return check.problems;
}

size_t linesOf(const std::vector<char>& bytes, const char* quotedKey) {
    size_t keyLength = 0;
    while (quotedKey[keyLength] != '\0') ++keyLength;
    size_t found = 0;
    walkLines(
        bytes,
        [&](size_t, const Line& line) {
            size_t equals = 0;
            while (equals < line.length && line.text[equals] != '=') ++equals;
            Line key = trimmed(line.text, equals);
            if (key.length == keyLength && ProfileFile::sameKey(key.text, quotedKey, keyLength)) ++found;
        },
        [](size_t) {});
    return found;
}

}  // namespace DatabaseCheck
