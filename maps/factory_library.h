// The factory maps: articulation maps of real sample libraries, converted
// from other programs' public maps into our own JSON maps (the factory/
// folder at the top of the source tree) and built into the program
// compressed, so they work wherever the program is, with no file beside it.
//
// Beside them, the community maps: converted the same way from maps users
// of other programs shared, which nobody checked ("uncurated and
// untested"), and marked as such wherever they are listed.
//
// Maps are numbered 0..FactoryMapCount()-1 in menu order: the factory maps,
// then the community maps, each by maker, then product (each compared
// without regard to ASCII case), then in the order of their sources. Names
// are unique over all of them. Nothing here throws or touches a file; the
// first call inflates the index (names and sources) into memory kept for
// the process (without memory for it the library lists no map), and each
// text asked for inflates the chunk that holds it.
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
  // The file it was converted from, its path below the sources folder:
  // "reaticulate-banks/banks/65-01-Spitfire-Symphonic_Brass.reabank".
  const char* source;
  // Whether it is a community map rather than a factory map.
  bool community;
};

size_t FactoryMapCount();

FactoryMapInfo FactoryMapAt(size_t index);

// The map's JSON text, as ParseArticulationMap (maps/articulation_map.h)
// reads it. False, with `error` saying why, for an index out of range, a
// damaged library or memory running out; `json` is then unchanged.
bool FactoryMapText(size_t index, std::string& json, std::string& error);
