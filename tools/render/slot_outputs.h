// What each articulation slot sends to select its articulation, as one
// table: a list of outputs per slot, each a kind of message, its channel,
// its number and the value it leaves in force, and where the slot's notes
// are played (channels, transpose). Reading a file back (colouring.h)
// follows the values these outputs set; a new kind of slot output is a new
// row here.
//
// Channels. A map whose slots name no channel of their own reads every MIDI
// channel as its own instrument: the slot outputs are looked for on the
// note's channel, wherever the map's channel is. A map that routes anything
// to a named channel (a note channel or an action's channel) is "routed":
// its outputs without a channel of their own are read on the map's channel,
// the others on theirs, and a note's channel is evidence of its slot.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "maps/plugin_settings.h"

enum class OutputKind : uint8_t {
  Keyswitch,  // a key pressed (on, then off): the keyswitch field or one tapped action note
  Control,    // a controller `number` set to the value
  Program,    // a program change to the value
  PitchBend,  // a pitch bend to the value, 0..16383
  Taps,       // the notes tapped on one channel when the slot comes into force: `keys`
  Held,       // the notes held down on one channel while the slot is in force: `keys`
};

constexpr uint8_t kOwnChannel = 0xFF;  // an output on the plug-in's channel

struct SlotOutput {
  OutputKind kind = OutputKind::Keyswitch;
  uint8_t channel = kOwnChannel;  // 0..15, or kOwnChannel
  uint8_t number = 0;             // the CC number of a Control output
  uint16_t value = 0;             // 0..127; a pitch bend 0..16383
  std::bitset<128> keys;          // of Taps and Held outputs
  // Of a Keyswitch output: the key's group on its channel (see KeyGroups),
  // the velocity it is pressed with, whether that velocity tells slots
  // apart (some slot presses the key at another), and whether it is one of
  // the slot's tapped notes (the Taps output lists them too).
  uint8_t group = 0, velocity = 0;
  bool velocityTells = false, tapped = false;
};

// The values an instrument keeps on each channel, each slot output setting
// one of them: the last keyswitch, the last value of each CC, the last
// program, the last pitch bend. (The tapped and held notes are kept as key
// sets beside them.)
constexpr int kStateKeyswitch = 0;
constexpr int kStateControl = 1;  // + the CC number
constexpr int kStateProgram = kStateControl + 128;
constexpr int kStatePitchBend = kStateProgram + 1;
constexpr int kStateCount = kStatePitchBend + 1;
inline int StateIndex(const SlotOutput& o) {
  switch (o.kind) {
    case OutputKind::Keyswitch:
      return kStateKeyswitch;
    case OutputKind::Control:
      return kStateControl + (o.number & 0x7F);
    case OutputKind::Program:
      return kStateProgram;
    default:
      return kStatePitchBend;
  }
}

// CC 1, 2, 11, 16, 21 and 64 (the plug-in's controllers) and CC 7 and 10
// (volume and pan): messages a part plays as well as a slot may send them.
bool IsPerformanceController(int cc);

// What switches on one channel: the note keys (keyswitches, tapped and held
// action notes), the CC numbers, program changes and pitch bends some slot
// sends there.
struct ChannelSwitches {
  std::bitset<128> keys, tapKeys, heldKeys, keyswitchKeys;
  std::bitset<128> controls;
  bool programs = false, pitchBends = false;
};

// A lane is where key groups and switching values are looked up: a channel
// 0..15 in a routed map, kOwnLane for the outputs of a map that reads every
// channel as its own instrument.
constexpr int kOwnLane = 16;
constexpr int kLaneCount = 17;

struct SlotOutputTable {
  std::array<std::vector<SlotOutput>, kSlotCount> slots;
  // Slots that take part in reading: they send something or route their
  // notes; the others are never read.
  std::bitset<kSlotCount> readable;
  std::array<int8_t, kSlotCount> transpose{};
  std::array<uint16_t, kSlotCount> noteChannels{};  // resolved (routed maps)
  bool routed = false;
  uint8_t homeChannel = 0;                   // the map's channel (routed maps)
  std::array<ChannelSwitches, 16> switches;  // by channel
  // Channels some readable slot does not play its notes on: there a note's
  // channel tells something about its slot.
  std::bitset<16> tellingChannels;
  // Keys latch in groups, as a sampler latches its keyswitches: pressing a
  // key replaces the other keys of its group and leaves the other groups as
  // they were. The keyswitch field's keys are group 0 (a map whose slots
  // press one key each has that one group, the last keyswitch); two tapped
  // action notes that no slot taps together are alternatives in one group,
  // 1 or higher. By lane and key: the tapped notes' groups (-1: none), and
  // the keys that are some slot's keyswitch field.
  std::array<std::array<int8_t, 128>, kLaneCount> keyGroup;
  std::array<std::bitset<128>, kLaneCount> fieldKeys;
  // By lane and CC number, the values some slot sends; by lane, the pitch
  // bends some slot sends. A performance controller switching outside a
  // note's tick must carry one of them.
  std::array<std::array<std::bitset<128>, 128>, kLaneCount> controlValues;
  std::array<std::vector<uint16_t>, kLaneCount> bendValues;

  int LaneOf(int channel) const { return routed ? channel & 0x0F : kOwnLane; }
  static int LaneOfOutput(const SlotOutput& o) {
    return o.channel == kOwnChannel ? kOwnLane : o.channel;
  }

  // The channel an output is read on, for a note on `noteChannel`.
  int ChannelOf(const SlotOutput& o, int noteChannel) const {
    if (o.channel != kOwnChannel) return o.channel;
    return routed ? homeChannel : noteChannel;
  }
  // The channels a slot's note is played on, for a note on `noteChannel`.
  uint16_t NoteChannelsOf(int slot, int noteChannel) const {
    return routed ? noteChannels[slot] : static_cast<uint16_t>(1u << (noteChannel & 0x0F));
  }
};

// The plug-in's outputs per slot: keyswitch, UACC as CC 32, modwheel as
// CC 1, each when set, then the slot's actions; a value goes into a file as
// its low seven bits. Where some slot holds notes on a channel, every
// readable slot leaves its own held set there (possibly empty): a switch of
// slot releases what the slot before held.
SlotOutputTable SlotOutputsOf(const PluginSettings& settings);

// Slots whose outputs the state they leave cannot tell apart: every pair of
// readable slots must both send one kind of message on one channel with
// different values (two keys of one group, one key at two velocities that
// tell, or two different sets of tapped notes), or (in a routed map) play
// their notes on channels of which they share none. (A slot that leaves a kind unset keeps the
// previous slot's value in force, so only a shared kind can tell two slots
// apart.) Each pair is listed once, lower slot first, 0-based.
std::vector<std::pair<int, int>> CollidingSlots(const SlotOutputTable& table);

// "slot 2 "Sustain" (keyswitch C#0, UACC 1) and slot 5 ..." for an error.
std::string DescribeCollisions(const std::vector<std::pair<int, int>>& pairs,
                               const PluginSettings& settings, const SlotOutputTable& table);
// "slot 3 "Staccato"" (name left out when empty) in UTF-8; `slot` is 0-based.
std::string SlotLabel(const PluginSettings& settings, int slot);
