#include "tools/render/slot_pairing.h"

#include <algorithm>

#include "maps/name_matching.h"
#include "maps/text_encoding.h"

namespace {

bool InUse(const SlotSettings& slot) {
  return !slot.name.empty() || slot.keyswitch != kUnset || slot.uacc != kUnset ||
         slot.modwheel != kUnset || slot.additions.actionCount > 0;
}

bool NamesSlots(const PluginSettings& settings) {
  for (const SlotSettings& slot : settings.slots)
    if (!slot.name.empty()) return true;
  return false;
}

// The lowest slot of `to` in use that `agrees` with, or -1.
template <typename Agrees>
int FirstAgreeing(const PluginSettings& to, Agrees agrees) {
  for (int t = 0; t < kSlotCount; ++t)
    if (InUse(to.slots[t]) && agrees(to.slots[t])) return t;
  return -1;
}

// A slot's name as text (UTF-8) for names typed or read elsewhere, and
// for messages; the plug-in keeps it in Windows-1252.
std::string NameOf(const SlotSettings& slot) { return Windows1252ToUtf8(slot.name); }

// `3 "Staccato"`, the name left out when empty.
std::string Label(const PluginSettings& settings, int slot) {
  const std::string name = NameOf(settings.slots[slot]);
  return std::to_string(slot + 1) + (name.empty() ? "" : " \"" + name + "\"");
}

// One side of a pair by hand: a number 1..16, else the one slot of that name.
int ResolveSide(const PluginSettings& settings, const std::string& side, const char* which,
                std::string& error) {
  if (side.find_first_not_of("0123456789") == std::string::npos && side.size() <= 2) {
    const int number = std::stoi(side);
    if (number >= 1 && number <= kSlotCount) return number - 1;
    error = which + std::string(" slot ") + side + " is not a slot number 1..16";
    return -1;
  }
  int found = -1;
  for (int s = 0; s < kSlotCount; ++s) {
    if (!SameName(NameOf(settings.slots[s]), side)) continue;
    if (found >= 0) {
      error = "several slots of the " + std::string(which) + " map are named \"" + side + "\" (" +
              std::to_string(found + 1) + ", " + std::to_string(s + 1) + "): pair them by number";
      return -1;
    }
    found = s;
  }
  if (found < 0) error = "no slot of the " + std::string(which) + " map is named \"" + side + "\"";
  return found;
}

}  // namespace

PairingResult PairSlots(const PluginSettings& from, const PluginSettings& to,
                        std::bitset<kSlotCount> used, const PairingRequest& request) {
  PairingResult result;
  const bool hasFallback = request.fallback >= 0 && request.fallback < kSlotCount;
  std::array<const char*, kSlotCount> how{};
  std::array<int, kSlotCount> partner;
  partner.fill(-1);
  for (const auto& [fromSide, toSide] : request.byHand) {
    const int f = ResolveSide(from, fromSide, "FROM", result.error);
    const int t = f < 0 ? -1 : ResolveSide(to, toSide, "TO", result.error);
    if (t < 0) return result;
    partner[f] = t;
    how[f] = "by hand";
  }
  const bool byName = NamesSlots(from) && NamesSlots(to);
  for (int f = 0; f < kSlotCount; ++f) {
    if (partner[f] >= 0) continue;
    const SlotSettings& slot = from.slots[f];
    if (request.byNumber) {
      if (InUse(to.slots[f])) partner[f] = f, how[f] = "by number";
      continue;
    }
    if (byName && !FoldedName(slot.name).empty())
      partner[f] = FirstAgreeing(
          to, [&](const SlotSettings& s) { return SameName(NameOf(s), NameOf(slot)); }),
      how[f] = "by name";
    if (partner[f] < 0 && slot.uacc != kUnset)
      partner[f] = FirstAgreeing(to, [&](const SlotSettings& s) { return s.uacc == slot.uacc; }),
      how[f] = "by UACC";
    if (partner[f] < 0 && slot.icon != kDefaultIcon)
      partner[f] = FirstAgreeing(to, [&](const SlotSettings& s) { return s.icon == slot.icon; }),
      how[f] = "by icon";
  }
  for (int f = 0; f < kSlotCount; ++f) {
    if (partner[f] < 0 && hasFallback) partner[f] = request.fallback, how[f] = "fallback";
    if (partner[f] >= 0) result.pairing[f] = static_cast<uint8_t>(partner[f]);
    if (!used[f]) continue;
    if (partner[f] < 0) {
      result.unmatched.push_back(f);
      continue;
    }
    result.lines.push_back(Label(from, f) + " -> " + Label(to, partner[f]) + " (" + how[f] + ")");
  }
  return result;
}

std::string FreeSlots(const PluginSettings& to, const PairingResult& result,
                      std::bitset<kSlotCount> used) {
  std::bitset<kSlotCount> taken;
  for (int f = 0; f < kSlotCount; ++f)
    if (used[f] &&
        std::find(result.unmatched.begin(), result.unmatched.end(), f) == result.unmatched.end())
      taken.set(result.pairing[f]);
  std::string text;
  for (int t = 0; t < kSlotCount; ++t)
    if (InUse(to.slots[t]) && !taken[t]) text += (text.empty() ? "" : ", ") + Label(to, t);
  return text.empty() ? "none" : text;
}
