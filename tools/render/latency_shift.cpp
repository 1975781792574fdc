#include "tools/render/latency_shift.h"

#include <cmath>

namespace {

// Through a signed integer, which a 32-bit build converts without a
// library call; ticks stay far below 2^63. Below 2^31 through a 32-bit
// one, which such a build converts in one instruction.
uint64_t Nearest(double ticks) {
  if (ticks <= 0) return 0;
  if (ticks < 2147483647.0) return static_cast<uint64_t>(static_cast<int32_t>(ticks + 0.5));
  return static_cast<uint64_t>(static_cast<int64_t>(ticks + 0.5));
}

// How far a search for the inverse may step: far beyond any real file, and
// an end to it where a tempo of zero makes time stand still.
constexpr int kSearchDoublings = 48;

}  // namespace

uint64_t LatencyShift::EarlierTick(uint64_t tick, int ms) const {
  return ms <= 0 ? tick : EarlierFrom(tick, tempo_.Seconds(tick), ms);
}

uint64_t LatencyShift::EarlierFrom(uint64_t tick, double seconds, int ms) const {
  const uint64_t moved = Nearest(tempo_.Ticks(seconds - ms / 1000.0));
  return moved < tick ? moved : tick;
}

uint64_t LatencyShift::Earlier(uint64_t tick, int ms, bool& clamped) const {
  // A note exactly `ms` after the start is not clamped, whatever the
  // rounding of its time in seconds.
  clamped = false;
  if (ms <= 0) return tick;
  const double seconds = tempo_.Seconds(tick);
  clamped = seconds * 1000.0 < ms - 1e-6;
  return clamped ? 0 : EarlierFrom(tick, seconds, ms);
}

uint64_t LatencyShift::MostTicksIn(int ms) const {
  const double shortest = tempo_.ShortestTick();
  if (ms <= 0) return 0;
  if (shortest <= 0) return UINT64_MAX;
  return static_cast<uint64_t>(std::ceil(ms / 1000.0 / shortest)) + 1;
}

uint64_t LatencyShift::Later(uint64_t tick, int ms) const {
  if (ms <= 0) return tick;
  const uint64_t guess = Nearest(tempo_.Ticks(tempo_.Seconds(tick) + ms / 1000.0));
  const uint64_t at = EarlierTick(guess, ms);
  if (at == tick) return guess;
  // EarlierTick never falls as its tick grows: search the side where it
  // reaches `tick`, doubling the step, then halving it.
  const bool up = at < tick;
  uint64_t near = guess, far = guess;  // near: on the guess's side of `tick`
  for (uint64_t step = 1, n = 0; n < kSearchDoublings; step *= 2, ++n) {
    far = up ? guess + step : (guess > step ? guess - step : 0);
    const uint64_t moved = EarlierTick(far, ms);
    if (up ? moved >= tick : moved <= tick) break;
    near = far;  // (going down, tick 0 always stops the search: it stays)
  }
  while ((up ? far - near : near - far) > 1) {
    const uint64_t middle = up ? near + (far - near) / 2 : far + (near - far) / 2;
    const uint64_t moved = EarlierTick(middle, ms);
    if (up ? moved >= tick : moved <= tick)
      far = middle;
    else
      near = middle;
  }
  return EarlierTick(far, ms) == tick ? far : guess;
}
