// What `import --list` prints for the plug-in's own map or state: its slots
// in use, numbered as the map numbers them, each with what it sends and how
// its notes play (transpose, latency, note channels), in the words export
// warnings use for the same items.
#pragma once

#include <string>

#include "maps/plugin_settings.h"

std::string ListSettings(const PluginSettings& settings, const std::string& fileName,
                         const char* kind);
