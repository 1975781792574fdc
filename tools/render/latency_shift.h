// Moving a note's start by some milliseconds on a file's own tempo map, to
// the nearest tick: earlier, where a render starts the notes of a slow
// articulation ahead of the grid, and later, where a colouring puts them
// back. Each shift is a few binary searches in the tempo map.
#pragma once

#include <cstdint>

#include "tools/midifile/midi_file.h"

class LatencyShift {
 public:
  // `tempo` must outlive this.
  explicit LatencyShift(const TempoMap& tempo) : tempo_(tempo) {}

  // `tick` moved `ms` earlier. A time before the file's start gives tick 0
  // and sets `clamped`. Never later than `tick`; the same for equal ticks,
  // so notes of one latency keep their order.
  uint64_t Earlier(uint64_t tick, int ms, bool& clamped) const;

  // Undoes Earlier: of the ticks that Earlier moves to `tick`, the one
  // nearest to `ms` after it. Where a tick earlier in the file is longer
  // than one later, Earlier moves several ticks to one, and the nearest
  // stands for all; where none moves to `tick`, the nearest tick `ms` later.
  uint64_t Later(uint64_t tick, int ms) const;

  // At least as many ticks as Earlier moves any tick by `ms` (one more
  // for the rounding), or UINT64_MAX when a tempo of zero makes some ticks
  // take no time.
  uint64_t MostTicksIn(int ms) const;

 private:
  uint64_t EarlierTick(uint64_t tick, int ms) const;
  uint64_t EarlierFrom(uint64_t tick, double seconds, int ms) const;

  const TempoMap& tempo_;
};
