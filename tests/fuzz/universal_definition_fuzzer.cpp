// Universal Definitions have no writer: what they import to goes out and
// back through the Reaticulate bank format, which holds every output kind
// the reader makes, on any channel.
#include "tests/fuzz/map_round_trip.h"
#include "maps/formats/reabank.h"
#include "maps/formats/universal_definition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckMapRoundTrip(data, size, "fuzz.yaml", ReadUniversalDefinition, WriteReabank, ReadReabank,
                    "export.reabank");
  return 0;
}
