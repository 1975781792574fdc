#include "tools/render/latency_compensation.h"

#include <algorithm>

#include "tools/midifile/midi_file_writer.h"

namespace {

// Events read at a time once the earliest waiting one is not yet settled.
constexpr int kReadAhead = 256;

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
    return a.e.tick != b.e.tick ? a.e.tick > b.e.tick : static_cast<int32_t>(a.order - b.order) > 0;
  }
};

}  // namespace

SlotLatencies LatenciesOf(const PluginSettings& settings) {
  SlotLatencies latencies{};
  for (int s = 0; s < kSlotCount; ++s) latencies[s] = settings.slots[s].additions.latencyMs;
  return latencies;
}

void EarlierNoteOns::Queue::Grow() {
  std::vector<Held> larger(items_.size() * 2);
  for (size_t at = head_; at != tail_; ++at) larger[at - head_] = items_[at & (items_.size() - 1)];
  tail_ -= head_;
  head_ = 0;
  items_.swap(larger);
}

EarlierNoteOns::EarlierNoteOns(MidiEventSource& input, const LatencyShift& shift,
                               CompensationSummary& summary)
    : input_(input), shift_(shift), summary_(summary) {
  std::vector<uint16_t> latencies;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const uint16_t ms = summary.latencies[slot];
    longest_ = std::max<int>(longest_, ms);
    if (ms == 0) continue;
    const auto known = std::find(latencies.begin(), latencies.end(), ms);
    queueOf_[slot] = static_cast<uint8_t>(known - latencies.begin());
    if (known == latencies.end()) latencies.push_back(ms);
  }
  moved_.resize(latencies.size());
  heads_.resize(latencies.size());
  waiting_.reserve(latencies.size());
  longestTicks_ = shift.MostTicksIn(longest_);
}

bool EarlierNoteOns::Later(uint8_t a, uint8_t b) const {
  const HeadKey& x = heads_[a];
  const HeadKey& y = heads_[b];
  return x.tick != y.tick ? x.tick > y.tick : static_cast<int32_t>(x.order - y.order) > 0;
}

void EarlierNoteOns::SiftUp(size_t at) {
  while (at > 0) {
    const size_t parent = (at - 1) / 2;
    if (!Later(waiting_[parent], waiting_[at])) return;
    std::swap(waiting_[parent], waiting_[at]);
    at = parent;
  }
}

void EarlierNoteOns::SiftDown(size_t at) {
  for (;;) {
    size_t earliest = at;
    for (size_t child = 2 * at + 1; child <= 2 * at + 2 && child < waiting_.size(); ++child) {
      if (Later(waiting_[earliest], waiting_[child])) earliest = child;
    }
    if (earliest == at) return;
    std::swap(waiting_[at], waiting_[earliest]);
    at = earliest;
  }
}

void EarlierNoteOns::NoteHead(uint8_t queue) {
  const Held& front = moved_[queue].Front();
  heads_[queue] = {front.e.tick, front.order};
}

void EarlierNoteOns::NoteFirstMoved() {
  if (!waiting_.empty()) firstMoved_ = moved_[waiting_.front()].Front();
}

void EarlierNoteOns::Read() {
  // Read in place at the end of the events that keep their tick; a moved
  // note-on goes on to its latency's queue.
  Held& held = unmoved_.Push();
  held.order = read_++;
  if (!input_.Next(held.e, held.track)) {
    unmoved_.DropBack();
    inputDone_ = true;
    return;
  }
  held.written = held.e.tick;
  // Events still to read stand at this tick or later, so they land no
  // earlier than this tick less the longest latency.
  bool clamped = false;
  if (longestTicks_ != UINT64_MAX)
    settled_ = held.e.tick > longestTicks_ ? held.e.tick - longestTicks_ : 0;
  else
    settled_ = shift_.Earlier(held.e.tick, longest_, clamped);
  const int slot = held.e.status & 0x0F;
  if (!IsNoteOn(held.e) || summary_.latencies[slot] == 0) return;
  const uint8_t q = queueOf_[slot];
  Queue& queue = moved_[q];
  const bool wasEmpty = queue.Empty();
  Held& moved = queue.Push();
  moved = held;
  unmoved_.DropBack();
  moved.e.tick = shift_.Earlier(moved.e.tick, summary_.latencies[slot], clamped);
  if (moved.e.tick == moved.written) {
    ++(clamped ? summary_.unmovedAtStart : summary_.unmovedShort)[slot];
  } else {
    ++summary_.moved[slot];
    if (clamped) ++summary_.cut[slot];
  }
  if (wasEmpty) {
    NoteHead(q);
    waiting_.push_back(q);
    SiftUp(waiting_.size() - 1);
    NoteFirstMoved();
  }
}

bool EarlierNoteOns::Next(MidiEventView& e, int& track) {
  // Read until the earliest event waiting is settled: nothing still to read
  // can land before it. A note-on read meanwhile may land first.
  for (;;) {
    const Held* first = nullptr;
    bool fromMoved = false;
    if (!unmoved_.Empty()) first = &unmoved_.Front();
    if (!waiting_.empty()) {
      fromMoved = !first || Sinks()(*first, firstMoved_);
      if (fromMoved) first = &firstMoved_;
    }
    if (!first) {
      if (inputDone_) return false;
      Read();
      continue;
    }
    const uint64_t tick = first->e.tick;
    if (!inputDone_ && tick > settled_) {
      // Read ahead in a batch (reading more than needed is always sound),
      // then look again: a note-on read meanwhile may land first.
      for (int batch = 0; !inputDone_ && (tick > settled_ || batch < kReadAhead); ++batch) Read();
      continue;
    }
    e = first->e;
    track = first->track;
    written_ = first->written;
    if (!fromMoved) {
      unmoved_.Pop();
      return true;
    }
    // The top queue's first note goes: its next note (never earlier) takes
    // its place, or the last queue does when it has no more.
    const uint8_t top = waiting_.front();
    moved_[top].Pop();
    if (moved_[top].Empty()) {
      waiting_.front() = waiting_.back();
      waiting_.pop_back();
    } else {
      NoteHead(top);
    }
    if (!waiting_.empty()) SiftDown(0);
    NoteFirstMoved();
    return true;
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
  if (held.e.tick == e.tick) {
    ++summary_.unmovedShort[slot];
  } else {
    ++summary_.moved[slot];
    if (e.tick == 0) ++summary_.atStart[slot];
  }
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
  const PerformedControllers performed = PerformedIn(input, layout, table);
  ColouredEvents coloured(merged, table, summary, IdentityPairing(), picture, &performed);
  LaterNoteOns later(coloured, shift, compensation);
  CountedOverlaps counted(later, summary.overlaps);
  std::vector<uint8_t> out = WriteEventTracks(counted, layout);
  if (picture) {
    picture->Finish();
    picture->MoveStarts([&](const PianoRoll::Note& n) {
      const int ms = compensation.latencies[n.slot & 0x0F];
      return ms ? std::min(shift.Later(n.start, ms), n.end) : n.start;
    });
  }
  return out;
}
