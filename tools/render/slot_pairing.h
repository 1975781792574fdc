// Which slot of one map plays each slot of another, when a part moves from
// one library to another (retarget).
#pragma once

#include <bitset>
#include <string>
#include <vector>

#include "maps/plugin_settings.h"
#include "maps/slot_pair_list.h"
#include "tools/render/colouring.h"

struct PairingRequest {
  bool byNumber = false;  // --match numbers: slot k plays slot k
  int fallback = -1;      // 0-based slot of `to` for slots without a partner; -1: none
  SlotPairList byHand;    // FROM=TO, each side a number 1..16 or a name (UTF-8)
};

struct PairingResult {
  SlotPairing pairing = IdentityPairing();
  // Per slot of `from` in use: `3 "Staccato" -> 4 "Short" (by hand)`, UTF-8.
  std::vector<std::string> lines;
  std::vector<int> unmatched;  // 0-based slots of `from` in use with no partner
  std::string error;           // a pair by hand that names no slot, or several
};

// Pairs by hand first; then, with `byNumber`, slot k plays slot k of `to`
// when that one is in use; else by name when both maps name their slots
// (name_matching.h: case, blanks and dashes aside), then by UACC value, then by icon
// (the plain note, icon 55, pairs nothing: most slots have it), each time
// the lowest slot of `to` in use that agrees; then the fallback. A slot of
// `to` is in use when it has a name or sends something. `used` are the
// slots of `from` the part plays; the others play the fallback, or their
// own number, and print no line.
PairingResult PairSlots(const PluginSettings& from, const PluginSettings& to,
                        std::bitset<kSlotCount> used, const PairingRequest& request);

// "5 "Long", 7 "Trill"": the slots of `to` in use that no slot of `from`
// in `used` plays, for an error about unmatched slots.
std::string FreeSlots(const PluginSettings& to, const PairingResult& result,
                      std::bitset<kSlotCount> used);
