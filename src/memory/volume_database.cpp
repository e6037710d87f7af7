#include "memory/volume_database.h"

#include "host/profile_file.h"

namespace VolumeDatabase {

int read(const SongKey& key, const char* databaseFile) {
    if (!key.storable) return NO_RECORD;
    return ProfileFile::readInt(key.text, databaseFile);
}

void write(const SongKey& key, int storedValue, const char* file) {
    if (!key.storable) return;
    ProfileFile::writeInt(key.text, storedValue, file);
}

int storedValueFor(int endVolume, int referenceVolume) { return endVolume - referenceVolume + 255; }

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
