#include "tool/database_records.h"

#include "memory/database_index.h"
#include "memory/song_key.h"
#include "memory/volume_database.h"

namespace DatabaseRecords {

namespace {

// `"name[size]"` taken apart; false when the text is not one.
bool songKey(const char* key, size_t length, Record* record) {
    SongKeyParts parts;
    if (!SongKey::parse(key, length, &parts)) return false;
    record->name.assign(parts.name, parts.nameLength);
    record->size = parts.size;
    return true;
}

// A line of the section the platform split at a '=' inside the song's name: the name
// runs on into what it read as the value, and the line's last '=' ends the key.
bool splitInName(const char* line, size_t length, Record* record) {
    size_t equals = length;
    while (equals > 0 && line[equals - 1] != '=') --equals;
    if (equals == 0) return false;
    if (!songKey(line, equals - 1, record)) return false;
    record->value = DatabaseIndex::valueOf(line + equals, length - equals);
    return true;
}

struct Collecting {
    std::vector<Record>* records;
};

void collect(void* context, DatabaseIndex::Record& indexed) {
    if (indexed.value == VolumeDatabase::NO_RECORD) return;
    Collecting* collecting = static_cast<Collecting*>(context);
    Record record{std::string(), 0, indexed.value, Unmatchable::No};
    if (songKey(indexed.key, indexed.keyLength, &record)) {
        // A size of -1 matches too: a stream, or a song whose file is missing again.
    } else if (splitInName(indexed.key, indexed.lineLength, &record)) {
        record.unmatchable = Unmatchable::EqualsInName;
    } else {
        record = Record{std::string(indexed.key, indexed.keyLength), 0, indexed.value, Unmatchable::NotASongKey};
    }
    collecting->records->push_back(record);
}

}  // namespace

bool load(const char* databasePath, std::vector<Record>* records) {
    records->clear();
    if (!DatabaseIndex::load(databasePath)) return false;
    Collecting collecting{records};
    DatabaseIndex::forEach(collect, &collecting);
    DatabaseIndex::release();
    return true;
}

const char* reasonOf(Unmatchable unmatchable) {
    switch (unmatchable) {
        case Unmatchable::EqualsInName: return "'=' in the name";
        case Unmatchable::NotASongKey: return "not a song key";
        case Unmatchable::No: break;
    }
    return "";
}

}  // namespace DatabaseRecords
