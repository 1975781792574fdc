#include "tools/render/slot_outputs.h"

#include "tools/maps/note_names.h"

namespace {

void Add(SlotOutputTable& table, int slot, OutputKind kind, int number, int32_t value) {
  if (value == kUnset) return;
  const SlotOutput o{kind, static_cast<uint8_t>(number), static_cast<uint8_t>(value & 0x7F)};
  table.slots[slot].push_back(o);
  if (kind == OutputKind::Keyswitch) table.keyswitchKeys.set(o.value);
  if (kind == OutputKind::Control) table.controls.set(o.number);
  if (kind == OutputKind::Program) table.programs = true;
}

std::string Describe(const SlotOutput& o) {
  const std::string value = std::to_string(o.value);
  switch (o.kind) {
    case OutputKind::Keyswitch:
      return "keyswitch " + NoteName(o.value);
    case OutputKind::Control:
      return o.number == 32  ? "UACC " + value
             : o.number == 1 ? "modwheel " + value
                             : "CC " + std::to_string(o.number) + " " + value;
    case OutputKind::Program:
      return "program " + value;
  }
  return value;
}

}  // namespace

bool IsPerformanceController(int cc) {
  return cc == 1 || cc == 2 || cc == 11 || cc == 16 || cc == 21 || cc == 64 || cc == 7 || cc == 10;
}

SlotOutputTable SlotOutputsOf(const PluginSettings& settings) {
  SlotOutputTable table;
  for (int s = 0; s < kSlotCount; ++s) {
    const SlotSettings& slot = settings.slots[s];
    Add(table, s, OutputKind::Keyswitch, 0, slot.keyswitch);
    Add(table, s, OutputKind::Control, 32, slot.uacc);
    Add(table, s, OutputKind::Control, 1, slot.modwheel);
  }
  return table;
}

std::vector<std::pair<int, int>> CollidingSlots(const SlotOutputTable& table) {
  std::vector<std::pair<int, int>> pairs;
  for (int a = 0; a < kSlotCount; ++a) {
    for (int b = a + 1; b < kSlotCount; ++b) {
      if (table.slots[a].empty() || table.slots[b].empty()) continue;
      bool apart = false;
      for (const SlotOutput& x : table.slots[a])
        for (const SlotOutput& y : table.slots[b])
          apart = apart || (StateIndex(x) == StateIndex(y) && x.value != y.value);
      if (!apart) pairs.emplace_back(a, b);
    }
  }
  return pairs;
}

std::string SlotLabel(const PluginSettings& settings, int slot) {
  const std::string& name = settings.slots[slot & 0x0F].name;
  return "slot " + std::to_string((slot & 0x0F) + 1) + (name.empty() ? "" : " \"" + name + "\"");
}

std::string DescribeCollisions(const std::vector<std::pair<int, int>>& pairs,
                               const PluginSettings& settings, const SlotOutputTable& table) {
  auto outputs = [&](int slot) {
    std::string text;
    for (const SlotOutput& o : table.slots[slot]) text += (text.empty() ? "" : ", ") + Describe(o);
    return text;
  };
  std::string text;
  for (const auto& [a, b] : pairs) {
    if (!text.empty()) text += "; ";
    text += SlotLabel(settings, a) + " (" + outputs(a) + ") and " + SlotLabel(settings, b) + " (" +
            outputs(b) + ")";
  }
  return text;
}
