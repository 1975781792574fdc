// Dorico libraries have no writer: what they import to goes out and back
// through the expression map format.
#include "tests/fuzz/map_round_trip.h"
#include "maps/formats/doricolib.h"
#include "maps/formats/expression_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckMapRoundTrip(data, size, "fuzz.doricolib", ReadDoricoLibrary, WriteExpressionMap,
                    ReadExpressionMap, "export.expressionmap", /*keepsIcons=*/false);
  return 0;
}
