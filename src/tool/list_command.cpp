// list: every record, as the plug-in reads the database, as a table for the listener,
// CSV for a spreadsheet, or JSON for a script. Every number as the plug-in sees it: the
// stored value, its distance from the reference in volume steps (0..255 scale), and the
// volume the song would start at with the given reference.
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "adapters/bounded_text.h"
#include "memory/volume_database.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/database_file.h"
#include "tool/exit_codes.h"
#include "tool/text_encoding.h"

namespace Commands {

namespace {

using DatabaseFile::Record;
using DatabaseFile::Unmatchable;

long long stepsOf(const Record& record) { return VolumeDatabase::stepsFromReference(record.value); }

int volumeAt(const Record& record, int reference) {
    return VolumeDatabase::clampToHostScale(VolumeDatabase::volumeToApply(record.value, reference));
}

std::string displayName(const Record& record) {
    if (record.unmatchable == Unmatchable::NotASongKey) return record.name;
    return record.name + "[" + std::to_string(record.size) + "]";
}

// The largest value the plug-in writes: a song ended at 255 with the reference at 0.
constexpr int STORED_VALUE_MAX = 2 * VolumeDatabase::HOST_VOLUME_MAX;

// The columns as wide as their widest number, so that a hand-edited value far out of
// range keeps them aligned; such a value is marked, as the plug-in never writes one.
void printTable(const std::vector<Record>& records, int reference, const char* databasePath) {
    int valueWidth = 7;
    int stepsWidth = 6;
    for (const Record& record : records) {
        valueWidth = std::max(valueWidth, snprintf(nullptr, 0, "%d", record.value));
        stepsWidth = std::max(stepsWidth, snprintf(nullptr, 0, "%+lld", stepsOf(record)));
    }
    Console::out("%*s %*s  volume  song\n", valueWidth, "value", stepsWidth, "steps");
    size_t unmatchable = 0;
    for (const Record& record : records) {
        Console::out("%*d %+*lld  %6d  ", valueWidth, record.value, stepsWidth, stepsOf(record), volumeAt(record, reference));
        std::string name = displayName(record);
        Console::outText(name.c_str(), name.size());
        const char* mark = "   <- ";
        if (record.unmatchable != Unmatchable::No) {
            ++unmatchable;
            Console::out("%snever matched: %s", mark, DatabaseFile::reasonOf(record.unmatchable));
            mark = "; ";
        }
        if (record.value < 0 || record.value > STORED_VALUE_MAX) {
            Console::out("%soutside 0..%d: the plug-in never writes it", mark, STORED_VALUE_MAX);
        }
        Console::outText("\n");
    }
    char total[32];
    char never[32];
    Console::out("%s record%s in %s; volumes at reference %d", Console::count(records.size(), total, sizeof total),
                 records.size() == 1 ? "" : "s", databasePath, reference);
    if (unmatchable > 0) Console::out("; %s never matched", Console::count(unmatchable, never, sizeof never));
    Console::outText("\n");
}

// A field quoted as RFC 4180 has it when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

void printCsv(const std::vector<Record>& records, int reference) {
    Console::outText("name,size,value,steps,volume,never_matched\n");
    for (const Record& record : records) {
        std::string line = csvField(record.name) + ",";
        line += record.unmatchable == Unmatchable::NotASongKey ? "" : std::to_string(record.size);
        char numbers[64];
        snprintf(numbers, sizeof numbers, ",%d,%lld,%d,", record.value, stepsOf(record), volumeAt(record, reference));
        line += numbers;
        line += DatabaseFile::reasonOf(record.unmatchable);
        line += "\n";
        Console::outText(line.c_str(), line.size());
    }
}

// A JSON string from ANSI text: ASCII as it is, everything else as \u escapes of the
// wide characters the code page gives it.
std::string jsonString(const std::string& ansi) {
    std::string out = "\"";
    std::vector<WCHAR> wide(ansi.size() + 1);
    if (!TextEncoding::ansiToWide(ansi.c_str(), wide.data(), wide.size())) wide[0] = 0;
    for (size_t i = 0; wide[i] != 0; ++i) {
        unsigned c = static_cast<unsigned>(wide[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", c & 0xFFFF);
            out += escape;
        }
    }
    return out + "\"";
}

void printJson(const std::vector<Record>& records, int reference, const char* databasePath) {
    std::string head = "{\"database\":" + jsonString(databasePath) + ",\"reference\":" + std::to_string(reference) +
                       ",\"records\":[";
    Console::outText(head.c_str(), head.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& record = records[i];
        std::string line = i == 0 ? "\n" : ",\n";
        line += "{\"name\":" + jsonString(record.name) + ",\"size\":";
        line += record.unmatchable == Unmatchable::NotASongKey ? "null" : std::to_string(record.size);
        char numbers[96];
        snprintf(numbers, sizeof numbers, ",\"value\":%d,\"steps\":%lld,\"volume\":%d,\"never_matched\":", record.value,
                 stepsOf(record), volumeAt(record, reference));
        line += numbers;
        line += record.unmatchable == Unmatchable::No ? "null" : jsonString(DatabaseFile::reasonOf(record.unmatchable));
        line += "}";
        Console::outText(line.c_str(), line.size());
    }
    Console::outText("\n]}\n");
}

void printRecords(const std::vector<Record>& records, ListFormat format, int reference, const char* databasePath) {
    switch (format) {
        case ListFormat::Table: printTable(records, reference, databasePath); break;
        case ListFormat::Csv: printCsv(records, reference); break;
        case ListFormat::Json: printJson(records, reference, databasePath); break;
    }
}

int compareNames(const std::string& a, const std::string& b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        unsigned char x = BoundedText::folded(a[i]);
        unsigned char y = BoundedText::folded(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool byName(const Record& a, const Record& b) {
    int names = compareNames(a.name, b.name);
    return names != 0 ? names < 0 : a.size < b.size;
}

bool byValue(const Record& a, const Record& b) { return a.value < b.value; }

// The farthest from the reference first: the songs whose records matter most.
bool byDistance(const Record& a, const Record& b) {
    return llabs(VolumeDatabase::stepsFromReference(a.value)) > llabs(VolumeDatabase::stepsFromReference(b.value));
}

void sortRecords(std::vector<Record>* records, SortOrder order) {
    switch (order) {
        case SortOrder::File: break;
        case SortOrder::Name: std::stable_sort(records->begin(), records->end(), byName); break;
        case SortOrder::Value: std::stable_sort(records->begin(), records->end(), byValue); break;
        case SortOrder::Distance: std::stable_sort(records->begin(), records->end(), byDistance); break;
    }
}

}  // namespace

int list(const ToolArguments& arguments, const DatabaseLocation::Found& location) {
    if (!arguments.operands.empty()) {
        Console::err("loudmark-db: list takes no operands\n");
        return ExitCode::USAGE;
    }
    DatabaseFile::Text text;
    bool present = false;
    int status = DatabaseFile::read(location, &text, &present);
    if (!present) return status;
    std::vector<Record> records;
    if (!DatabaseFile::records(text, &records)) {
        Console::err("loudmark-db: %s cannot be read\n", location.databasePath);
        return ExitCode::DATABASE_MISSING;
    }
    sortRecords(&records, arguments.sort);
    printRecords(records, arguments.format, arguments.reference, location.databasePath);
    return status;
}

}  // namespace Commands
