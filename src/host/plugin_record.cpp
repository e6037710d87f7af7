#include "host/plugin_record.h"

// Interim: start-up, configuration and shutdown come with the lifecycle.
PluginRecord pluginRecord = {GPPHDR_VER, const_cast<char*>(""), nullptr, nullptr, nullptr, nullptr, nullptr};
