// What each articulation slot sends to select its articulation, as one
// table: a list of outputs per slot, each a kind of message, its number and
// the value it leaves in force. Reading a file back (articulation_reader.h)
// follows the values these outputs set; a new kind of slot output is a new
// row here and nothing more.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/maps/plugin_settings.h"

enum class OutputKind : uint8_t {
  Keyswitch,  // a note played (on, then off); its key is the value
  Control,    // a controller `number` set to the value
  Program,    // a program change to the value
};

struct SlotOutput {
  OutputKind kind = OutputKind::Keyswitch;
  uint8_t number = 0;  // the CC number of a Control output
  uint8_t value = 0;   // 0..127
};

// The values an instrument keeps, each slot output setting one of them:
// the last keyswitch, the last value of each CC, the last program.
constexpr int kStateKeyswitch = 0;
constexpr int kStateControl = 1;  // + the CC number
constexpr int kStateProgram = kStateControl + 128;
constexpr int kStateCount = kStateProgram + 1;
inline int StateIndex(const SlotOutput& o) {
  return o.kind == OutputKind::Keyswitch ? kStateKeyswitch
         : o.kind == OutputKind::Control ? kStateControl + o.number
                                         : kStateProgram;
}

// CC 1, 2, 11, 16, 21 and 64 (the plug-in's controllers) and CC 7 and 10
// (volume and pan): messages a part plays as well as a slot may send them.
bool IsPerformanceController(int cc);

struct SlotOutputTable {
  std::array<std::vector<SlotOutput>, kSlotCount> slots;
  std::bitset<128> keyswitchKeys;  // keys some slot plays as a keyswitch
  std::bitset<128> controls;       // CC numbers some slot sends
  bool programs = false;           // some slot sends a program change
};

// The plug-in's three outputs per slot: keyswitch, UACC as CC 32, modwheel
// as CC 1, each when set. A value goes into a file as its low seven bits.
SlotOutputTable SlotOutputsOf(const PluginSettings& settings);

// Slots whose outputs the state they leave cannot tell apart: every pair of
// slots that send something must both send one kind of message with
// different values. (A slot that leaves a kind unset keeps the previous
// slot's value in force, so only a shared kind can tell two slots apart.)
// Each pair is listed once, lower slot first, 0-based.
std::vector<std::pair<int, int>> CollidingSlots(const SlotOutputTable& table);

// "slot 2 "Sustain" (keyswitch C#0, UACC 1) and slot 5 ..." for an error.
std::string DescribeCollisions(const std::vector<std::pair<int, int>>& pairs,
                               const PluginSettings& settings, const SlotOutputTable& table);
// "slot 3 "Staccato"" (name left out when empty); `slot` is 0-based.
std::string SlotLabel(const PluginSettings& settings, int slot);
