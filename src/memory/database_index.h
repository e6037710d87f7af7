// The volume database read into memory: every record of our section, found by its key
// as the platform's profile functions would find it (letter case of ASCII ignored, the
// first of equal keys wins, keys of a later section of the same name not at all), with
// its value read as GetPrivateProfileIntA reads it. A maintenance pass (and the database
// tool) loads it afresh; the tracker keeps it between songs, so that a song's record is
// found at once however large the database is, and reads the file again only when
// someone else has changed it.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace DatabaseIndex {

struct Record {
    const char* key;  // as the file spells it
    uint32_t keyLength;
    uint32_t lineLength;  // the whole line from `key` on, "=value" included
    uint32_t hash;
    int value;     // -1 (no record) for a line without '=' or with an empty value
    bool written;  // already in the rebuild file
    bool trimmed;  // met on the list, inside the trim band
};

// Reads the section of `databasePath` from the file itself. False when the file could
// not be read whole, or memory ran out: a pass must then leave the database alone, since
// a record it could not read would be lost.
bool load(const char* databasePath);
// The same from a database's text already in memory (the database tool reads a file
// saved as Unicode text so, converted as the plug-in will convert it).
bool loadText(const char* bytes, size_t length);
// The record whose key equals `quotedKey` as the platform compares keys, or null.
Record* find(const char* quotedKey);
Record* find(const char* quotedKey, size_t keyLength);
// The records of `count` keys at once (at most MANY_AT_ONCE), into `found`: each key's
// first look into the table is taken beside the others', so that memory serves them
// side by side rather than one after another.
constexpr int MANY_AT_ONCE = 32;
void findMany(const char* const* quotedKeys, const size_t* keyLengths, int count, Record** found);
// Every record the platform would find, in the file's order: of equal keys, the first.
void forEach(void (*visit)(void* context, Record& record), void* context);
void release();

// The database at `databasePath` read into memory for the tracker, unless it is there
// already as the file now stands: at start-up, so that the first song's record is found
// at once too. False when the file cannot be read whole now.
bool follow(const char* databasePath);
// The tracker's read: the value under `quotedKey` in the database at `databasePath`
// (-1 when there is none), from memory while the file is as we last saw it. False when
// the file cannot be read whole now: the caller asks the platform instead.
bool lookUp(const char* databasePath, const char* quotedKey, int* value);
// A value the profile functions have just written under `quotedKey`: the index keeps
// step, and takes the file as it is now for one it has seen.
void noteWritten(const char* databasePath, const char* quotedKey, int value);

// The hash a key is filed under: the same for keys the platform takes as equal.
uint32_t hashOf(const char* key, size_t length);

// How GetPrivateProfileIntA turns a value as the section lists it into a number (with
// -1 as its default): quotes dropped, the first 29 characters, then the platform's own
// reading of digits.
int valueOf(const char* text, size_t length);

}  // namespace DatabaseIndex
