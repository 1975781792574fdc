#include "engine/velocity.h"

#include <cmath>
#include <limits>

float VelocityCurve(float level) {
  // Spelled out step by step so each product, sum and logarithm is a float.
  const float scaled = 10.0f * level;
  const float argument = 1.0f + scaled;
  const float logLevel = std::log(argument);
  const float logTop = std::log(1.0f + 20.0f);
  const float quotient = logLevel / logTop;
  return quotient * 127.0f;
}

uint8_t VelocityForLevel(float level) {
  float v = VelocityCurve(level);
  if (v > 127.0f) v = 127.0f;
  // NaN and -inf (levels at or below -0.1) would be undefined to convert;
  // they take the value the hardware conversion gives, 0x80000000.
  const int32_t truncated = v >= static_cast<float>(std::numeric_limits<int32_t>::min())
                                ? static_cast<int32_t>(v)
                                : std::numeric_limits<int32_t>::min();
  uint8_t b = static_cast<uint8_t>(truncated);
  if (b == 0) b = 1;
  if (b > 127) b = 127;
  return b;
}
