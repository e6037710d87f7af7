// The volume database: one record per song key, holding where the volume ended
// relative to the reference volume, offset by 255.
#pragma once

#include "memory/song_key.h"

namespace VolumeDatabase {

constexpr int NO_RECORD = -1;
constexpr int HOST_VOLUME_MAX = 255;

// The record under `key` in `databaseFile`, or NO_RECORD.
int read(const SongKey& key, const char* databaseFile);
enum class WriteResult {
    Written,   // in the file (or a key that can never be stored: nothing to do)
    NotNow,    // the file could not be opened for writing (held open elsewhere, read-only):
               // nothing in it changed, so the same write may be tried again later
    Failed,    // failed part way (a full disk): the platform rewrites the whole file, so
               // trying again could cut it further
};
WriteResult write(const SongKey& key, int storedValue, const char* file);

int storedValueFor(int endVolume, int referenceVolume);
// How far from the reference a record's song ended, in steps of the host's scale: the
// stored value less its offset of 255. Wide, so that no hand-edited value overflows.
long long stepsFromReference(int storedValue);
// The volume a record asks for, by the stored-value arithmetic, unclamped.
int volumeToApply(int record, int referenceVolume);
// What may be sent to the host: the host's own 0..255 scale.
int clampToHostScale(int volume);

}  // namespace VolumeDatabase
