// list: every record, as the plug-in reads the database.
#include <stdlib.h>

#include <algorithm>

#include "adapters/bounded_text.h"
#include "memory/volume_database.h"
#include "tool/command_support.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/database_records.h"
#include "tool/exit_codes.h"
#include "tool/list_output.h"

namespace Commands {

namespace {

using DatabaseRecords::Record;

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
    std::vector<Record> records;
    int status = ExitCode::OK;
    if (!CommandSupport::readRecords(location, &records, &status)) return status;
    sortRecords(&records, arguments.sort);
    ListOutput::print(records, arguments.format, arguments.reference, location.databasePath);
    return status;
}

}  // namespace Commands
