// The events of all tracks of a checked file, read in place and merged by
// tick: at equal ticks, earlier tracks first and each track in its own order
// (the order MergeTracks gives). Holds one pending event per track.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/midifile/midi_file_reader.h"
#include "tools/midifile/midi_track_cursor.h"

// Anything that gives timed events one at a time, in tick order, each with
// the index of the track it belongs to.
class MidiEventSource {
 public:
  // The next event and its track; false after the last.
  virtual bool Next(MidiEventView& e, int& track) = 0;

 protected:
  ~MidiEventSource() = default;
};

class MergedMidiEvents final : public MidiEventSource {
 public:
  // `bytes` and `layout` (from ReadMidiLayout on those bytes) must outlive this.
  MergedMidiEvents(const std::vector<uint8_t>& bytes, const MidiLayout& layout);
  // The next event; false after the last.
  bool Next(MidiEventView& e);
  bool Next(MidiEventView& e, int& track) override;

 private:
  bool Later(uint32_t a, uint32_t b) const;
  void Advance(uint32_t track);

  std::vector<MidiTrackCursor> cursors_;
  std::vector<MidiEventView> pending_;  // each track's next event
  std::vector<uint32_t> heap_;          // tracks with a pending event, earliest on top
};

// The tempo map of a checked file, from one pass over its events.
TempoMap ReadTempoMap(const std::vector<uint8_t>& bytes, const MidiLayout& layout);
