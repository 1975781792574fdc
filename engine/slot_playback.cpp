#include "engine/slot_playback.h"

namespace {
constexpr uint8_t kProgramChange = 0xC0;

ActionWord Word(uint8_t status, uint8_t channel, int32_t data1, int32_t data2) {
  // Channel 0 names the plug-in's channel, whatever it is when sent.
  const ActionWord address =
      channel == 0 ? kOnPluginChannel : static_cast<ActionWord>((channel - 1) & 0x0F);
  return (midi::Pack(status, data1, data2, 0) & kActionBytes) | address;
}
}  // namespace

PackedActions PackActions(const SlotAdditions& additions) {
  PackedActions packed;
  const int count =
      additions.actionCount < kMaxSlotActions ? additions.actionCount : kMaxSlotActions;
  int n = 0;
  for (int i = 0; i < count; ++i) {
    const SlotAction& a = additions.actions[i];
    switch (a.kind) {
      case ActionKind::kNoteTap:
        packed.words[n++] = Word(midi::kNoteOn, a.channel, a.number, a.value);
        packed.words[n++] = Word(midi::kNoteOff, a.channel, a.number, 0);
        break;
      case ActionKind::kNoteHeld:
        packed.heldNoteOns |= uint64_t{1} << n;
        packed.words[n++] = Word(midi::kNoteOn, a.channel, a.number, a.value);
        break;
      case ActionKind::kControlChange:
        packed.words[n++] = Word(midi::kControlChange, a.channel, a.number, a.value);
        break;
      case ActionKind::kProgramChange:
        packed.words[n++] = Word(kProgramChange, a.channel, a.number, 0);
        break;
      case ActionKind::kPitchBend:
        packed.words[n++] = Word(midi::kPitchBend, a.channel, a.value & 0x7F, (a.value >> 7) & 0x7F);
        break;
    }
  }
  packed.count = static_cast<uint8_t>(n);
  return packed;
}
