#include "plugin/plugin_record.h"

#include <stddef.h>

#include "plugin/plugin_lifecycle.h"

namespace {
char noDescription[] = "";  // until init has built the real one
}

PluginRecord pluginRecord = {GPPHDR_VER,          noDescription,  PluginLifecycle::init, PluginLifecycle::config,
                             PluginLifecycle::quit, nullptr,       nullptr};

// The host reads the record by offset: seven 32-bit fields, 28 bytes, where pointers
// are 32-bit (the product DLL).
static_assert(sizeof(void*) != 4 || sizeof(PluginRecord) == 28, "the host reads a 28-byte record");
static_assert(sizeof(void*) != 4 || offsetof(PluginRecord, description) == 4, "description at 4");
static_assert(sizeof(void*) != 4 || offsetof(PluginRecord, quit) == 16, "quit at 16");
static_assert(sizeof(void*) != 4 || offsetof(PluginRecord, hwndParent) == 20, "hwndParent at 20");
static_assert(sizeof(void*) != 4 || offsetof(PluginRecord, hDllInstance) == 24, "hDllInstance at 24");
