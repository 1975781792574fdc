// The plug-in's version-5 state as bytes: little-endian words, names as a
// 16-bit length and their bytes, the controller count, the view state; then,
// when a slot uses additions, their block (state/extension_block.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/plugin_settings.h"

constexpr int32_t kWrittenStateVersion = 5;

// The bytes the plug-in would write for these settings.
std::vector<uint8_t> EncodeState(const PluginSettings& settings);

// Reads a version-5 state exactly as the plug-in writes it: the whole input,
// six controllers, nothing left over. On failure returns false and says why.
bool DecodeState(const std::vector<uint8_t>& bytes, PluginSettings& settings, std::string& error);

// The version word of a stored state, or false when there are not four bytes.
bool StateVersion(const std::vector<uint8_t>& bytes, int32_t& version);
