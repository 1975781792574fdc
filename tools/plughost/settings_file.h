// Settings files a command may be given: an articulation map (JSON) or a
// state file (the plug-in's saved bytes, any version it reads).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/plughost/plugin_instance.h"
#include "maps/plugin_settings.h"

// Reads and checks a map file. Errors name the file and the field.
bool ReadMapFile(const std::string& path, PluginSettings& settings, std::string& error);

// Reads a map or a state file (a map begins with '{') into the bytes a host
// would restore. A state file must carry a version the plug-in reads (1-5).
bool ReadSettingsFile(const std::string& path, std::vector<uint8_t>& state, std::string& error);
// The same for a file's bytes already read; `path` names it in errors.
bool SettingsFromBytes(const std::string& path, std::vector<uint8_t> bytes,
                       std::vector<uint8_t>& state, std::string& error);

// Restores `state` into the instance and decodes what it then saves: the
// settings as the plug-in holds them.
bool RoundTripThroughPlugin(const PluginInstance& instance, const std::vector<uint8_t>& state,
                            std::vector<uint8_t>& saved, PluginSettings& settings,
                            std::string& error);
