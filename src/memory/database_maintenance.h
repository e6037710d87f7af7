// Rebuilds the volume database against a list of songs: Clean keeps only the records of
// songs on the list, Trim also drops records inside the trim band. The configuration
// dialog runs it against the host's current playlist; the database tool against the
// listener's folders and playlists. One pass for both, so they can never disagree.
#pragma once

#include <stddef.h>

#include "memory/trim_band.h"

namespace DatabaseMaintenance {

// The songs whose records a pass keeps, in order.
struct SongList {
    static constexpr int SIZE_UNKNOWN = -2;
    int count;
    // Song `index`'s path (as the host's ANSI request gives it) copied into `path`;
    // false when there is none, or it does not fit.
    bool (*pathOf)(void* context, int index, char* path, size_t capacity);
    // Song `index`'s size through a wide path, asked only for a path that names no file;
    // -1 when there is none. May be null.
    int (*wideSizeOf)(void* context, int index);
    void* context;
    // Song `index`'s size where the list knows it already, as the open would find it
    // (a folder listing does, but for links); SIZE_UNKNOWN to have it asked. May be null.
    int (*knownSizeOf)(void* context, int index) = nullptr;
};

enum class DropReason { NotListed, Trimmed };

struct PassReport {
    bool done = false;   // false: the database is as it was
    size_t kept = 0;     // records in the new database
    size_t dropped = 0;  // records that went (or would go, in a dry run), trimmed ones included
    size_t trimmed = 0;
};

struct PassOptions {
    bool trimming = false;           // drop records whose value lies inside `band`
    TrimBand band = TrimBand::forChoice(1);
    bool keepEmptyDatabase = false;  // nothing left: an empty file rather than none
    bool dryRun = false;             // count and report, change nothing
    // A dry run over a database its caller has read into DatabaseIndex already, as the
    // file stands: the pass reads no file then.
    bool indexLoaded = false;
    // Told of every record that does not survive (may be null); `key` is as the file
    // spells it, quotes included, and lasts for the call only.
    void (*onDropped)(void* context, const char* key, size_t keyLength, int value, DropReason reason) = nullptr;
    // Asked once the new database is made, before it replaces anything, with what it
    // would keep and drop (may be null): false leaves the database as it was.
    bool (*mayReplace)(void* context, const PassReport& would) = nullptr;
    void* context = nullptr;
};

// The pass over `songs` against the database at `databasePath`. The new database is
// written beside it as "<databasePath>.new" and swapped in; when nothing survives the
// database is deleted (or emptied, with keepEmptyDatabase). Byte for byte the file the
// platform's per-key profile functions would leave (database_maintenance_literal.h).
PassReport rebuild(const SongList& songs, const PassOptions& options, const char* databasePath);

// The options of a Clean (or with `forceTrim`, a Trim) under the trim settings as the
// settings file holds them: "Always trim" (a flag) and the trim choice.
PassOptions optionsFor(bool forceTrim, int trimSetting, int trimTo, bool keepEmptyDatabase);

// The dialog's passes: the host's playlist, the trim settings in memory, the database
// where the settings store found it. False when the pass could not do its work.
bool clean();
bool trim();
bool rebuild(bool forceTrim);

}  // namespace DatabaseMaintenance
