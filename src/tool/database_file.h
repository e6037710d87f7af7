// The database file as the tool meets it. Read: once, whole, after Windows 9x's profile
// cache has gone to the file, and as the plug-in reads it (a file an editor saved as
// Unicode text converted in memory, as the plug-in converts it at its next start); each
// line the plug-in cannot read as a record reported by its number, as the platform's own
// reading skips them without a word; its records taken apart into song name and size.
// Written: only with the player closed (or --force), never in place, and never while it
// is saved as Unicode text.
#pragma once

#include <stddef.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tool/command_line.h"
#include "tool/database_location.h"

namespace DatabaseFile {

// The largest database the tool reads whole (the plug-in never comes near it).
constexpr DWORD LARGEST_DATABASE = 1024u * 1024 * 1024;

struct Text {
    std::vector<char> bytes;   // as the profile functions read it: plain ANSI text
    bool fromUnicode = false;  // saved as Unicode text, converted here; the file is as it was
    long problems = 0;         // lines the plug-in cannot read as records, each reported
    long notWholeNumbers = 0;  // of which values that are no whole number
};

// What the text is read for: to be shown (a file saved as Unicode text is said to be
// read as the plug-in will read it, and left as it is), for the pass, or for an edit.
enum class Purpose { Show, Pass, Edit };

// The database read into `text`; for Show its lines checked (each problem reported, in
// line order): ExitCode::OK, or DATABASE_LINES when some lines cannot be read as records.
// For Pass the check is left to startCheck. DATABASE_MISSING, having said why, when it
// is not there, cannot be opened or cannot be read; `present` (may be null) is then false.
int read(const DatabaseLocation::Found& location, Text* text, bool* present, Purpose purpose = Purpose::Show);

// A pass's line check, on a thread of its own while the songs are gathered: under Wine
// the folder walk waits on the server with a core to spare. With `loadIndex`, for a dry
// run, the text is also read into DatabaseIndex, so that the pass need not read the file
// again. `text` stays as it is until finishCheck(), which says what the check found (in
// line order; the count into `text`; the word on what became of those lines waits for
// saidAfterPass). Anything said on standard error meanwhile waits for it, so the lines
// come first as ever. finishCheck is false when the index was asked for and could not be
// made (memory ran out).
void startCheck(const DatabaseLocation::Found& location, Text* text, bool loadIndex);
bool finishCheck();

// False, having said so, when there is no database to work on (or it cannot be opened).
bool present(const DatabaseLocation::Found& location);

// Why the plug-in can never find a record again.
enum class Unmatchable {
    No,
    EqualsInName,  // the profile format splits the line at the name's '='
    NotASongKey,   // not "name[size]" in quotes: never a key the plug-in builds
};
const char* reasonOf(Unmatchable unmatchable);

struct Record {
    std::string name;   // the song's file name; for a key that is none, the key itself
    long long size;     // -1 when the file could not be opened; 0 for a key that is none
    int value;          // the stored number
    Unmatchable unmatchable;
};

// The records as the plug-in reads them (DatabaseIndex: the first section of our name,
// the first of equal keys, each value read as GetPrivateProfileIntA reads it), lines that
// hold none (no value, or -1) left out. False when memory ran out.
bool records(const Text& text, std::vector<Record>* records);

// How many lines of the text hold `quotedKey` as the platform finds keys (the first
// section of our name, ASCII letters in either case): the first is the record, and each
// later one becomes it once those before it go.
size_t linesOf(const Text& text, const char* quotedKey);

// False, having said so, when the player runs and --force was not given: the plug-in
// writes the same file, and one of the two writes would be lost.
bool mayWrite(const ToolArguments& arguments);

// Before the database is written through a new copy beside it: false, having said why
// (the file, and the system's reason), when that cannot be done. A read-only database is
// left as it is; a read-only copy an earlier failure left loses its attribute, so that
// it can go; the folder must take the new copy. A database saved as Unicode text is
// written back as plain text first, with a word, as the plug-in does at start-up.
bool readyToWrite(const DatabaseLocation::Found& location);

// "could not be written (reason); it is as it was", for the database after a failed write.
void sayNotWritten(const DatabaseLocation::Found& location, const char* what, DWORD error);

// After a pass (or a dry run) over `text`: what became of the lines it reported. The
// exit status they leave: none once they are dropped, DATABASE_LINES in a dry run.
int saidAfterPass(const DatabaseLocation::Found& location, const Text& text, bool dryRun);

// For a dry run over a database saved as Unicode text, which the pass cannot read until
// it is written back as plain text.
void sayNotPassedAsUnicode(const DatabaseLocation::Found& location);

}  // namespace DatabaseFile
