#include "memory/volume_database.h"

#include <windows.h>

#include "adapters/profile_file.h"
#include "memory/database_index.h"
#include "memory/database_swap.h"

namespace VolumeDatabase {

namespace {

// An empty path is one that did not fit its buffer; the profile functions would take
// it for a file of their own choosing.
bool usable(const char* file) { return file != nullptr && file[0] != '\0'; }

}  // namespace

int read(const SongKey& key, const char* databaseFile) {
    if (!key.storable || !usable(databaseFile)) return NO_RECORD;
    // A swap cut short may have set the records aside: they are read there rather than
    // taken for none.
    char path[MAX_PATH];
    DatabaseSwap::readablePathOf(databaseFile, path, sizeof path);
    int value = NO_RECORD;
    if (DatabaseIndex::lookUp(path, key.text, &value)) return value;
    return ProfileFile::readInt(key.text, path);
}

WriteResult write(const SongKey& key, int storedValue, const char* file) {
    if (!key.storable) return WriteResult::Written;
    if (!usable(file)) return WriteResult::Failed;
    if (ProfileFile::writeInt(key.text, storedValue, file)) {
        DatabaseIndex::noteWritten(file, key.text, storedValue);
        return WriteResult::Written;
    }
    DWORD error = GetLastError();
    bool refusedAtOpen = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
    return refusedAtOpen ? WriteResult::NotNow : WriteResult::Failed;
}

int storedValueFor(int endVolume, int referenceVolume) { return endVolume - referenceVolume + 255; }

long long stepsFromReference(int storedValue) { return static_cast<long long>(storedValue) - 255; }

int volumeToApply(int record, int referenceVolume) {
    if (record == NO_RECORD) return referenceVolume;
    // The comparison is made on the unsigned sum: a sum below zero counts as very large.
    unsigned sum = static_cast<unsigned>(record) + static_cast<unsigned>(referenceVolume);
    return sum >= 255u ? static_cast<int>(sum - 255u) : 0;
}

int clampToHostScale(int volume) {
    if (volume < 0) return 0;
    if (volume > HOST_VOLUME_MAX) return HOST_VOLUME_MAX;
    return volume;
}

}  // namespace VolumeDatabase
