// Feeds arbitrary bytes to plughost's decoder of the plug-in's saved state.
// What it accepts must encode back to the very same bytes, and state-to-map
// must either refuse the settings by field or write a map that reads back
// to them.
#include <cstdio>
#include <cstdlib>

#include "maps/articulation_map.h"
#include "maps/state_bytes.h"

namespace {

[[noreturn]] void Broken(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "state bytes property broken: %s: %s\n", what.c_str(), detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  PluginSettings settings;
  std::string why;
  if (!DecodeState(bytes, settings, why)) {
    if (why.empty()) Broken("an error without a message", "");
    return 0;
  }
  if (EncodeState(settings) != bytes) Broken("decode, encode changed the bytes", "");
  std::string text;
  MapError error;
  if (!FormatArticulationMap(settings, text, error)) {
    if (error.field.empty() || error.message.empty()) Broken("a refusal without a field", "");
    return 0;
  }
  PluginSettings reread;
  if (!ParseArticulationMap(text, reread, error))
    Broken("a written map cannot be read", error.field + ": " + error.message);
  if (!(reread == settings)) Broken("state, map, state changed", FirstDifference(settings, reread));
  return 0;
}
