#include "tools/midifile/midi_file.h"

#include <algorithm>

std::vector<MidiEvent> MergeTracks(const MidiFile& file) {
  // Sorted by (tick, track, position): the order a stable sort by tick of
  // the tracks one after another gives.
  struct Place {
    uint64_t tick;
    uint32_t track, index;
    bool operator<(const Place& o) const {
      return tick != o.tick ? tick < o.tick : track != o.track ? track < o.track : index < o.index;
    }
  };
  std::vector<Place> places;
  for (uint32_t t = 0; t < file.tracks.size(); ++t)
    for (uint32_t i = 0; i < file.tracks[t].size(); ++i)
      places.push_back({file.tracks[t][i].tick, t, i});
  std::sort(places.begin(), places.end());
  std::vector<MidiEvent> merged;
  merged.reserve(places.size());
  for (const Place& p : places) merged.push_back(file.tracks[p.track][p.index]);
  return merged;
}

TempoMap::TempoMap(uint16_t division) {
  if (division & 0x8000) {
    // SMPTE: frames per second (as a negative byte) times ticks per frame;
    // tempo events do not apply.
    const int fps = -static_cast<int8_t>(division >> 8);
    const int perFrame = division & 0xFF;
    const double perTick = fps > 0 && perFrame > 0 ? 1.0 / (fps * perFrame) : 0.0;
    changes_.push_back({0, 0.0, perTick});
    return;
  }
  quarter_ = division ? division : 1;
  changes_.push_back({0, 0.0, 0.5 / quarter_});
}

TempoMap::TempoMap(uint16_t division, const std::vector<MidiEvent>& merged) : TempoMap(division) {
  for (const MidiEvent& e : merged) Add(MidiEventView::Of(e));
}

void TempoMap::Add(const MidiEventView& e) {
  if (!quarter_ || e.kind != MidiEvent::Kind::Meta || e.metaType != kMetaTempo ||
      e.payloadSize != 3)
    return;
  const uint32_t micros = e.payload[0] << 16 | e.payload[1] << 8 | e.payload[2];
  const double at = Seconds(e.tick);
  if (changes_.back().tick == e.tick) changes_.pop_back();
  changes_.push_back({e.tick, at, micros / 1e6 / quarter_});
}

double TempoMap::Seconds(uint64_t tick) const {
  auto it = std::upper_bound(changes_.begin(), changes_.end(), tick,
                             [](uint64_t t, const Change& c) { return t < c.tick; });
  const Change& c = *(it - 1);
  return c.seconds + static_cast<double>(tick - c.tick) * c.secondsPerTick;
}

double TempoMap::Ticks(double seconds) const {
  if (seconds <= 0) return 0;
  auto it = std::upper_bound(changes_.begin(), changes_.end(), seconds,
                             [](double s, const Change& c) { return s < c.seconds; });
  const Change& c = *(it - 1);
  if (c.secondsPerTick <= 0) return static_cast<double>(c.tick);
  return static_cast<double>(c.tick) + (seconds - c.seconds) / c.secondsPerTick;
}
