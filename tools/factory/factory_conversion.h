// The factory library made from its sources: other programs' public maps
// (a folder of Universal Definition YAML files and one of Reaticulate
// banks), read by the map readers and turned into our JSON maps by the
// import rules (maps/map_import.h), so the library keeps and drops exactly
// what `plughost import` would.
//
// - One map per bank or YAML group; one with more than 16 visible
//   articulations becomes pages of 16, "(1–16)", "(17–32)", in source order.
// - A map's name is its maker, product, patch and group as the source names
//   them (a part equal to the one before it said once), and its page. Names
//   two maps share get " (2)", " (3)".
// - Slot names are the source's, made unique within a map with " 2", " 3".
// - Maps are in menu order: by maker, then product (ASCII case aside), then
//   source order; the first spelling of a maker or product names it.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

struct FactoryMap {
  std::string maker, product;
  std::string name;   // the whole name (UTF-8)
  std::string title;  // the name without maker and product
  std::string file;   // its path in the library: "Maker/Product/Title.json"
  std::string text;   // the JSON map
  size_t slots = 0;
  // Where it comes from: the source file (its path below the sources
  // folder), the bank in it from 0 (as the reader numbers them) and the
  // page of 16 visible articulations from 0.
  std::string source;
  size_t bank = 0, page = 0;
};

struct FactoryConversion {
  std::vector<FactoryMap> maps;  // in menu order
  // What was not kept, item by item, in import's words: warnings change
  // what the instrument receives, notes never reach it.
  std::vector<std::string> warnings, notes;
  // Files the readers refused and banks that could not be imported, each
  // with the reason: nothing of them is in the library.
  std::vector<std::string> failures;
  size_t files = 0, yamlFiles = 0, bankFiles = 0;
  size_t banks = 0;  // banks and YAML groups read
  size_t slots = 0;
  // Every file of the library, by its path in it: the maps, the index
  // (maps.json) and the licence texts and notice.
  std::map<std::string, std::string> libraryFiles;
};

// The two collections inside `sourcesDir`, as the library keeps them.
constexpr const char* kYamlCollection = "articulation-mapping-files";
constexpr const char* kBankCollection = "reaticulate-banks";

// Reads both collections and converts them. False, with `error`, only when
// a collection's folder or licence cannot be read; a file or bank that fails
// is one of `failures`, and the rest converts.
bool ConvertFactorySources(const std::string& sourcesDir, FactoryConversion& out,
                           std::string& error);

// "1 file read ..., 660 maps, 6,000 slots; not kept: ..." for the end of a run.
std::string FactorySummary(const FactoryConversion& conversion);

// A name as a file or folder name on every system: characters Windows
// forbids (and control characters) become '-', dots and blanks at the end go.
std::string FileNameFor(const std::string& name);
