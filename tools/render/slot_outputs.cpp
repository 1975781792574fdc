#include "tools/render/slot_outputs.h"

#include <algorithm>
#include <memory>

#include "engine/note_names.h"
#include "maps/text_encoding.h"

namespace {

constexpr int kNoteChannelBits = 0xFFFF;

bool NamesAChannel(const SlotAdditions& a) {
  if ((a.noteChannels & kNoteChannelBits) != 0) return true;
  for (int i = 0; i < a.actionCount && i < kMaxSlotActions; ++i)
    if (a.actions[i].channel != 0) return true;
  return false;
}

// The output with the same kind, number and channel in `outputs`, or null.
SlotOutput* Find(std::vector<SlotOutput>& outputs, OutputKind kind, uint8_t channel) {
  for (SlotOutput& o : outputs)
    if (o.kind == kind && o.channel == channel) return &o;
  return nullptr;
}

class TableBuilder {
 public:
  TableBuilder(SlotOutputTable& table, const PluginSettings& settings) : table_(table) {
    for (const SlotSettings& slot : settings.slots)
      table_.routed = table_.routed || NamesAChannel(slot.additions);
    table_.homeChannel = static_cast<uint8_t>(settings.channel & 0x0F);
  }

  // An action's or a field's channel: 1..16, or 0 for the plug-in's.
  uint8_t Channel(int oneBased) const {
    if (oneBased != 0) return static_cast<uint8_t>((oneBased - 1) & 0x0F);
    return table_.routed ? table_.homeChannel : kOwnChannel;
  }

  // Sets (or, for a kind the slot sent before, overwrites) one value: what
  // the slot leaves in force is its last message of each kind.
  void Value(int slot, OutputKind kind, int channel, int number, int value) {
    const uint8_t ch = Channel(channel);
    auto& outputs = table_.slots[slot];
    SlotOutput* o = nullptr;
    for (SlotOutput& old : outputs)
      if (old.kind == kind && old.channel == ch && old.number == number) o = &old;
    if (!o) o = &outputs.emplace_back();
    o->kind = kind;
    o->channel = ch;
    o->number = static_cast<uint8_t>(number & 0x7F);
    o->value = static_cast<uint16_t>(kind == OutputKind::PitchBend ? value & 0x3FFF : value & 0x7F);
    if (kind == OutputKind::Control)
      table_.controlValues[SlotOutputTable::LaneOfOutput(*o)][o->number].set(o->value);
    if (kind == OutputKind::PitchBend)
      table_.bendValues[SlotOutputTable::LaneOfOutput(*o)].push_back(o->value);
    ForEachChannel(ch, [&](ChannelSwitches& s) {
      if (kind == OutputKind::Control) s.controls.set(o->number);
      if (kind == OutputKind::Program) s.programs = true;
      if (kind == OutputKind::PitchBend) s.pitchBends = true;
    });
  }

  // A key the slot presses: the keyswitch field, or a tapped action note.
  void Press(int slot, int channel, int key, int velocity, bool tapped) {
    const uint8_t ch = Channel(channel);
    auto& outputs = table_.slots[slot];
    SlotOutput* o = nullptr;
    for (SlotOutput& old : outputs)
      if (old.kind == OutputKind::Keyswitch && old.channel == ch && old.tapped == tapped &&
          old.value == (key & 0x7F))
        o = &old;
    if (!o) o = &outputs.emplace_back();
    o->kind = OutputKind::Keyswitch;
    o->channel = ch;
    o->value = static_cast<uint16_t>(key & 0x7F);
    o->velocity = static_cast<uint8_t>(velocity & 0x7F);
    o->tapped = tapped;
    ForEachChannel(
        ch, [&](ChannelSwitches& s) { s.keyswitchKeys.set(key & 0x7F), s.keys.set(key & 0x7F); });
    if (tapped) Key(slot, OutputKind::Taps, channel, key);
  }

  void Key(int slot, OutputKind kind, int channel, int key) {
    const uint8_t ch = Channel(channel);
    SlotOutput* o = Find(table_.slots[slot], kind, ch);
    if (!o) {
      o = &table_.slots[slot].emplace_back();
      o->kind = kind;
      o->channel = ch;
    }
    o->keys.set(key & 0x7F);
    ForEachChannel(ch, [&](ChannelSwitches& s) {
      s.keys.set(key & 0x7F);
      (kind == OutputKind::Taps ? s.tapKeys : s.heldKeys).set(key & 0x7F);
    });
  }

  template <typename F>
  void ForEachChannel(uint8_t channel, F f) {
    if (channel != kOwnChannel) return f(table_.switches[channel]);
    for (ChannelSwitches& s : table_.switches) f(s);
  }

 private:
  SlotOutputTable& table_;
};

std::string ChannelText(const SlotOutputTable& table, uint8_t channel) {
  if (channel == kOwnChannel || (table.routed && channel == table.homeChannel)) return "";
  return ", ch " + std::to_string(channel + 1);
}

std::string Keys(const std::bitset<128>& keys) {
  std::string text;
  for (int k = 0; k < 128; ++k)
    if (keys[k]) text += (text.empty() ? "" : " ") + NoteName(k);
  return text.empty() ? "none" : text;
}

std::string Describe(const SlotOutputTable& table, const SlotOutput& o) {
  const std::string value = std::to_string(o.value);
  std::string text;
  switch (o.kind) {
    case OutputKind::Keyswitch:
      text = "keyswitch " + NoteName(o.value) +
             (o.velocityTells ? " v" + std::to_string(o.velocity) : "");
      break;
    case OutputKind::Control:
      text = o.number == 32  ? "UACC " + value
             : o.number == 1 ? "modwheel " + value
                             : "CC " + std::to_string(o.number) + " = " + value;
      break;
    case OutputKind::Program:
      text = "program " + value;
      break;
    case OutputKind::PitchBend:
      text = "pitch bend " + value;
      break;
    case OutputKind::Taps:
      text = "taps " + Keys(o.keys);
      break;
    case OutputKind::Held:
      text = "holds " + Keys(o.keys);
      break;
  }
  return text + ChannelText(table, o.channel);
}

// The keyswitch field is one group of its own (a slot has one keyswitch;
// the plug-in latches the last one, as a sampler latches its keyswitches).
// The tapped action notes are grouped greedily, in the order the slots press
// them: a key joins the first group of its lane holding no key some slot
// taps together with it. A matrix map lists its keys in the same order in
// every slot (its first column becoming the keyswitch field), so the groups
// come out as its columns.
void GroupKeys(SlotOutputTable& table) {
  for (auto& lane : table.keyGroup) lane.fill(-1);
  // By lane and key, the keys some slot taps with it.
  const auto together =
      std::make_unique<std::array<std::array<std::bitset<128>, 128>, kLaneCount>>();
  auto& with = *together;
  auto tap = [](const SlotOutput& o) { return o.kind == OutputKind::Keyswitch && o.tapped; };
  for (int s = 0; s < kSlotCount; ++s) {
    if (!table.readable[s]) continue;
    for (const SlotOutput& a : table.slots[s])
      for (const SlotOutput& b : table.slots[s])
        if (tap(a) && tap(b) && a.channel == b.channel && a.value != b.value)
          with[SlotOutputTable::LaneOfOutput(a)][a.value].set(b.value);
  }
  std::array<std::vector<std::bitset<128>>, kLaneCount> members;
  // By field or tap, lane and key: the first velocity seen, and whether
  // another follows.
  std::array<std::array<std::array<int, 128>, kLaneCount>, 2> firstVelocity;
  for (auto& kind : firstVelocity)
    for (auto& lane : kind) lane.fill(-1);
  std::array<std::array<std::bitset<128>, kLaneCount>, 2> velocityTells;
  for (int s = 0; s < kSlotCount; ++s) {
    if (!table.readable[s]) continue;
    for (const SlotOutput& o : table.slots[s]) {
      if (o.kind != OutputKind::Keyswitch) continue;
      const int lane = SlotOutputTable::LaneOfOutput(o);
      int& velocity = firstVelocity[o.tapped][lane][o.value];
      if (velocity >= 0 && velocity != o.velocity) velocityTells[o.tapped][lane].set(o.value);
      if (velocity < 0) velocity = o.velocity;
      if (!o.tapped) {
        table.fieldKeys[lane].set(o.value);
        continue;
      }
      if (table.keyGroup[lane][o.value] >= 0) continue;
      auto& groups = members[lane];
      size_t g = 0;
      while (g < groups.size() && (groups[g] & with[lane][o.value]).any()) ++g;
      if (g == groups.size()) groups.emplace_back();
      groups[g].set(o.value);
      table.keyGroup[lane][o.value] = static_cast<int8_t>(std::min<size_t>(g + 1, 127));
    }
  }
  for (auto& outputs : table.slots)
    for (SlotOutput& o : outputs)
      if (o.kind == OutputKind::Keyswitch) {
        const int lane = SlotOutputTable::LaneOfOutput(o);
        o.group = o.tapped ? static_cast<uint8_t>(table.keyGroup[lane][o.value]) : 0;
        o.velocityTells = velocityTells[o.tapped][lane][o.value];
      }
}

// Whether two slots' outputs leave different values in one place of the
// state.
bool Differ(const SlotOutput& x, const SlotOutput& y) {
  if (x.kind != y.kind || x.channel != y.channel || StateIndex(x) != StateIndex(y)) return false;
  if (x.kind == OutputKind::Keyswitch)
    return x.group == y.group &&
           (x.value != y.value || (x.velocityTells && x.velocity != y.velocity));
  return x.value != y.value || x.keys != y.keys;
}

}  // namespace

bool IsPerformanceController(int cc) {
  return cc == 1 || cc == 2 || cc == 11 || cc == 16 || cc == 21 || cc == 64 || cc == 7 || cc == 10;
}

SlotOutputTable SlotOutputsOf(const PluginSettings& settings) {
  SlotOutputTable table;
  TableBuilder add(table, settings);
  const uint32_t home = 1u << table.homeChannel;
  for (int s = 0; s < kSlotCount; ++s) {
    const SlotSettings& slot = settings.slots[s];
    const SlotAdditions& extra = slot.additions;
    if (slot.keyswitch != kUnset) add.Press(s, 0, slot.keyswitch, extra.keyswitchVelocity, false);
    if (slot.uacc != kUnset) add.Value(s, OutputKind::Control, 0, 32, slot.uacc);
    if (slot.modwheel != kUnset) add.Value(s, OutputKind::Control, 0, 1, slot.modwheel);
    for (int i = 0; i < extra.actionCount && i < kMaxSlotActions; ++i) {
      const SlotAction& a = extra.actions[i];
      switch (a.kind) {
        case ActionKind::kNoteTap:
          add.Press(s, a.channel, a.number, a.value, true);
          break;
        case ActionKind::kNoteHeld:
          add.Key(s, OutputKind::Held, a.channel, a.number);
          break;
        case ActionKind::kControlChange:
          add.Value(s, OutputKind::Control, a.channel, a.number, a.value);
          break;
        case ActionKind::kProgramChange:
          add.Value(s, OutputKind::Program, a.channel, 0, a.number);
          break;
        case ActionKind::kPitchBend:
          add.Value(s, OutputKind::PitchBend, a.channel, 0, a.value);
          break;
      }
    }
    uint32_t channels = extra.noteChannels & kNoteChannelBits;
    if ((extra.noteChannels & kPluginChannelBit) != 0 || channels == 0) channels |= home;
    table.noteChannels[s] = static_cast<uint16_t>(channels);
    table.transpose[s] = extra.transpose;
    table.readable[s] =
        !table.slots[s].empty() || (table.routed && extra.noteChannels != kPluginChannelBit);
  }

  // Every readable slot leaves its own held set wherever some slot holds
  // notes, empty or not.
  std::vector<uint8_t> heldChannels;
  for (const auto& outputs : table.slots)
    for (const SlotOutput& o : outputs)
      if (o.kind == OutputKind::Held) heldChannels.push_back(o.channel);
  for (int s = 0; s < kSlotCount; ++s) {
    if (!table.readable[s]) continue;
    for (uint8_t channel : heldChannels) {
      if (Find(table.slots[s], OutputKind::Held, channel)) continue;
      SlotOutput& o = table.slots[s].emplace_back();
      o.kind = OutputKind::Held;
      o.channel = channel;
    }
    if (table.routed)
      for (int c = 0; c < 16; ++c)
        if (!(table.noteChannels[s] >> c & 1)) table.tellingChannels.set(c);
  }
  GroupKeys(table);
  return table;
}

std::vector<std::pair<int, int>> CollidingSlots(const SlotOutputTable& table) {
  std::vector<std::pair<int, int>> pairs;
  for (int a = 0; a < kSlotCount; ++a) {
    for (int b = a + 1; b < kSlotCount; ++b) {
      if (!table.readable[a] || !table.readable[b]) continue;
      bool apart = table.routed && (table.noteChannels[a] & table.noteChannels[b]) == 0;
      for (const SlotOutput& x : table.slots[a])
        for (const SlotOutput& y : table.slots[b]) apart = apart || Differ(x, y);
      if (!apart) pairs.emplace_back(a, b);
    }
  }
  return pairs;
}

std::string SlotLabel(const PluginSettings& settings, int slot) {
  const std::string name = Windows1252ToUtf8(settings.slots[slot & 0x0F].name);
  return "slot " + std::to_string((slot & 0x0F) + 1) + (name.empty() ? "" : " \"" + name + "\"");
}

std::string DescribeCollisions(const std::vector<std::pair<int, int>>& pairs,
                               const PluginSettings& settings, const SlotOutputTable& table) {
  auto outputs = [&](int slot) {
    std::string text;
    for (const SlotOutput& o : table.slots[slot])
      if (!o.tapped) text += (text.empty() ? "" : ", ") + Describe(table, o);
    if (table.routed && table.noteChannels[slot] != 1u << table.homeChannel) {
      std::string channels;
      for (int c = 0; c < 16; ++c)
        if (table.noteChannels[slot] >> c & 1)
          channels += (channels.empty() ? "" : "+") + std::to_string(c + 1);
      text += (text.empty() ? "" : ", ") + std::string("notes on ch ") + channels;
    }
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
