// Seeded runs of the hostile driver until the time is up: each seed draws
// its own calls; a failure prints its seed and the reduced call sequence,
// so `--seed N` replays it.
#pragma once

#include <chrono>
#include <cstdio>

#include "tests/hostile/hostile_driver.h"
#include "tests/hostile/run_options.h"

namespace hostile {

template <typename Target>
int SeededRuns(Target& target, const RunOptions& options, const char* form) {
  const auto start = std::chrono::steady_clock::now();
  size_t runs = 0;
  size_t calls = 0;
  for (uint64_t seed = options.seed;; ++seed) {
    std::vector<Step> steps = DrawSteps(seed, options.steps);
    const std::string fault = RunAndReduce(target, steps);
    ++runs;
    calls += options.steps;
    if (!fault.empty()) {
      std::printf("hostile host (%s): seed %llu fails: %s\n", form,
                  static_cast<unsigned long long>(seed), fault.c_str());
      std::printf("reduced to %zu calls:\n", steps.size());
      for (const Step& step : steps) std::printf("  %s\n", Describe(step).c_str());
      std::printf("0 passed, 1 failed\n");
      return 1;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (options.onlyOneSeed || elapsed >= options.seconds) {
      std::printf("hostile host (%s): %zu runs, %zu calls, seeds %llu..%llu, %.1f s, no finding\n",
                  form, runs, calls, static_cast<unsigned long long>(options.seed),
                  static_cast<unsigned long long>(seed), elapsed);
      if constexpr (requires { target.channelChecks; }) {
        std::printf("hostile host (%s): %zu notes checked against the plug-in's channel\n", form,
                    static_cast<size_t>(target.channelChecks));
      }
      std::printf("%zu passed, 0 failed\n", runs);
      return 0;
    }
  }
}

}  // namespace hostile
