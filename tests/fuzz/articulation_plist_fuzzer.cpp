// Articulation sets: read, import, write, read and import again.
#include "tests/fuzz/map_round_trip.h"
#include "maps/formats/articulation_plist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckMapRoundTrip(data, size, "fuzz.plist", ReadArticulationPlist, WriteArticulationPlist,
                    ReadArticulationPlist, "export.plist");
  return 0;
}
