// The benchmarks' clock and their medians, one of each for every benchmark.
#pragma once

#include <algorithm>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace bench {

#ifdef _WIN32
// Seconds, by the performance counter.
inline double Now() {
  static const double ticksPerSecond = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticksPerSecond;
}
#endif

// The middle value (of an even count, the mean of the middle two); 0 for
// none.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace bench
