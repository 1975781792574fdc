#include "tools/midifile/merged_events.h"

#include <algorithm>
#include <string>

MergedMidiEvents::MergedMidiEvents(const std::vector<uint8_t>& bytes, const MidiLayout& layout) {
  cursors_.reserve(layout.tracks.size());
  for (const MidiLayout::Track& track : layout.tracks)
    cursors_.emplace_back(bytes.data(), track.begin, track.end, static_cast<int>(cursors_.size()));
  pending_.resize(cursors_.size());
  heap_.reserve(cursors_.size());
  for (uint32_t t = 0; t < cursors_.size(); ++t) Advance(t);
}

// Heap order: the later tick, or at equal ticks the later track, sinks.
bool MergedMidiEvents::Later(uint32_t a, uint32_t b) const {
  return pending_[a].tick != pending_[b].tick ? pending_[a].tick > pending_[b].tick : a > b;
}

void MergedMidiEvents::Advance(uint32_t track) {
  std::string error;  // the layout has checked every event; a fault just ends the track
  if (cursors_[track].AtEnd() || !cursors_[track].Next(pending_[track], error)) return;
  heap_.push_back(track);
  std::push_heap(heap_.begin(), heap_.end(),
                 [this](uint32_t a, uint32_t b) { return Later(a, b); });
}

bool MergedMidiEvents::Next(MidiEventView& e) {
  int track = 0;
  return Next(e, track);
}

bool MergedMidiEvents::Next(MidiEventView& e, int& trackIndex) {
  if (heap_.empty()) return false;
  std::pop_heap(heap_.begin(), heap_.end(), [this](uint32_t a, uint32_t b) { return Later(a, b); });
  const uint32_t track = heap_.back();
  heap_.pop_back();
  e = pending_[track];
  trackIndex = static_cast<int>(track);
  Advance(track);
  return true;
}

TempoMap ReadTempoMap(const std::vector<uint8_t>& bytes, const MidiLayout& layout) {
  TempoMap tempo(layout.division);
  MergedMidiEvents events(bytes, layout);
  MidiEventView e;
  while (events.Next(e)) tempo.Add(e);
  return tempo;
}
