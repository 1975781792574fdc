// Which slot of one map plays each slot of another, when a part moves from
// one library to another (retarget).
#pragma once

#include <string>
#include <vector>

#include "tools/maps/plugin_settings.h"
#include "tools/render/colouring.h"

struct PairingResult {
  SlotPairing pairing = IdentityPairing();
  std::vector<std::string> lines;  // "slot 1 "Legato" -> slot 2 "Legato" (name)", per slot in use
  std::vector<int> unmatched;      // 0-based slots of `from` in use with no partner
};

// By name (ignoring case and blanks at the ends), then by UACC value, then
// by icon (the plain note, icon 55, pairs nothing: most slots have it),
// each time the lowest slot of `to` in use that agrees. A slot is in use
// when it has a name or sends something. Slots of `from` not in use, and
// unmatched ones, play `fallback` (0-based) when it is 0..15, else their own
// number.
PairingResult PairSlotsByName(const PluginSettings& from, const PluginSettings& to, int fallback);

// Slot k plays slot k; a slot of `from` in use whose namesake in `to` is not
// in use plays `fallback` (0-based) when it is 0..15, else is unmatched.
PairingResult PairSlotsByNumber(const PluginSettings& from, const PluginSettings& to, int fallback);
