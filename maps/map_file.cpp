#include "maps/map_file.h"

#include "maps/text_file.h"

bool LooksLikeMapFile(const std::vector<uint8_t>& bytes) {
  if (StartsWithByteOrderMark(bytes)) return true;
  for (uint8_t b : bytes)
    if (b != ' ' && b != '\t' && b != '\r' && b != '\n') return b == '{';
  return false;
}

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
