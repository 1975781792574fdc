// Velocity of a voice from the host's level.
#pragma once

#include <cstdint>

#include "engine/realtime.h"

// 127 * ln(1 + 10 * level) / ln(21) in single precision, every intermediate
// rounded to float: 0 at level 0, 127 at level 2.
float VelocityCurve(float level) ARTSW_REALTIME;

// The note-on velocity: the curve capped at 127, truncated, never 0 and never
// above 127. A slightly negative level (-0.1 to 0) gives 127, as the low byte
// of the negative truncated curve has its top bit set.
uint8_t VelocityForLevel(float level) ARTSW_REALTIME;
