// Command line of the hostile-host programs: how long to run, from which
// seed and with how many calls per run.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace hostile {

struct RunOptions {
  double seconds = 20.0;
  uint64_t seed = 1;
  size_t steps = 3000;
  bool onlyOneSeed = false;  // --seed given: replay that seed alone
};

inline RunOptions ParseRunOptions(int argc, char** argv) {
  RunOptions options;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0) options.seconds = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--first-seed") == 0)
      options.seed = std::strtoull(argv[i + 1], nullptr, 0);
    if (std::strcmp(argv[i], "--seed") == 0) {
      options.seed = std::strtoull(argv[i + 1], nullptr, 0);
      options.onlyOneSeed = true;
    }
    if (std::strcmp(argv[i], "--steps") == 0)
      options.steps = std::strtoull(argv[i + 1], nullptr, 0);
  }
  return options;
}

}  // namespace hostile
