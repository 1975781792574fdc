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

// The last change at or before `key`; `before(key, c)` tells whether key
// comes before change c.
template <typename Key, typename Before>
const TempoMap::Change& TempoMap::Find(Key key, Before before) const {
  const size_t n = changes_.size();
  if (last_ >= n) last_ = 0;
  if (!before(key, changes_[last_])) {
    if (last_ + 1 == n || before(key, changes_[last_ + 1])) return changes_[last_];
    if (last_ + 2 == n || before(key, changes_[last_ + 2])) return changes_[++last_];
  }
  auto it = std::upper_bound(changes_.begin(), changes_.end(), key,
                             [&](Key k, const Change& c) { return before(k, c); });
  last_ = static_cast<size_t>(it - changes_.begin()) - 1;
  return changes_[last_];
}

namespace {
// A tick count as a double. A 32-bit build converts a 32-bit integer with
// one instruction and a 64-bit one through the x87 unit; counts past 2^31
// ticks are rare enough to take the long way.
double TickCount(uint64_t ticks) {
  if (ticks <= 0x7FFFFFFFu) return static_cast<double>(static_cast<int32_t>(ticks));
  return static_cast<double>(static_cast<int64_t>(ticks));
}
}  // namespace

double TempoMap::Seconds(uint64_t tick) const {
  const Change& c = Find(tick, [](uint64_t t, const Change& change) { return t < change.tick; });
  return c.seconds + TickCount(tick - c.tick) * c.secondsPerTick;
}

double TempoMap::ShortestTick() const {
  double shortest = changes_.front().secondsPerTick;
  for (const Change& c : changes_) shortest = std::min(shortest, c.secondsPerTick);
  return shortest;
}

double TempoMap::Ticks(double seconds) const {
  if (seconds <= 0) return 0;
  const Change& c =
      Find(seconds, [](double s, const Change& change) { return s < change.seconds; });
  const double at = TickCount(c.tick);
  return c.secondsPerTick <= 0 ? at : at + (seconds - c.seconds) / c.secondsPerTick;
}
