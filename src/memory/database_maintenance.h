// Rebuilds the volume database against the host's current playlist: Clean keeps only the
// records of songs on the playlist, Trim also drops records inside the trim band.
#pragma once

namespace DatabaseMaintenance {

// False when the pass could not do its work (the database could not be read, the new
// one not written or not put in its place): the database is then left as it was.
bool clean();
bool trim();
bool rebuild(bool forceTrim);

}  // namespace DatabaseMaintenance
