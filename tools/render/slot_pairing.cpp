#include "tools/render/slot_pairing.h"

#include "tools/maps/name_matching.h"
#include "tools/render/slot_outputs.h"

namespace {

bool InUse(const SlotSettings& slot) {
  return !slot.name.empty() || slot.keyswitch != kUnset || slot.uacc != kUnset ||
         slot.modwheel != kUnset;
}

// The lowest slot of `to` in use that `agrees` with, or -1.
template <typename Agrees>
int FirstAgreeing(const PluginSettings& to, Agrees agrees) {
  for (int t = 0; t < kSlotCount; ++t)
    if (InUse(to.slots[t]) && agrees(to.slots[t])) return t;
  return -1;
}

}  // namespace

PairingResult PairSlotsByName(const PluginSettings& from, const PluginSettings& to, int fallback) {
  PairingResult result;
  const bool hasFallback = fallback >= 0 && fallback < kSlotCount;
  for (int f = 0; f < kSlotCount; ++f) {
    const SlotSettings& slot = from.slots[f];
    if (!InUse(slot)) {
      if (hasFallback) result.pairing[f] = static_cast<uint8_t>(fallback);
      continue;
    }
    const char* how = "name";
    const std::string name = FoldedName(slot.name);
    int t = name.empty() ? -1 : FirstAgreeing(to, [&](const SlotSettings& s) {
      return FoldedName(s.name) == name;
    });
    if (t < 0 && slot.uacc != kUnset) {
      how = "UACC";
      t = FirstAgreeing(to, [&](const SlotSettings& s) { return s.uacc == slot.uacc; });
    }
    if (t < 0 && slot.icon != kDefaultIcon) {
      how = "icon";
      t = FirstAgreeing(to, [&](const SlotSettings& s) { return s.icon == slot.icon; });
    }
    if (t < 0 && hasFallback) {
      how = "fallback";
      t = fallback;
    }
    if (t < 0) {
      result.unmatched.push_back(f);
      continue;
    }
    result.pairing[f] = static_cast<uint8_t>(t);
    result.lines.push_back(SlotLabel(from, f) + " -> " + SlotLabel(to, t) + " (" + how + ")");
  }
  return result;
}

PairingResult PairSlotsByNumber(const PluginSettings& from, const PluginSettings& to,
                                int fallback) {
  PairingResult result;
  for (int f = 0; f < kSlotCount; ++f) {
    if (!InUse(from.slots[f]) || InUse(to.slots[f])) continue;
    if (fallback >= 0 && fallback < kSlotCount) {
      result.pairing[f] = static_cast<uint8_t>(fallback);
      result.lines.push_back(SlotLabel(from, f) + " -> " + SlotLabel(to, fallback) + " (fallback)");
    } else {
      result.unmatched.push_back(f);
    }
  }
  return result;
}
