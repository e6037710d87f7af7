// The records as list prints them: a table for the listener, CSV for a spreadsheet, or
// JSON for a script. Every number as the plug-in sees it: the stored value, its distance
// from the reference in volume steps (0..255 scale), and the volume the song would start
// at with the given reference.
#pragma once

#include <vector>

#include "tool/command_line.h"
#include "tool/database_records.h"

namespace ListOutput {

void print(const std::vector<DatabaseRecords::Record>& records, ListFormat format, int reference,
           const char* databasePath);

}  // namespace ListOutput
