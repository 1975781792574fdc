// Our map file (JSON) as it comes from disk: its bytes decoded (UTF-8 with
// or without a byte order mark, UTF-16 with one), then read as an
// articulation map. Whether a file is one is map_reading.h's decision.
#pragma once

#include <cstdint>
#include <vector>

#include "maps/articulation_map.h"

// Decodes and parses a whole map file. On failure `settings` is unchanged,
// and the error's field and message quote the file only readably.
bool ParseMapFile(const std::vector<uint8_t>& bytes, PluginSettings& settings, MapError& error);
