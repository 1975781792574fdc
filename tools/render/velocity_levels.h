// The plug-in derives a note's velocity from the voice's level through a
// logarithmic curve in single precision. To make it send a file's velocity
// exactly, the host needs, for each velocity, a level whose curve truncates
// to it. The curve is the plug-in's own function, built here with the same
// compiler and floating-point settings, so the search checks exactly what
// the plug-in will compute.
#pragma once

#include <array>

class VelocityLevels {
 public:
  VelocityLevels();

  // False when some velocity 1..127 has no level (the build's arithmetic
  // differs from what the search assumes).
  bool complete() const { return complete_; }
  // The level for velocity 1..127; velocity 0 is treated as 1.
  float LevelFor(int velocity) const {
    return levels_[velocity < 1 ? 1 : velocity > 127 ? 127 : velocity];
  }

 private:
  std::array<float, 128> levels_{};
  bool complete_ = true;
};
