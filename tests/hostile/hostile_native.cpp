// The hostile host against the platform-neutral core, under AddressSanitizer
// and UndefinedBehaviorSanitizer in the sanitize build.
#include "tests/hostile/engine_target.h"
#include "tests/hostile/seeded_runs.h"

int main(int argc, char** argv) {
  hostile::EngineTarget target;
  return hostile::SeededRuns(target, hostile::ParseRunOptions(argc, argv), "native");
}
