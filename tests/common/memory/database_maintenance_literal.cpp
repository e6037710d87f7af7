#include "memory/database_maintenance_literal.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/host_link.h"
#include "adapters/settings_store.h"
#include "adapters/storage_folder.h"
#include "memory/song_key.h"
#include "memory/trim_band.h"
#include "memory/volume_database.h"

namespace DatabaseMaintenance {

void rebuildLiteral(bool forceTrim) {
    char rebuildPath[MAX_PATH];
    if (!BoundedText::copy(rebuildPath, sizeof rebuildPath, SettingsStore::databasePath) ||
        !BoundedText::append(rebuildPath, sizeof rebuildPath, StorageFolder::REBUILD_SUFFIX)) {
        return;
    }
    DeleteFileA(rebuildPath);

    int entries = HostLink::getPlaylistLength();
    for (int i = 0; i < entries; ++i) {
        char path[SONG_KEY_CAPACITY];
        const char* hostPath = HostLink::getPlaylistFile(i);
        if (hostPath == nullptr || !BoundedText::copy(path, sizeof path, hostPath)) continue;
        SongKey key = SongKey::forPlaylistEntry(i, path);
        int value = VolumeDatabase::read(key, SettingsStore::databasePath);
        if (value == VolumeDatabase::NO_RECORD) continue;
        if ((forceTrim || settings.trim) && TrimBand::forChoice(settings.trimTo).contains(value)) continue;
        VolumeDatabase::write(key, value, rebuildPath);
    }

    DeleteFileA(SettingsStore::databasePath);
    MoveFileA(rebuildPath, SettingsStore::databasePath);
}

}  // namespace DatabaseMaintenance
