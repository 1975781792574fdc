#include "tools/render/piano_roll.h"

#include <algorithm>

void PianoRoll::NoteOn(uint64_t tick, int channel, int key, int slot, bool guessed) {
  end_ = std::max(end_, tick);
  held_.Push(channel, key, notes_.size());
  notes_.push_back(
      {tick, tick, static_cast<uint8_t>(key & 0x7F), static_cast<uint8_t>(slot & 0x0F), guessed});
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
  AddMetre(metres_, e.tick, e.payload[0], e.payload[1]);
}

void PianoRoll::Finish() {
  held_.ForEach([this](size_t index) { notes_[index].end = end_; });
}
