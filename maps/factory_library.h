// The factory maps: articulation maps of real sample libraries, converted
// from other programs' public maps into our own JSON maps (the factory/
// folder at the top of the source tree) and built into the program
// compressed, so they work wherever the program is, with no file beside it.
//
// Maps are numbered 0..FactoryMapCount()-1 in menu order: by maker, then
// product (each compared without regard to ASCII case), then in the order of
// their sources. Nothing here throws, allocates before a text is asked for,
// or touches a file.
#pragma once

#include <cstddef>
#include <string>

struct FactoryMapInfo {
  // UTF-8, never null (empty outside the range).
  const char* maker;    // "Spitfire"
  const char* product;  // "Symphonic Brass"
  // The map's whole name: maker, product, patch and group as the source
  // names them, and the page for a group split in pages of 16:
  // "Spitfire Symphonic Brass Horns Horn Solo".
  const char* name;
  // The name without its maker and product, for a menu under them:
  // "Horns Horn Solo".
  const char* title;
};

size_t FactoryMapCount();

FactoryMapInfo FactoryMapAt(size_t index);

// The map's JSON text, as ParseArticulationMap (maps/articulation_map.h)
// reads it. False, with `error` saying why, for an index out of range, a
// damaged library or memory running out; `json` is then unchanged.
bool FactoryMapText(size_t index, std::string& json, std::string& error);
