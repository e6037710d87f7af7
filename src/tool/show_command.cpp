// show: what the plug-in makes of a song file: its key, its record, the volume it sets.
#include "memory/database_index.h"
#include "memory/song_key.h"
#include "memory/volume_database.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/database_file.h"
#include "tool/exit_codes.h"
#include "tool/song_collection.h"

namespace Commands {

namespace {

void showRecord(int record, int reference) {
    long long distance = VolumeDatabase::stepsFromReference(record);
    if (distance == 0) {
        Console::out("  record:    %d (at the reference)\n", record);
    } else {
        Console::out("  record:    %d (%lld step%s %s the reference)\n", record, distance < 0 ? -distance : distance,
                     distance == 1 || distance == -1 ? "" : "s", distance < 0 ? "below" : "above");
    }
    int volume = VolumeDatabase::volumeToApply(record, reference);
    int sent = VolumeDatabase::clampToHostScale(volume);
    if (sent != volume) {
        Console::out("  volume:    %d at reference %d (the record asks for %d)\n", sent, reference, volume);
    } else {
        Console::out("  volume:    %d at reference %d\n", sent, reference);
    }
}

}  // namespace

int show(const ToolArguments& arguments, const DatabaseLocation::Found& location) {
    if (arguments.operands.empty()) {
        Console::err("loudmark-db: show needs one or more song files\n");
        return ExitCode::USAGE;
    }
    // Records found as the tracker finds them, in the database as the plug-in reads it.
    DatabaseFile::Text text;
    bool present = false;
    int status = DatabaseFile::read(location, &text, &present, DatabaseFile::Purpose::Show);
    present = present && DatabaseIndex::loadText(text.bytes.data(), text.bytes.size());
    for (size_t i = 0; i < arguments.operands.size(); ++i) {
        DWORD attributes = GetFileAttributesW(arguments.wideOperands[i]);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Console::err("loudmark-db: %s: a folder, not a song file\n", arguments.operands[i]);
            status = ExitCode::worst(status, ExitCode::SOURCE_UNREADABLE);
            continue;
        }
        int size = -1;
        SongKey key = SongCollection::keyOfFile(arguments.wideOperands[i], &size);
        if (size == -1) {
            // Shown all the same: the record of a stream or a missing file is keyed so.
            Console::err("loudmark-db: %s: cannot be opened, so the plug-in keys it with the size -1\n",
                         arguments.operands[i]);
            status = ExitCode::worst(status, ExitCode::SOURCE_UNREADABLE);
        }
        Console::out("%s\n", arguments.operands[i]);
        if (!key.storable) {
            Console::out("  song key:  none: the name holds '=' or a line break, or is too long; never recorded\n");
            Console::out("  volume:    %d (the reference volume)\n", arguments.reference);
            continue;
        }
        Console::out("  song key:  %s%s\n", key.text, size != -1 ? "" : " (the file cannot be opened)");
        DatabaseIndex::Record* found = present ? DatabaseIndex::find(key.text) : nullptr;
        int record = found != nullptr ? found->value : VolumeDatabase::NO_RECORD;
        if (record == VolumeDatabase::NO_RECORD) {
            Console::out("  record:    none\n");
            Console::out("  volume:    %d (the reference volume)\n", arguments.reference);
            continue;
        }
        showRecord(record, arguments.reference);
    }
    DatabaseIndex::release();
    return present ? status : ExitCode::worst(status, ExitCode::DATABASE_MISSING);
}

}  // namespace Commands
