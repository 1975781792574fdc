// What the audio thread needs to play a note of a slot: its keyswitch, UACC
// and modwheel values, the keyswitch's velocity, the note channels, the transpose and, when the
// slot's actions are due, those actions as the messages they send. The messages are packed when the
// bank is published, off the audio thread, so a switch sends each one with a few masks and ors,
// whatever its kind.
#pragma once

#include <array>
#include <cstdint>

#include "engine/midi_message.h"
#include "engine/realtime.h"
#include "engine/slot_additions.h"

// One message of an action: status, data 1 and data 2 in bits 0-23, as a
// MidiMessage holds them. The port byte holds 0x0F when the message goes on
// the plug-in's channel (its status then names channel 1) and 0 otherwise:
// a mask for the channel it is sent on.
using ActionWord = uint32_t;
constexpr ActionWord kOnPluginChannel = 0x0Fu << 24;
constexpr ActionWord kActionBytes = 0x00FFFFFFu;

// A tapped note is two messages; every other action one.
constexpr int kMaxActionWords = 2 * kMaxSlotActions;

struct PackedActions {
  uint8_t count = 0;
  uint64_t heldNoteOns = 0;  // bit i: words[i] is a note-on held until the next switch
  ActionWord words[kMaxActionWords] = {};
};

// The actions of valid additions, in list order.
PackedActions PackActions(const SlotAdditions& additions);

// The message an action word sends, given the plug-in's channel and port.
inline MidiMessage ActionMessage(ActionWord word, uint8_t channel, uint8_t port) ARTSW_REALTIME {
  return (word & kActionBytes) | ((word >> 24) & channel) | static_cast<uint32_t>(port) << 24;
}

// A slot's keyswitch note, UACC value and modwheel value as the state keeps
// them; -1 where the slot sends none.
struct SlotSwitch {
  int32_t keyswitch = -1;
  int32_t uacc = -1;
  int32_t modwheel = -1;
  bool operator==(const SlotSwitch&) const = default;
};
using SlotSwitchArray = std::array<SlotSwitch, 16>;

struct SlotPlayback {
  SlotSwitch fields;
  uint8_t keyswitchVelocity = kDefaultKeyswitchVelocity;
  int8_t transpose = 0;
  uint32_t noteChannels = kPluginChannelBit;
  // Filled only when asked for; words past the count are left as they were.
  uint8_t actionCount = 0;
  uint64_t heldNoteOns = 0;
  ActionWord actions[kMaxActionWords];
};
