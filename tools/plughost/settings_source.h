// Any file that holds the plug-in's settings, as a plughost command is
// given it: our map (JSON), a saved state, or another program's map through
// the import rules (map_import.h). Every command that takes settings reads
// them here, and the file is read as the panel reads a dropped file: by
// map_reading.h's one decision.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/map_import.h"
#include "maps/map_reading.h"

// What the file holds (MapFileContent), and once chosen (ChooseSettings):
// for another program's map the import's settings, its state and its
// messages in `import`. Our map and our state are chosen as read.
struct SettingsSource : MapFileContent {
  ImportResult import;
};

// Reads the file (ReadMapFile). Errors begin with the file's name.
bool ReadSettingsSource(const std::string& fileName, const std::vector<uint8_t>& bytes,
                        SettingsSource& source, std::string& error);

// For another program's map, applies the import rules with `choice`; for
// our map or state, refuses a bank or pick (there is nothing to choose
// among).
bool ChooseSettings(const std::string& fileName, const ImportChoice& choice, SettingsSource& source,
                    std::string& error);
