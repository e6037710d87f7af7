// Rebuilds the volume database against the host's current playlist: Clean keeps only the
// records of songs on the playlist, Trim also drops records inside the trim band.
#pragma once

namespace DatabaseMaintenance {

void clean();
void trim();
void rebuild(bool forceTrim);

}  // namespace DatabaseMaintenance
