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

// The rebuild file's bytes as records are added, passed on to the file a piece at a
// time (or, in a dry run, let go): a large database's new copy is never in memory whole.
struct Output : HeapBuffer {
    static constexpr size_t PIECE = 256 * 1024;
    WholeFile::Stream file{INVALID_HANDLE_VALUE, false};
    bool writing = false;

    void append(const char* text) { HeapBuffer::append(text, BoundedText::length(text, SONG_KEY_CAPACITY)); }
    void passOn() {
        if (length < PIECE) return;
        if (writing) WholeFile::put(&file, bytes, length);
        length = 0;
    }
    bool finish() {
        WholeFile::put(&file, bytes, length);
        release();
        return WholeFile::close(&file);
    }
    // For a new copy that is not to be: closed, and gone from the folder.
    void abandon(const char* path) {
        release();
        if (!writing) return;
        WholeFile::abandon(&file);
        DeleteFileA(path);
    }
};

// One surviving record's line, "key=value" and CRLF, written straight to the end of the
// rebuild file's bytes.
void appendLine(Output* out, const char* key, size_t keyLength, int value) {
    char* line = out->room(keyLength + 16);
    if (line == nullptr) return;
    for (size_t i = 0; i < keyLength; ++i) line[i] = key[i];
    char number[16] = "=";
    BoundedText::appendInt(number, sizeof number, value);
    BoundedText::append(number, sizeof number, "\r\n");
    size_t length = keyLength;
    for (const char* c = number; *c != '\0'; ++c) line[length++] = *c;
    out->length += length;
    out->passOn();
}

// The songs' keys, a batch at a time, so that their records are looked up together.
struct KeyBatch {
    SongKey keys[DatabaseIndex::MANY_AT_ONCE];
    const char* texts[DatabaseIndex::MANY_AT_ONCE];
    size_t lengths[DatabaseIndex::MANY_AT_ONCE];
    DatabaseIndex::Record* records[DatabaseIndex::MANY_AT_ONCE];
    int count;
};

// The next songs' keys from `next` on, those that can be stored; answers where it stopped.
int fillBatch(const SongPaths::Table& songs, int next, KeyBatch* batch) {
    batch->count = 0;
    for (; next < songs.count && batch->count < DatabaseIndex::MANY_AT_ONCE; ++next) {
        const char* path = SongPaths::pathOf(songs, next);
        if (path == nullptr) continue;
        SongKey& key = batch->keys[batch->count];
        key = SongKey::fromNameAndSize(BoundedText::afterLastBackslash(path), songs.sizes[next]);
        if (!key.storable) continue;
        batch->texts[batch->count] = key.text;
        batch->lengths[batch->count] = BoundedText::length(key.text, sizeof key.text);
        ++batch->count;
    }
    DatabaseIndex::findMany(batch->texts, batch->lengths, batch->count, batch->records);
    return next;
}

// Every surviving record of the chunk, in the order of first appearance; false when
// memory ran out. Records met on the list but inside the band are marked as trimmed.
bool collectSurvivors(const SongPaths::Table& songs, const PassOptions& options, Output* out, PassReport* report) {
    KeyBatch batch;
    for (int next = 0; next < songs.count;) {
        next = fillBatch(songs, next, &batch);
        // In the list's order, as one at a time would.
        for (int k = 0; k < batch.count; ++k) {
            DatabaseIndex::Record* record = batch.records[k];
            if (record == nullptr || record->value == VolumeDatabase::NO_RECORD) continue;
            // A key met again (in any letter case) would only rewrite its line unchanged.
            if (record->written || record->trimmed) continue;
            if (options.trimming && options.band.contains(record->value)) {
                record->trimmed = true;
                continue;
            }
            appendLine(out, batch.texts[k], batch.lengths[k], record->value);
            record->written = true;
            ++report->kept;
        }
    }
    return !out->failed;
}

// The survivors of the whole list, a chunk at a time, after the section's name.
bool collectAll(const SongList& songs, const PassOptions& options, Output* out, PassReport* report) {
    char header[sizeof SECTION_NAME + 4] = "[";
    BoundedText::append(header, sizeof header, SECTION_NAME);
    BoundedText::append(header, sizeof header, "]\r\n");
    out->append(header);
    out->expect(Output::PIECE + SONG_KEY_CAPACITY + 16);
    SongPaths::Table table;
    bool collected = true;
    for (int first = 0; collected && first < songs.count; first += SongPaths::CHUNK) {
        int count = songs.count - first < SongPaths::CHUNK ? songs.count - first : SongPaths::CHUNK;
        collected = SongPaths::gather(songs, first, count, &table) && collectSurvivors(table, options, out, report);
    }
    SongPaths::release(&table);
    return collected;
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
    // A database that cannot be read whole now (another program holds it) would look
    // emptier than it is, and what looks gone is deleted.
    bool loaded = options.dryRun && options.indexLoaded;
    if (!loaded && !DatabaseIndex::load(databasePath)) return report;

    Output out;
    // Written as it is made, beside the database, until it is complete and may replace it.
    out.writing = !options.dryRun;
    if (out.writing) out.file = WholeFile::create(rebuildPath);
    bool collected = collectAll(songs, options, &out, &report);
    if (collected) {
        DropCount dropCount{&options, &report};
        DatabaseIndex::forEach(countDropped, &dropCount);
    }
    DatabaseIndex::release();

    if (!collected || options.dryRun) {
        out.abandon(rebuildPath);
        report.done = collected;
        return report;
    }
    if (options.mayReplace != nullptr && !options.mayReplace(options.context, report)) {
        out.abandon(rebuildPath);
        return report;
    }
    // What the pass removes can be brought back, from the database as it was.
    bool settled = DatabaseCopies::settled(databasePath);
    if (!DatabaseCopies::keepUndo(databasePath)) {
        out.abandon(rebuildPath);
        return report;
    }
    if (report.kept == 0 && !options.keepEmptyDatabase) {
        // Nothing to keep: no database at all reads as an empty one.
        out.abandon(rebuildPath);
        if (DeleteFileA(databasePath)) {
            report.done = true;
        } else {
            DWORD error = GetLastError();
            report.done = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;  // there was none
        }
    } else {
        // On disk whole before it may replace anything.
        report.done = DatabaseSwap::finish(rebuildPath, databasePath, out.finish());
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
