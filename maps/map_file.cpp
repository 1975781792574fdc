#include "maps/map_file.h"

#include "maps/text_file.h"

bool ParseMapFile(const std::vector<uint8_t>& bytes, PluginSettings& settings, MapError& error) {
  std::string text, problem;
  if (!DecodeTextFile(bytes, text, problem)) {
    error = {"", problem};
    return false;
  }
  if (ParseArticulationMap(text, settings, error)) return true;
  error = {ReadableText(error.field), ReadableText(error.message)};
  return false;
}
