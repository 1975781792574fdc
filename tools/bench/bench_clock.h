// The benchmarks' clock and their medians, one of each for every benchmark.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

// Seconds on the steady clock (the performance counter on Windows).
inline double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The middle value (of an even count, the mean of the middle two); 0 for
// none.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace bench
