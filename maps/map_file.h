// A map file as it comes from disk: its bytes decoded (UTF-8 with or without
// a byte order mark, UTF-16 with one), then read as an articulation map.
#pragma once

#include <cstdint>
#include <vector>

#include "maps/articulation_map.h"

// True when the bytes can only be meant as a map rather than a plug-in state
// or another program's map: '{' after leading white space (and a UTF-8 byte
// order mark), or a UTF-16 byte order mark.
bool LooksLikeMapFile(const std::vector<uint8_t>& bytes);

// Decodes and parses a whole map file. On failure `settings` is unchanged,
// and the error's field and message quote the file only readably.
bool ParseMapFile(const std::vector<uint8_t>& bytes, PluginSettings& settings, MapError& error);
