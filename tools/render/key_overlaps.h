// Notes of one key that overlap: a note-on on a channel and key where a
// note already sounds. String parts do this all the time (a double stop on
// one string's note, divisi in unison). A sampler hears such notes as one
// key pressed twice: the next note-off of that key ends them all, so the
// render plays them so and the summaries list where they stand. A note-off
// ends every note of its key sounding on its channel, except one begun at
// the note-off's own tick while an earlier one sounds (a host plays a
// tick's note-offs before its note-ons, whatever track they stand in).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/midifile/merged_events.h"

// Where a note stands.
struct PlacedNote {
  uint64_t tick = 0;
  int track = 0;  // 0-based, as the file orders its tracks
};

struct KeyOverlapSummary {
  static constexpr size_t kListed = 10;
  int count = 0;                  // note-ons that found their key sounding
  std::vector<PlacedNote> first;  // where the first kListed of them stand
};

// Follows the notes sounding on each channel and key; allocates nothing
// once built.
class KeyOverlaps {
 public:
  KeyOverlaps() { keys_.fill(Key{}); }
  // True (and counted) when a note of the key sounds there already.
  bool NoteOn(int channel, int key, uint64_t tick, int track, KeyOverlapSummary& summary);
  // How many notes the note-off ends (0: none sounded).
  int NoteOff(int channel, int key, uint64_t tick);

 private:
  // Notes begin in tick order, so the ones a note-off spares are those begun
  // at the latest start, when it is the note-off's own tick.
  struct Key {
    uint64_t latest = 0;  // tick of the latest note-on
    int sounding = 0;
    int atLatest = 0;  // of those sounding, begun at `latest`
  };
  std::array<Key, 16 * 128> keys_;
};

// A source's events passed on unchanged, its overlapping notes counted.
class CountedOverlaps final : public MidiEventSource {
 public:
  CountedOverlaps(MidiEventSource& input, KeyOverlapSummary& summary)
      : input_(input), summary_(summary) {}
  bool Next(MidiEventView& e, int& track) override;

 private:
  MidiEventSource& input_;
  KeyOverlapSummary& summary_;
  KeyOverlaps keys_;
};
