#include "tools/render/piano_roll.h"

#include <algorithm>

void PianoRoll::NoteOn(uint64_t tick, int channel, int key, int slot) {
  end_ = std::max(end_, tick);
  held_.Push(channel, key, notes_.size());
  notes_.push_back(
      {tick, tick, static_cast<uint8_t>(key & 0x7F), static_cast<uint8_t>(slot & 0x0F)});
}

void PianoRoll::NoteOff(uint64_t tick, int channel, int key) {
  end_ = std::max(end_, tick);
  size_t index = 0;
  if (held_.Pop(channel, key, index)) notes_[index].end = tick;
}

void PianoRoll::Event(const MidiEventView& e) {
  end_ = std::max(end_, e.tick);
  if (e.kind != MidiEvent::Kind::Meta || e.metaType != kMetaTimeSignature || e.payloadSize < 2)
    return;
  // A denominator beyond 2^6 (a sixty-fourth) is not a metre anyone writes;
  // it is held there so bar lengths stay sane.
  const Metre metre{e.tick, std::max<int>(1, e.payload[0]), std::min<int>(6, e.payload[1])};
  if (!metres_.empty() && metres_.back().tick == e.tick)
    metres_.back() = metre;
  else
    metres_.push_back(metre);
}

void PianoRoll::Finish() {
  held_.ForEach([this](size_t index) { notes_[index].end = end_; });
}
