#include "tools/render/velocity_levels.h"

#include <cmath>

#include "engine/velocity.h"

namespace {

// Starts from the exact inverse at the middle of the velocity's interval,
// then steps one float at a time outward until the curve agrees.
bool FindLevel(int velocity, float& level) {
  const double curve = velocity + 0.5;
  const double estimate = (std::exp(curve / 127.0 * std::log(21.0)) - 1.0) / 10.0;
  const float start = static_cast<float>(velocity == 127 ? 2.5 : estimate);
  float up = start, down = start;
  for (int step = 0; step < 4096; ++step) {
    if (VelocityForLevel(up) == velocity) {
      level = up;
      return true;
    }
    if (VelocityForLevel(down) == velocity) {
      level = down;
      return true;
    }
    up = std::nextafter(up, 10.0f);
    down = std::nextafter(down, 0.0f);
  }
  return false;
}

}  // namespace

VelocityLevels::VelocityLevels() {
  levels_[0] = 0.0f;
  for (int v = 1; v <= 127; ++v) complete_ = FindLevel(v, levels_[v]) && complete_;
}
