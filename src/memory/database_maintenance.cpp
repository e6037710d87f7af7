#include "memory/database_maintenance.h"

// Interim: the passes come with the maintenance work.
namespace DatabaseMaintenance {
void clean() {}
void trim() {}
void rebuild(bool) {}
}  // namespace DatabaseMaintenance
