#include "maps/map_file.h"

#include "maps/text_file.h"

bool LooksLikeMapFile(const std::vector<uint8_t>& bytes) {
  // Other programs' UTF-8 files carry the mark too (every Studio One list
  // does): after it, the text decides as it does without one. No other
  // program's map comes as UTF-16, so that mark says ours.
  const bool utf8Mark =
      bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
  if (!utf8Mark && StartsWithByteOrderMark(bytes)) return true;
  for (size_t i = utf8Mark ? 3 : 0; i < bytes.size(); ++i) {
    const uint8_t b = bytes[i];
    if (b != ' ' && b != '\t' && b != '\r' && b != '\n') return b == '{';
  }
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
