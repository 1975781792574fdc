// Studio One key switch lists: read, import, write, read and import again.
#include "maps/formats/keyswitch_list.h"
#include "tests/fuzz/map_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckMapRoundTrip(data, size, "fuzz.keyswitch", ReadKeySwitchList, WriteKeySwitchList,
                    ReadKeySwitchList, "export.keyswitch", /*keepsIcons=*/false);
  return 0;
}
