// Every articulation on time. Sample libraries sound some articulations
// later after their note-on than others (a legato patch a quarter second, a
// pizzicato almost at once), so a part written on the grid plays out of
// time. The plug-in cannot play a note early, but a render can: each
// note-on of a slot with latency L goes L ms earlier (on the file's tempo
// map, to the nearest tick, never before tick 0), and the plug-in hears it
// there, so what it sends for that note goes with it. Note-offs and every
// other event keep their ticks. A moved note-on that lands while an earlier
// note still sounds on a channel and key where the plug-in plays it, of
// whatever colour (note_outputs.h), ends that note there: the render
// releases it first, so its note-off and the new note-on go out at one
// tick, as a sequencer plays a new note of a key already down (the earlier
// note would otherwise ring on to the later one's end, since the plug-in
// holds a key's note-off while another of its voices sounds it). Its own
// note-off, when it comes, then ends nothing. A colouring of such a render
// moves the note-ons back.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "maps/plugin_settings.h"
#include "tools/midifile/merged_events.h"
#include "tools/render/colouring.h"
#include "tools/render/held_notes.h"
#include "tools/render/latency_shift.h"

// Milliseconds by slot; slot k plays the notes of colour k (channel k + 1).
using SlotLatencies = std::array<uint16_t, kSlotCount>;
SlotLatencies LatenciesOf(const PluginSettings& settings);

struct CompensationSummary {
  SlotLatencies latencies{};
  std::array<int, kSlotCount> moved{};  // note-ons that moved, by slot
  // Render: of those, the ones that stopped at tick 0, the file starting
  // too soon before them. Colour: the ones kept before their own note-off.
  std::array<int, kSlotCount> cut{};
  // Colour: of the notes moved, those found at tick 0, where a render may
  // have stopped them short of their whole latency.
  std::array<int, kSlotCount> atStart{};
  // Note-ons of a slot with a latency that kept their tick: written at tick
  // 0 (render), or with a latency shorter than half a tick there.
  std::array<int, kSlotCount> unmovedAtStart{}, unmovedShort{};
  // Render: moved note-ons that landed while an earlier note of their key
  // still sounded where they play, of any colour, and ended it there.
  std::array<int, kSlotCount> restruck{};
};

// A source's events with the note-ons moved earlier, in the order of their
// new ticks (WrittenTick tells where the last one given was written); at one tick in the order
// read, so a note-on that lands where other events stand comes after them (after a note-off of its
// key, say). Holds the events of the longest latency's span at most. A shift never reorders the
// notes of one latency, so the moved note-ons wait in one queue per latency, each already in order,
// with a small heap of the queues by their first note; everything else waits in the order read. An
// event that keeps its tick costs two copies and one comparison.
class EarlierNoteOns final : public MidiEventSource {
 public:
  EarlierNoteOns(MidiEventSource& input, const LatencyShift& shift, CompensationSummary& summary);
  bool Next(MidiEventView& e, int& track) override;
  // The tick the event Next gave last was read at: later than its own for a
  // note-on that moved.
  uint64_t WrittenTick() const { return written_; }

 private:
  struct Held {
    MidiEventView e;
    int track;
    uint32_t order;  // read order (wraps after 2^32 events; compared as a difference)
    uint64_t written;
  };

  // Events in the order they are to be given: a ring whose size is a power
  // of two, doubled when full, so a push and a pop are a few instructions.
  class Queue {
   public:
    Queue() : items_(64) {}
    bool Empty() const { return head_ == tail_; }
    const Held& Front() const { return items_[head_ & (items_.size() - 1)]; }
    Held& Push() {
      if (tail_ - head_ == items_.size()) Grow();
      return items_[tail_++ & (items_.size() - 1)];
    }
    void DropBack() { --tail_; }
    void Pop() { ++head_; }

   private:
    void Grow();
    std::vector<Held> items_;
    size_t head_ = 0, tail_ = 0;  // positions; an item's index is its position's low bits
  };

  void Read();
  // The heap of waiting queues, by the (tick, order) of each one's first
  // note, kept beside it so a comparison reads no queue.
  struct HeadKey {
    uint64_t tick;
    uint32_t order;
  };
  bool Later(uint8_t a, uint8_t b) const;  // queue a's first note comes after queue b's
  void SiftUp(size_t at);
  void SiftDown(size_t at);
  void NoteHead(uint8_t queue);  // its first note's key, after a push into an empty queue or a pop
  void NoteFirstMoved();         // refreshes firstMoved_ from the heap's top

  MidiEventSource& input_;
  const LatencyShift& shift_;
  CompensationSummary& summary_;
  int longest_ = 0;
  uint64_t longestTicks_ = 0;  // at least the ticks the longest latency moves by
  Queue unmoved_;
  std::vector<Queue> moved_;                   // one per latency in use
  std::array<uint8_t, kSlotCount> queueOf_{};  // by slot, into moved_
  std::vector<uint8_t> waiting_;  // the queues that hold notes: a heap, earliest first note on top
  std::vector<HeadKey> heads_;    // by queue
  // The tick and order of the earliest moved note-on waiting, kept at hand:
  // every event that keeps its tick is compared with it.
  Held firstMoved_{};
  uint32_t read_ = 0;
  uint64_t written_ = 0;
  uint64_t settled_ = 0;  // no event still to read can land before this tick
  bool inputDone_ = false;
};

// The inverse, on a coloured stream: each note-on of a slot with latency L
// moved L ms later, to the tick Earlier would have moved it from. It comes
// after the other events at that tick, but never after its own note-off
// (the earliest held on its channel and key): a note that reached tick 0
// too soon for its whole latency cannot be told, and one that would pass
// its end stays just before it.
class LaterNoteOns final : public MidiEventSource {
 public:
  LaterNoteOns(MidiEventSource& input, const LatencyShift& shift, CompensationSummary& summary);
  bool Next(MidiEventView& e, int& track) override;

 private:
  struct Held {
    MidiEventView e;  // at the tick it moves to
    int track = 0;
    uint64_t order = 0;
    bool given = false;  // given, perhaps early, at its note-off
    bool ended = false;  // its note-off has come
    bool inHeap = true;
  };
  void Read();
  size_t PopEarliest();
  void Give(size_t index, uint64_t tick, MidiEventView& e, int& track);
  // Frees the index once nothing refers to it any more.
  void Release(size_t index);

  MidiEventSource& input_;
  const LatencyShift& shift_;
  CompensationSummary& summary_;
  std::vector<Held> held_;      // note-ons being moved, by index
  std::vector<size_t> free_;    // indices free for reuse
  std::vector<size_t> heap_;    // indices, the earliest (tick, order) on top
  HeldNotes<size_t> sounding_;  // indices by channel and key, earliest first
  MidiEventView next_;          // the next event read that is not moved
  int nextTrack_ = 0;
  bool haveNext_ = false, nextPaired_ = false, inputDone_ = false;
  uint64_t read_ = 0;
};

// colour with the compensation undone: ColourMidiFile, then LaterNoteOns
// by the latencies in `compensation`. The picture shows the notes moved.
std::vector<uint8_t> ColourUndoingCompensation(const std::vector<uint8_t>& input,
                                               const MidiLayout& layout,
                                               const SlotOutputTable& table, ColourSummary& summary,
                                               CompensationSummary& compensation,
                                               PianoRoll* picture = nullptr);
