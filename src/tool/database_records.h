// The database's records as the plug-in reads them (DatabaseIndex: the first section of
// our name, the first of equal keys, each value read as GetPrivateProfileIntA reads it),
// with each key taken apart into the song's name and size.
#pragma once

#include <string>
#include <vector>

namespace DatabaseRecords {

// Why the plug-in can never find a record again.
enum class Unmatchable {
    No,
    EqualsInName,  // the profile format splits the line at the name's '='
    NotASongKey,   // not "name[size]" in quotes: never a key the plug-in builds
};

struct Record {
    std::string name;   // the song's file name; for a key that is none, the key itself
    long long size;     // -1 when the file could not be opened; 0 for a key that is none
    int value;          // the stored number
    Unmatchable unmatchable;
};

// False when the database could not be read (or memory ran out). Lines that hold no
// record (no value, or -1) are left out.
bool load(const char* databasePath, std::vector<Record>* records);

const char* reasonOf(Unmatchable unmatchable);

}  // namespace DatabaseRecords
