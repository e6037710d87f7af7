#include "memory/database_maintenance.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/heap_buffer.h"
#include "adapters/host_link.h"
#include "adapters/profile_encoding.h"
#include "adapters/profile_file.h"
#include "adapters/settings_store.h"
#include "adapters/whole_file.h"
#include "memory/database_copies.h"
#include "memory/database_index.h"
#include "memory/database_maintenance_size.h"
#include "memory/database_swap.h"
#include "memory/pending_records.h"
#include "memory/song_paths.h"
#include "memory/song_key.h"
#include "memory/trim_band.h"
#include "memory/volume_database.h"

// The pass reads the database file once, whole, into an index, asks every song's size at once (on two
// threads), and writes the rebuild file with one plain write, so it stays linear in the
// list and the database. The file it leaves
// is byte for byte what the per-key profile functions would have produced
// (database_maintenance_literal.cpp): "[section]" and one "key=value" line per surviving
// record, CRLF, in the order of first appearance on the playlist, each key spelled as
// the playlist entry first gave it.

namespace DatabaseMaintenance {

namespace {

// The rebuild file's bytes, growing as records are added.
struct Output : HeapBuffer {
    using HeapBuffer::append;
    void append(const char* text) { HeapBuffer::append(text, BoundedText::length(text, SONG_KEY_CAPACITY)); }
};

// Every surviving record of the list, in the order of first appearance; false when
// memory ran out. Records met on the list but inside the band are marked as trimmed.
bool collectSurvivors(const SongPaths::Table& songs, const PassOptions& options, size_t expectedSize, Output* out,
                      PassReport* report) {
    char header[sizeof SECTION_NAME + 4] = "[";
    BoundedText::append(header, sizeof header, SECTION_NAME);
    BoundedText::append(header, sizeof header, "]\r\n");
    out->append(header);
    // About the database's own size: made room for once.
    out->expect(expectedSize);

    for (int i = 0; i < songs.count; ++i) {
        const char* path = SongPaths::pathOf(songs, i);
        if (path == nullptr) continue;
        SongKey key = SongKey::fromNameAndSize(BoundedText::afterLastBackslash(path), songs.sizes[i]);
        if (!key.storable) continue;

        size_t keyLength = BoundedText::length(key.text, sizeof key.text);
        DatabaseIndex::Record* record = DatabaseIndex::find(key.text, keyLength);
        if (record == nullptr || record->value == VolumeDatabase::NO_RECORD) continue;
        // A key met again (in any letter case) would only rewrite its line unchanged.
        if (record->written || record->trimmed) continue;
        if (options.trimming && options.band.contains(record->value)) {
            record->trimmed = true;
            continue;
        }

        char line[16] = "=";
        BoundedText::appendInt(line, sizeof line, record->value);
        BoundedText::append(line, sizeof line, "\r\n");
        out->append(key.text, keyLength);
        out->append(line);
        record->written = true;
        ++report->kept;
    }
    return !out->failed;
}

// What goes: every record the platform would find that did not make it into the new
// database.
struct DropCount {
    const PassOptions* options;
    PassReport* report;
};

void countDropped(void* context, DatabaseIndex::Record& record) {
    DropCount* count = static_cast<DropCount*>(context);
    if (record.written || record.value == VolumeDatabase::NO_RECORD) return;
    ++count->report->dropped;
    if (record.trimmed) ++count->report->trimmed;
    const PassOptions& options = *count->options;
    if (options.onDropped != nullptr) {
        options.onDropped(options.context, record.key, record.keyLength, record.value,
                          record.trimmed ? DropReason::Trimmed : DropReason::NotListed);
    }
}

// The host's playlist as the pass's list.
bool playlistPathOf(void*, int index, char* path, size_t capacity) {
    // The path is copied as the tracker copies it; one too long to keep has no key.
    const char* hostPath = HostLink::getPlaylistFile(index);
    return hostPath != nullptr && BoundedText::copy(path, capacity, hostPath);
}

int playlistWideSizeOf(void*, int index) { return SongKey::sizeThroughWidePath(index); }

}  // namespace

PassReport rebuild(const SongList& songs, const PassOptions& options, const char* databasePath) {
    PassReport report;
    char rebuildPath[MAX_PATH];
    if (!DatabaseSwap::rebuildPathOf(databasePath, rebuildPath, sizeof rebuildPath)) return report;
    if (!options.dryRun && !DatabaseSwap::prepare(databasePath, rebuildPath)) return report;
    // A database saved as Unicode text since start-up is read as the platform reads it
    // once it is plain text again; a dry run leaves it alone, and cannot read it.
    if (!options.dryRun) ProfileEncoding::makePlain(databasePath, DatabaseSwap::replaceWith);
    // Records 9x still holds in its profile cache go to the file before we read it.
    ProfileFile::flush(databasePath);
    // A database that cannot be read whole now (another program holds it) would look
    // emptier than it is, and what looks gone is deleted.
    if (!DatabaseIndex::load(databasePath)) return report;

    SongPaths::Table table;
    Output out;
    bool collected = SongPaths::gather(songs, &table) &&
                     collectSurvivors(table, options, DatabaseIndex::listedSize(), &out, &report);
    SongPaths::release(&table);
    if (collected) {
        DropCount dropCount{&options, &report};
        DatabaseIndex::forEach(countDropped, &dropCount);
    }
    DatabaseIndex::release();

    if (!collected || options.dryRun) {
        out.release();
        report.done = collected;
        return report;
    }
    // What the pass removes can be brought back, from the database as it was.
    bool settled = DatabaseCopies::settled(databasePath);
    if (!DatabaseCopies::keepUndo(databasePath)) {
        out.release();
        return report;
    }
    if (report.kept == 0 && !options.keepEmptyDatabase) {
        // Nothing to keep: no database at all reads as an empty one.
        out.release();
        if (DeleteFileA(databasePath)) {
            report.done = true;
        } else {
            DWORD error = GetLastError();
            report.done = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;  // there was none
        }
    } else {
        // On disk whole before it may replace anything.
        bool written = WholeFile::write(rebuildPath, out.bytes, out.length);
        out.release();
        report.done = DatabaseSwap::finish(rebuildPath, databasePath, written);
    }
    // The whole copy follows, so that nothing the pass removed comes back from it; 9x's
    // profile cache must not write its older file back over the new one.
    if (report.done && settled) DatabaseCopies::refreshWhole(databasePath);
    ProfileFile::flush(databasePath);
    return report;
}

PassOptions optionsFor(bool forceTrim, int trimSetting, int trimTo, bool keepEmptyDatabase) {
    PassOptions options;
    options.trimming = forceTrim || trimSetting;
    options.band = TrimBand::forChoice(trimTo);
    options.keepEmptyDatabase = keepEmptyDatabase;
    return options;
}

bool clean() { return rebuild(false); }

bool trim() { return rebuild(true); }

bool rebuild(bool forceTrim) {
    // Records still waiting for the file take part, if they can get there now.
    PendingRecords::flush(SettingsStore::databasePath);
    PassOptions options = optionsFor(forceTrim, settings.trim, settings.trimTo, SettingsStore::keepsEmptyDatabase());
    SongList playlist{HostLink::getPlaylistLength(), playlistPathOf, playlistWideSizeOf, nullptr};
    return rebuild(playlist, options, SettingsStore::databasePath).done;
}

}  // namespace DatabaseMaintenance
