// Notes of one key that overlap: a note-on on a channel and key where a
// note already sounds. String parts do this all the time (a double stop on
// one string's note, divisi in unison). A sampler hears such notes as one
// key pressed twice: the next note-off of that key ends them all, so the
// render plays them so and the summaries list where they stand. A note-off
// ends every note of its key sounding on its channel, except one begun at
// the note-off's own tick while an earlier one sounds (a host plays a
// tick's note-offs before its note-ons, whatever track they stand in). The
// notes ended with another one still have their own note-offs to come:
// each such note-off, when no note begun before it sounds, ends nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/midifile/merged_events.h"
#include "tools/render/note_outputs.h"

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
  // How many notes the note-off ends: those begun before its tick; when
  // none sounds, none if a note ended with others still owes its
  // note-off (this is it), else those begun at its tick.
  int NoteOff(int channel, int key, uint64_t tick);
  // Whether a note-off there at `tick` would end a note begun before it.
  bool SoundsBefore(int channel, int key, uint64_t tick) const {
    const Key& k = At(channel, key);
    return k.sounding > (k.latest == tick ? k.atLatest : 0);
  }

 private:
  // Notes begin in tick order, so the ones a note-off spares are those begun
  // at the latest start, when it is the note-off's own tick.
  struct Key {
    uint64_t latest = 0;  // tick of the latest note-on
    int sounding = 0;
    int atLatest = 0;  // of those sounding, begun at `latest`
    int owed = 0;      // note-offs still to come of notes already ended
  };
  Key& At(int channel, int key) { return keys_[(channel & 0x0F) * 128 + (key & 0x7F)]; }
  const Key& At(int channel, int key) const { return keys_[(channel & 0x0F) * 128 + (key & 0x7F)]; }
  std::array<Key, 16 * 128> keys_;
};

// A source's events with their overlapping notes counted. The events of a
// tick are read before the first is given, and counted as a host plays
// them: a tick's note-offs before its note-ons, so a note that begins where
// another of its key ends, in an earlier track, is no overlap. Given the
// map's `outputs`, a render is given them so: a note-off that ends notes
// begun before its tick goes just before the first note-on at that tick,
// standing before it, that the plug-in plays on a channel and key where
// those notes sound, whatever its colour (the plug-in must not hear the
// new note before the end of the old, or it keeps the key down for the
// new one); everything else keeps its order, as it does without `outputs`
// (colour, whose file keeps its order).
class CountedOverlaps final : public MidiEventSource {
 public:
  CountedOverlaps(MidiEventSource& input, KeyOverlapSummary& summary,
                  const NoteOutputs* outputs = nullptr)
      : input_(input), summary_(summary), outputs_(outputs) {}
  bool Next(MidiEventView& e, int& track) override;

 private:
  struct Item {
    MidiEventView e;
    int track = 0;
    bool endedEarlier = false;  // a note-off that ended notes begun before its tick
  };
  void ReadTick();

  MidiEventSource& input_;
  KeyOverlapSummary& summary_;
  const NoteOutputs* const outputs_;
  KeyOverlaps keys_;
  std::vector<Item> tick_;  // the events of one tick; storage kept
  size_t next_ = 0;
  Item ahead_;  // the first event of the next tick, once read
  bool haveAhead_ = false, done_ = false;
};
