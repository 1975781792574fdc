// Loading a map file into the plug-in in the host: what a dropped, pasted or
// opened file offers, and the state a load of one of its offers gives.
// Platform-neutral and free of the plug-in's objects: bytes and the current
// state in, a state and a message out.
//
// The rule a composer relies on:
//
// - The file is judged by its content, as `plughost import` judges it: any
//   format DetectMapFormat knows is another program's map; text that begins
//   with '{' is our own map (JSON); four bytes of a version 1 to 5 are our
//   own state.
// - Another program's map offers each of its banks, named as `import --list`
//   names them, with the file's group of the bank where the format has
//   groups. A bank of more than 16 articulations (not counting those its
//   program hides) offers pages of 16 in file order, "1–16", "17–32", ...,
//   so that nothing is left out unseen: the composer chooses which sixteen.
// - A load of such a bank replaces all sixteen slots: names, icons,
//   keyswitch, UACC and modwheel, and every addition. A slot the bank does
//   not fill becomes empty. The channel, port, controllers, options and the
//   panel's page and selected slot stay as they are. The slots are exactly
//   what `plughost import FILE --bank N [--pick ...]` writes.
// - Our own map or state loads what it holds, like a state the host loads
//   into an instance that already holds one: when preservePortChannel is
//   set, the channel, port, that option and the page stay.
// - A factory map (maps/factory_library.h) is a map made for a sample
//   library, not a project: like another program's map it replaces the
//   sixteen slots only, and the channel, port, controllers and options
//   stay as they are.
// - A file that cannot be loaded changes nothing; its message names the
//   file, the place in it and what is wrong.
//
// Nothing here throws: every failure, an allocation's included, becomes a
// message. Called on the editor's thread; nothing here touches the audio
// thread's data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "maps/foreign_map.h"

// A file larger than this is refused before it is parsed: the largest real
// maps are below a megabyte.
constexpr size_t kMaxMapFileBytes = 16u << 20;

// What one load says: the line a hint shows, and import's item-by-item
// lines (each naming the file, the slot and the item).
struct MapLoadReport {
  // `Loaded "CSS 1st Violins" from strings.reabank: 12 slots; 2 warnings`,
  // or on failure `Not loaded: strings.reabank: line 7: ...`.
  std::string summary;
  std::vector<std::string> warnings;  // what changes what the instrument receives
  std::vector<std::string> notes;     // what never reaches it
  // The summary, then "warning: " and "note: " lines, one per item.
  std::string Message() const;
};

// One way to load a bank: the whole of it, or one page of 16.
struct MapPage {
  std::string label;         // "1–16" (numbers as --list shows them); empty for the whole bank
  std::vector<size_t> pick;  // the articulations' numbers, from 1; empty: as import takes the bank
};

struct MapBankOffer {
  std::string label;  // as --list names it: "\"SCS - Ensembles\" (\"Ensembles\")"
  std::string title;  // the name a load message quotes: "Ensembles"
  std::string group;  // the file's group of the bank, "Spitfire/Chamber Strings"; may be empty
  size_t articulations = 0;    // those its program does not hide
  std::string problem;         // why it cannot be loaded; empty when it can
  std::vector<MapPage> pages;  // at least one when it can be loaded
};

enum class MapFileKind { OurMap, OurState, ForeignMap, FactoryMap };

// What a file offers. For our own map or state there is one thing to load
// and `banks` is empty; the file's content is held for the load.
struct MapOffer {
  std::string fileName;  // as messages name it
  MapFileKind kind = MapFileKind::ForeignMap;
  std::string formatName;  // "Reaticulate bank (.reabank)", "articulation map (JSON)", ...
  std::vector<MapBankOffer> banks;
  ForeignMap foreign;             // the file as read (ForeignMap only)
  std::vector<uint8_t> ourState;  // the state our map or state file holds (the others)
  std::string factoryName;        // a factory map's whole name (FactoryMap only)

  // Loadable offers in all: one for our own files, else the pages.
  size_t ChoiceCount() const;
};

// One choice among an offer's banks and pages.
struct MapPick {
  size_t bank = 0;
  size_t page = 0;
};

// The name a message gives a file: the last part of its path (either slash).
std::string MapDisplayName(const std::string& path);

// Reads a file's bytes as a map or state. On failure `report.summary` says
// why and `offer` is unchanged. `fileName` may be a path; messages use its
// last part. Paste gives the clipboard's text as UTF-8 bytes with a name
// such as "the clipboard".
bool InspectMapFile(const std::string& fileName, const std::vector<uint8_t>& bytes, MapOffer& offer,
                    MapLoadReport& report) noexcept;

// A factory map's JSON text, named by its whole name, offered as one thing
// to load: its slots. On failure `report.summary` says why and `offer` is
// unchanged.
bool InspectFactoryMapText(const std::string& name, const std::string& json, MapOffer& offer,
                           MapLoadReport& report) noexcept;

// The state a load of `pick` gives, built from the instance's current state
// (the bytes its save writes). On failure `newState` is unchanged and the
// report says why.
bool BuildLoadedState(const MapOffer& offer, MapPick pick, const std::vector<uint8_t>& currentState,
                      std::vector<uint8_t>& newState, MapLoadReport& report) noexcept;
