#include "tools/render/latency_compensation.h"

#include <algorithm>

#include "tools/midifile/midi_file_writer.h"

namespace {

bool IsNoteOn(const MidiEventView& e) {
  return e.kind == MidiEvent::Kind::Channel && (e.status & 0xF0) == 0x90 && e.data2 > 0;
}
bool IsNoteOff(const MidiEventView& e) {
  return e.kind == MidiEvent::Kind::Channel &&
         ((e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.data2 == 0));
}

// Heap order: the later tick, or at one tick the later read, sinks. A
// type rather than a function, so that the heap's calls inline.
struct Sinks {
  template <typename Held>
  bool operator()(const Held& a, const Held& b) const {
    return a.e.tick != b.e.tick ? a.e.tick > b.e.tick : a.order > b.order;
  }
};

}  // namespace

SlotLatencies LatenciesOf(const PluginSettings& settings) {
  SlotLatencies latencies{};
  for (int s = 0; s < kSlotCount; ++s) latencies[s] = settings.slots[s].additions.latencyMs;
  return latencies;
}

EarlierNoteOns::EarlierNoteOns(MidiEventSource& input, const LatencyShift& shift,
                               CompensationSummary& summary)
    : input_(input), shift_(shift), summary_(summary) {
  for (uint16_t ms : summary.latencies) longest_ = std::max<int>(longest_, ms);
  longestTicks_ = shift.MostTicksIn(longest_);
}

void EarlierNoteOns::Read() {
  // Read in place at the end of the events that keep their tick; a moved
  // note-on goes on to the heap.
  Held& held = unmoved_.emplace_back();
  held.order = read_++;
  if (!input_.Next(held.e, held.track)) {
    unmoved_.pop_back();
    inputDone_ = true;
    return;
  }
  // Events still to read stand at this tick or later, so they land no
  // earlier than this tick less the longest latency.
  bool clamped = false;
  if (longestTicks_ != UINT64_MAX)
    settled_ = held.e.tick > longestTicks_ ? held.e.tick - longestTicks_ : 0;
  else
    settled_ = shift_.Earlier(held.e.tick, longest_, clamped);
  const int slot = held.e.status & 0x0F;
  if (!IsNoteOn(held.e) || summary_.latencies[slot] == 0) return;
  held.e.tick = shift_.Earlier(held.e.tick, summary_.latencies[slot], clamped);
  ++summary_.moved[slot];
  if (clamped) ++summary_.cut[slot];
  moved_.push_back(held);
  unmoved_.pop_back();
  std::push_heap(moved_.begin(), moved_.end(), Sinks());
}

bool EarlierNoteOns::Next(MidiEventView& e, int& track) {
  for (;;) {
    const bool haveUnmoved = unmovedHead_ < unmoved_.size();
    const bool fromHeap =
        !moved_.empty() && (!haveUnmoved || Sinks()(unmoved_[unmovedHead_], moved_.front()));
    const Held* first = fromHeap      ? &moved_.front()
                        : haveUnmoved ? &unmoved_[unmovedHead_]
                                      : nullptr;
    if (first && (inputDone_ || first->e.tick <= settled_)) {
      e = first->e;
      track = first->track;
      if (fromHeap) {
        std::pop_heap(moved_.begin(), moved_.end(), Sinks());
        moved_.pop_back();
      } else if (++unmovedHead_ == unmoved_.size()) {
        unmoved_.clear();
        unmovedHead_ = 0;
      } else if (unmovedHead_ >= 4096 && unmovedHead_ * 2 >= unmoved_.size()) {
        unmoved_.erase(unmoved_.begin(),
                       unmoved_.begin() + static_cast<std::ptrdiff_t>(unmovedHead_));
        unmovedHead_ = 0;
      }
      return true;
    }
    if (inputDone_) return false;
    Read();
  }
}

LaterNoteOns::LaterNoteOns(MidiEventSource& input, const LatencyShift& shift,
                           CompensationSummary& summary)
    : input_(input), shift_(shift), summary_(summary) {}

void LaterNoteOns::Read() {
  MidiEventView e;
  int track = 0;
  if (!input_.Next(e, track)) {
    inputDone_ = true;
    return;
  }
  const int slot = e.status & 0x0F;
  if (!IsNoteOn(e) || summary_.latencies[slot] == 0) {
    next_ = e;
    nextTrack_ = track;
    haveNext_ = true;
    nextPaired_ = false;
    return;
  }
  size_t index = held_.size();
  if (free_.empty()) {
    held_.emplace_back();
  } else {
    index = free_.back();
    free_.pop_back();
  }
  Held& held = held_[index];
  held = Held{e, track, read_++};
  held.e.tick = shift_.Later(e.tick, summary_.latencies[slot]);
  ++summary_.moved[slot];
  if (e.tick == 0) ++summary_.atStart[slot];
  sounding_.Push(slot, e.data1, index);
  heap_.push_back(index);
  std::push_heap(heap_.begin(), heap_.end(),
                 [this](size_t a, size_t b) { return Sinks()(held_[a], held_[b]); });
}

size_t LaterNoteOns::PopEarliest() {
  std::pop_heap(heap_.begin(), heap_.end(),
                [this](size_t a, size_t b) { return Sinks()(held_[a], held_[b]); });
  const size_t index = heap_.back();
  heap_.pop_back();
  held_[index].inHeap = false;
  return index;
}

void LaterNoteOns::Give(size_t index, uint64_t tick, MidiEventView& e, int& track) {
  Held& held = held_[index];
  held.given = true;
  e = held.e;
  e.tick = tick;
  track = held.track;
  Release(index);
}

void LaterNoteOns::Release(size_t index) {
  const Held& held = held_[index];
  if (held.given && held.ended && !held.inHeap) free_.push_back(index);
}

bool LaterNoteOns::Next(MidiEventView& e, int& track) {
  for (;;) {
    if (!haveNext_ && !inputDone_) {
      Read();
      continue;
    }
    while (!heap_.empty() && held_[heap_.front()].given) Release(PopEarliest());
    // A held note-on goes once every event of its tick has gone.
    if (!heap_.empty() && (!haveNext_ || held_[heap_.front()].e.tick < next_.tick)) {
      const size_t index = PopEarliest();
      Give(index, held_[index].e.tick, e, track);
      return true;
    }
    if (!haveNext_) return false;
    size_t index = 0;
    if (!nextPaired_ && IsNoteOff(next_) && summary_.latencies[next_.status & 0x0F] > 0 &&
        sounding_.Pop(next_.status & 0x0F, next_.data1, index)) {
      nextPaired_ = true;
      Held& held = held_[index];
      held.ended = true;
      if (!held.given) {
        if (held.e.tick > next_.tick) ++summary_.cut[next_.status & 0x0F];
        Give(index, next_.tick, e, track);
        return true;
      }
      Release(index);
    }
    e = next_;
    track = nextTrack_;
    haveNext_ = false;
    return true;
  }
}

std::vector<uint8_t> ColourUndoingCompensation(const std::vector<uint8_t>& input,
                                               const MidiLayout& layout,
                                               const SlotOutputTable& table, ColourSummary& summary,
                                               CompensationSummary& compensation,
                                               PianoRoll* picture) {
  const TempoMap tempo = ReadTempoMap(input, layout);
  const LatencyShift shift(tempo);
  MergedMidiEvents merged(input, layout);
  ColouredEvents coloured(merged, table, summary, IdentityPairing(), picture);
  LaterNoteOns later(coloured, shift, compensation);
  std::vector<uint8_t> out = WriteEventTracks(later, layout);
  if (picture) {
    picture->Finish();
    picture->MoveStarts([&](const PianoRoll::Note& n) {
      const int ms = compensation.latencies[n.slot & 0x0F];
      return ms ? std::min(shift.Later(n.start, ms), n.end) : n.start;
    });
  }
  return out;
}
