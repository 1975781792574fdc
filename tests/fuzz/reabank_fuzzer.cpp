// Reaticulate banks: read, import, write, read and import again.
#include "tests/fuzz/map_round_trip.h"
#include "maps/formats/reabank.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckMapRoundTrip(data, size, "fuzz.reabank", ReadReabank, WriteReabank, ReadReabank,
                    "export.reabank");
  return 0;
}
