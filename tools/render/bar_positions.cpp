#include "tools/render/bar_positions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void AddMetre(std::vector<MetreChange>& metres, uint64_t tick, int numerator, int power) {
  const MetreChange metre{tick, std::max(1, numerator), std::min(6, power)};
  if (!metres.empty() && metres.back().tick == tick)
    metres.back() = metre;
  else
    metres.push_back(metre);
}

BarPositions::BarPositions(uint16_t division, std::vector<MetreChange> metres, uint64_t endTick) {
  const double quarter = division & 0x8000 ? (256 - (division >> 8)) * double(division & 0xFF) / 2
                                           : double(std::max<int>(1, division));
  if (metres.empty() || metres.front().tick > 0) metres.insert(metres.begin(), MetreChange{});
  double bars = 0;
  for (size_t i = 0; i < metres.size(); ++i) {
    const double beat = quarter * 4 / double(1 << metres[i].denominatorPower);
    segments_.push_back(
        {metres[i].tick, std::max(1.0, beat * metres[i].numerator), bars, std::max(1.0, beat)});
    const uint64_t end = i + 1 < metres.size() ? metres[i + 1].tick : endTick;
    bars += std::ceil(double(end - std::min(end, metres[i].tick)) / segments_.back().length);
  }
  count_ = std::max(1.0, bars);
}

std::string BarPositions::Where(uint64_t tick) const {
  size_t s = 0;
  while (s + 1 < segments_.size() && segments_[s + 1].tick <= tick) ++s;
  const Segment& seg = segments_[s];
  const double into = double(tick - std::min(tick, seg.tick));
  const double bar = std::floor(into / seg.length);
  const double beat = (into - bar * seg.length) / seg.beat;
  char text[48];
  if (beat == std::floor(beat))
    std::snprintf(text, sizeof text, "%.0f:%.0f", seg.first + bar + 1, beat + 1);
  else
    std::snprintf(text, sizeof text, "%.0f:%.2g", seg.first + bar + 1, beat + 1);
  return text;
}
