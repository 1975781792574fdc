// Expression maps: read, import, write, read and import again.
#include "tests/fuzz/map_round_trip.h"
#include "maps/formats/expression_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckMapRoundTrip(data, size, "fuzz.expressionmap", ReadExpressionMap, WriteExpressionMap,
                    ReadExpressionMap, "export.expressionmap", /*keepsIcons=*/false);
  return 0;
}
