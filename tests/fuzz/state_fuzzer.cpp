// Feeds arbitrary bytes to the state loader. Besides the sanitizers' own
// checks, every input must leave a model the painter and the MIDI output can
// use, and what it saves must load and save back to the same bytes.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/state_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string broken = CheckLoadProperties(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "state load property broken: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
