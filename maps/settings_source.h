// Any file that holds the plug-in's settings, as a user hands it over: our
// map (JSON), a saved state, or another program's map through the import
// rules (map_import.h). Every command that takes settings reads them here,
// so each takes every format alike. The content decides, never the name:
// - a byte order mark, or '{' after white space: a map (map_file.h);
// - a version word 1..5 first: a state, kept as its own bytes (the plug-in
//   reads its older versions itself);
// - what map_formats.h recognises: that program's map;
// - anything else is refused, saying what the file would have to be.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/foreign_map.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"
#include "maps/plugin_settings.h"

enum class SettingsKind { Map, State, ProgramMap };

struct SettingsSource {
  SettingsKind kind = SettingsKind::Map;
  MapFormat format = MapFormat::Unknown;  // of a program's map
  ForeignMap map;                         // a program's map as read, every bank
  // Once chosen (ChooseSettings): the bytes a host would restore (a
  // state's own), the settings (not for a state: only the plug-in reads
  // every version), and for a program's map the import's messages.
  std::vector<uint8_t> state;
  PluginSettings settings;
  ImportResult import;
};

// "a map (JSON)", "a plug-in state", "a Reaticulate bank (.reabank)".
std::string SettingsKindName(const SettingsSource& source);

// Reads and classifies the file; a map or a state is then chosen already.
// Errors begin with the file's name.
bool ReadSettingsSource(const std::string& fileName, std::vector<uint8_t> bytes,
                        SettingsSource& source, std::string& error);

// For a program's map, applies the import rules with `choice`; for a map or
// a state, refuses a bank or pick (there is nothing to choose among).
bool ChooseSettings(const std::string& fileName, const ImportChoice& choice, SettingsSource& source,
                    std::string& error);
