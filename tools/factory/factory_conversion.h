// The factory library made from its sources: other programs' public maps
// (a folder of Universal Definition YAML files and one of Reaticulate
// banks), read by the map readers and turned into our JSON maps by the
// import rules (maps/map_import.h), so the library keeps and drops exactly
// what `plughost import` would. Two further collections, where the sources
// hold them, give the community maps: Reaticulate banks users submitted and
// Studio One key switch lists users shared, which nobody checked ("uncurated
// and untested", as the banks' own README says).
//
// - One map per bank or YAML group; one with more than 16 visible
//   articulations becomes pages of 16, "(1–16)", "(17–32)", in source order.
// - A map's name is its maker, product, patch and group as the source names
//   them (a part equal to the one before it said once), and its page. Names
//   two maps share get " (2)", " (3)".
// - Slot names are the source's, made unique within a map with " 2", " 3".
// - Maps are in menu order: the factory maps, then the community maps, each
//   by maker, then product (ASCII case aside), then source order; the first
//   spelling of a maker or product names it. Names are unique over both, the
//   factory maps named first: a community map with a factory map's name gets
//   " (2)".
// - A community map with the maker, product and slots of a map before it (a
//   factory map, or a community map from an earlier file) is left out as a
//   duplicate. So is a community bank that converts to no articulation, or
//   cannot be imported at all; the summary counts them by reason.
// - A key switch list names no maker or product: its folders below "Key
//   Switches" do ("Spitfire"; "Cremona Quartet - Stradivari Violin" as maker
//   and product), and a list without a name takes its file's.
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
  bool community = false;  // from a collection of users' maps
};

struct FactoryConversion {
  std::vector<FactoryMap> maps;  // in menu order
  // What was not kept, item by item, in import's words: warnings change
  // what the instrument receives, notes never reach it.
  std::vector<std::string> warnings, notes;
  // Files the readers refused and banks that could not be imported, each
  // with the reason: nothing of them is in the library.
  std::vector<std::string> failures;
  // Community banks and files left out, each with the reason, and how many
  // for each kind of reason ("no articulation", ...).
  std::vector<std::string> leftOut;
  std::map<std::string, size_t> leftOutReasons;
  // Community maps left out as duplicates, each naming the map kept.
  std::vector<std::string> duplicates;
  size_t duplicatesOfFactory = 0;  // of those, the duplicates of factory maps
  size_t files = 0, yamlFiles = 0, bankFiles = 0, userBankFiles = 0, keySwitchFiles = 0;
  size_t banks = 0;  // banks and YAML groups read
  size_t slots = 0;
  // Every file of the library, by its path in it: the maps, the index
  // (maps.json) and the licence texts and notice.
  std::map<std::string, std::string> libraryFiles;
};

// The collections inside `sourcesDir`, as the library keeps them: the two
// of factory maps, and the two of community maps.
constexpr const char* kYamlCollection = "articulation-mapping-files";
constexpr const char* kBankCollection = "reaticulate-banks";
constexpr const char* kUserBankCollection = "reaticulate-userbanks";
constexpr const char* kKeySwitchCollection = "studio-one-user-presets";

// Reads the collections and converts them. False, with `error`, only when
// a factory collection's folder or a licence cannot be read; a community
// collection that is not there is skipped. A factory file or bank that
// fails is one of `failures`, a community one is left out, and the rest
// converts.
bool ConvertFactorySources(const std::string& sourcesDir, FactoryConversion& out,
                           std::string& error);

// "1 file read ..., 660 maps (600 factory, 60 community ...), 6,000 slots;
// not kept: ...; left out: ...; duplicates ..." for the end of a run.
std::string FactorySummary(const FactoryConversion& conversion);

// A name as a file or folder name on every system: characters Windows
// forbids (and control characters) become '-', dots and blanks at the end go.
std::string FileNameFor(const std::string& name);
