// Map loads as the panel makes them, drawn from random words: real maps and
// the examples (cmake/embedded_maps.cmake), whole or damaged (cut short,
// bytes changed, junk), any bank or page they offer; pastes of the
// instance's own map copied as text; undos; saves in every format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "embedded_maps.h"
#include "maps/map_loading.h"

namespace hostile {

enum class MapAction { kLoad, kPaste, kUndo, kSaveAs };

inline MapAction DrawMapAction(uint32_t a) {
  switch (a % 8) {
    case 4:
    case 5:
      return MapAction::kPaste;
    case 6:
      return MapAction::kUndo;
    case 7:
      return MapAction::kSaveAs;
    default:
      return MapAction::kLoad;
  }
}

struct MapFileDraw {
  std::string name;
  std::vector<uint8_t> bytes;
  size_t choice;  // which of the offer's banks and pages, modulo their count
};

inline MapFileDraw DrawMapFile(uint32_t b, uint32_t c) {
  const size_t count = sizeof kEmbeddedMaps / sizeof kEmbeddedMaps[0];
  const EmbeddedMap& map = kEmbeddedMaps[b % count];
  const std::string text = map.text;
  std::vector<uint8_t> bytes(text.begin(), text.end());
  switch (c % 8) {
    case 0:
      bytes.resize((c >> 8) % (bytes.size() + 1));
      break;
    case 1:
      for (int i = 0; i < 4 && !bytes.empty(); ++i)
        bytes[(b >> (i * 8) ^ c >> 3) % bytes.size()] ^= static_cast<uint8_t>(c >> (i * 8) | 1);
      break;
    case 2: {
      bytes.assign((c >> 8) % 600, 0);
      uint64_t x = b;
      for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>((x = x * 6364136223846793005ull + 1) >> 56);
      break;
    }
    default:
      break;
  }
  return {map.name, std::move(bytes), c >> 16};
}

// The n-th loadable choice of an offer, counting round; false when it has none.
inline bool NthChoice(const MapOffer& offer, size_t n, MapPick& pick) {
  const size_t count = offer.ChoiceCount();
  if (count == 0) return false;
  if (offer.kind != MapFileKind::ForeignMap) {
    pick = {};
    return true;
  }
  n %= count;
  for (size_t b = 0; b < offer.banks.size(); ++b) {
    if (n < offer.banks[b].pages.size()) {
      pick = {b, n};
      return true;
    }
    n -= offer.banks[b].pages.size();
  }
  return false;
}

inline const char* DrawSaveExtension(uint32_t b) {
  static const char* const kExtensions[] = {".json", ".reabank", ".expressionmap", ".plist",
                                            ".keyswitch"};
  return kExtensions[b % (sizeof kExtensions / sizeof kExtensions[0])];
}

}  // namespace hostile
