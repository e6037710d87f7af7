// show: what the plug-in makes of a song file: its key, its record, the volume it sets.
#include "memory/song_key.h"
#include "memory/volume_database.h"
#include "tool/command_support.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/exit_codes.h"

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
    bool present = CommandSupport::databasePresent(location);
    for (size_t i = 0; i < arguments.operands.size(); ++i) {
        int size = -1;
        SongKey key = CommandSupport::keyOfFile(arguments.wideOperands[i], &size);
        Console::out("%s\n", arguments.operands[i]);
        if (!key.storable) {
            Console::out("  song key:  none: the name holds '=' or a line break, or is too long; never recorded\n");
            Console::out("  volume:    %d (the reference volume)\n", arguments.reference);
            continue;
        }
        Console::out("  song key:  %s%s\n", key.text, size != -1 ? "" : " (the file cannot be opened)");
        int record = present ? VolumeDatabase::read(key, location.databasePath) : VolumeDatabase::NO_RECORD;
        if (record == VolumeDatabase::NO_RECORD) {
            Console::out("  record:    none\n");
            Console::out("  volume:    %d (the reference volume)\n", arguments.reference);
            continue;
        }
        showRecord(record, arguments.reference);
    }
    return present ? ExitCode::OK : ExitCode::DATABASE_MISSING;
}

}  // namespace Commands
