// What a slot may send beyond its keyswitch, UACC and modwheel values: the
// keyswitch's velocity, the channels its notes are played on, a transpose
// of those notes, and an ordered list of actions (notes tapped or held,
// controller values, program changes, pitch bends) sent when the slot
// becomes the one in force; and the articulation's latency, how long the
// instrument takes to sound a note of it (kept for offline rendering: the
// plug-in itself cannot play a note early). Plain data with no dependencies, so the state
// codec and the map tools share it; a slot left at the defaults behaves and
// saves exactly as a slot without additions.
#pragma once

#include <array>
#include <cstdint>

constexpr int kMaxSlotActions = 32;
constexpr uint8_t kDefaultKeyswitchVelocity = 127;
constexpr int kMaxTranspose = 48;
constexpr uint16_t kMaxLatencyMs = 1000;
// Bits 0..15 of a channel set are channels 1..16; this bit is "the plug-in's
// channel", whatever it is when the note plays.
constexpr uint32_t kPluginChannelBit = 1u << 16;
constexpr uint32_t kChannelSetMask = kPluginChannelBit | 0xFFFFu;
constexpr uint16_t kPitchBendCentre = 8192;

enum class ActionKind : uint8_t {
  kNoteTap = 1,        // note-on, then its note-off at once
  kNoteHeld = 2,       // note-on, its note-off at the next switch of slot
  kControlChange = 3,  // number, value
  kProgramChange = 4,  // number = program
  kPitchBend = 5,      // value 0..16383, 8192 the centre
};

struct SlotAction {
  ActionKind kind = ActionKind::kNoteTap;
  uint8_t channel = 0;  // 1..16, or 0 for the plug-in's channel
  uint8_t number = 0;   // note, controller or program, 0..127
  uint16_t value = 0;   // velocity 1..127, controller value 0..127, bend 0..16383

  bool operator==(const SlotAction&) const = default;
};

struct SlotAdditions {
  uint8_t keyswitchVelocity = kDefaultKeyswitchVelocity;  // 1..127
  int8_t transpose = 0;                                   // -48..48 semitones
  uint32_t noteChannels = kPluginChannelBit;              // a channel set, never empty
  uint16_t latencyMs = 0;                                 // 0..1000
  uint8_t actionCount = 0;
  std::array<SlotAction, kMaxSlotActions> actions{};

  bool IsDefault() const { return *this == SlotAdditions{}; }
  bool operator==(const SlotAdditions& other) const {
    if (keyswitchVelocity != other.keyswitchVelocity || transpose != other.transpose ||
        noteChannels != other.noteChannels || latencyMs != other.latencyMs ||
        actionCount != other.actionCount) {
      return false;
    }
    for (int i = 0; i < actionCount && i < kMaxSlotActions; ++i) {
      if (!(actions[i] == other.actions[i])) return false;
    }
    return true;
  }
};

using SlotAdditionsArray = std::array<SlotAdditions, 16>;

// True when every field lies in its range: what a loaded or edited slot
// must satisfy before the engine may send from it.
inline bool IsValidAction(const SlotAction& a) {
  if (a.channel > 16 || a.number > 127) return false;
  switch (a.kind) {
    case ActionKind::kNoteTap:
    case ActionKind::kNoteHeld:
      return a.value >= 1 && a.value <= 127;
    case ActionKind::kControlChange:
      return a.value <= 127;
    case ActionKind::kProgramChange:
      return a.value == 0;
    case ActionKind::kPitchBend:
      return a.number == 0 && a.value <= 16383;
  }
  return false;
}

inline bool IsValidAdditions(const SlotAdditions& s) {
  if (s.keyswitchVelocity < 1 || s.keyswitchVelocity > 127) return false;
  if (s.transpose < -kMaxTranspose || s.transpose > kMaxTranspose) return false;
  if (s.noteChannels == 0 || (s.noteChannels & ~kChannelSetMask) != 0) return false;
  if (s.latencyMs > kMaxLatencyMs) return false;
  if (s.actionCount > kMaxSlotActions) return false;
  for (int i = 0; i < s.actionCount; ++i) {
    if (!IsValidAction(s.actions[i])) return false;
  }
  return true;
}
