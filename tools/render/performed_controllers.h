// Which of the map's switching controllers a part also plays. A performance
// controller (CC 1, 11, …) or a pitch bend that some slot sends may be a
// switch or the music itself, and where it stands does not always tell:
// a switch written a sixteenth early sits under the note before when the
// phrase is legato. What the whole part does with it tells: a part that
// only ever sets it to values some slot sends uses it to switch, wherever it
// stands; a part that gives it any other value plays it, and then only the
// narrower rule applies (at a note's tick, or last before a note in a rest).
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

#include "tools/midifile/midi_file_reader.h"
#include "tools/render/slot_outputs.h"

struct PerformedControllers {
  static constexpr int kPitchBend = 128;
  // By lane (SlotOutputTable::LaneOf): bit n set when the part gives CC n,
  // or at kPitchBend a pitch bend, a value that no slot sends there.
  std::array<std::bitset<129>, kLaneCount> performed;

  // Every controller played: the narrower rule everywhere.
  static PerformedControllers All() {
    PerformedControllers all;
    for (auto& lane : all.performed) lane.set();
    return all;
  }
};

// One pass over a checked file.
PerformedControllers PerformedIn(const std::vector<uint8_t>& input, const MidiLayout& layout,
                                 const SlotOutputTable& table);
