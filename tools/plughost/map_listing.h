// What `import --list` prints: another program's map bank by bank and
// articulation by articulation, or the plug-in's own map or state slot by
// slot, each output as a musician reads it ("C0 v120", "CC 3 = 20 ch 2",
// "bend -4096") and in the words export warnings use for the same items.
#pragma once

#include <string>

#include "maps/foreign_map.h"
#include "maps/plugin_settings.h"

// Per bank its number, names, group and articulation count (or why it
// cannot be imported), then per articulation its number, name and outputs,
// hidden ones marked; with `onlyBank` (an index), that bank alone.
std::string ListForeignMap(const ForeignMap& map, const std::string& fileName, int onlyBank = -1);

// The slots in use of our own map or state, numbered as the map numbers
// them, each with what it sends and how its notes play (transpose, latency,
// note channels). `kind` says what the file is ("a map (JSON)").
std::string ListSettings(const PluginSettings& settings, const std::string& fileName,
                         const char* kind);
