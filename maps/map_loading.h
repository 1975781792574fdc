// Loading a map file into the plug-in in the host: what a dropped, pasted or
// opened file offers, and the state a load of one of its offers gives.
// Platform-neutral and free of the plug-in's objects: bytes and the current
// state in, a state and a message out.
//
// The rule a composer relies on:
//
// - The file is judged by its content, as every plughost command judges it
//   (one decision, map_reading.h): four bytes of a version 1 to 5 are our
//   own state; text (UTF-8 with or without a byte order mark, UTF-16 with a
//   mark or recognisably without one) that begins with '{' is our own map
//   (JSON); a format the readers know (map_formats.h) is another program's
//   map. An empty file, a file of no known kind, a binary property list and
//   one larger than 16 MB are refused, each with the same words everywhere.
// - Another program's map offers each of its banks, named as `import --list`
//   names them, with the file's group of the bank where the format has
//   groups. A bank of more than 16 articulations (not counting those its
//   program hides) offers pages of 16 in file order, "1–16", "17–32", ...,
//   so that nothing is left out unseen: the composer chooses which sixteen
//   (bank_choice.h, the one pager). Its hidden articulations are noted with
//   the first page.
// - A load of such a bank replaces all sixteen slots: names, icons,
//   keyswitch, UACC and modwheel, and every addition. A slot the bank does
//   not fill becomes empty. The channel, port, controllers, options and the
//   panel's page and selected slot stay as they are. The slots are exactly
//   what `plughost import FILE --bank N [--pick ...]` writes for the same
//   articulations (map_import.h builds them for both).
// - Our own map or state loads what it holds, like a state the host loads
//   into an instance that already holds one: when preservePortChannel is
//   set, the channel, port, that option and the page stay.
// - A factory map (maps/factory_library.h) is a map made for a sample
//   library, not a project: like another program's map it replaces the
//   sixteen slots only, and the channel, port, controllers and options
//   stay as they are.
// - A file that cannot be loaded changes nothing; its message names the
//   file, the place in it and what is wrong, in one line.
//
// The way of a dropped file to the slots, each step pointing back here:
//   editor/file_drop.cpp           the drop (OLE or WM_DROPFILES): paths and a point
//   editor/panel_map_commands.cpp  the panel's side: drops, menus, dialogs, clipboard
//   editor/map_loading_service.h   what the panel asks of the plug-in
//   plugin/panel_map_loading.cpp   the plug-in's answer, over the instance's loader
//   plugin/map_files.cpp           the file's bytes (a file too large is not read)
//   maps/map_loader.cpp            one instance's loads, applied as a host's state load
//   maps/map_loading.cpp           here: InspectMapFile, then BuildLoadedState, with
//     maps/map_reading.h           reading a file: the one decision of what it is
//     maps/map_formats.h           the formats' table: detection, readers, writers
//     maps/bank_choice.h           choosing a bank or page: the one pager
//     maps/map_import.h            building the slots of the articulations chosen
// plughost reads every settings argument through the same map_reading.h,
// bank_choice.h and map_import.h (tools/plughost/settings_source.h), so a
// file gives the same slots, or the same refusal, on both ways.
//
// Nothing here throws: every failure, an allocation's included, becomes a
// message. Called on the editor's thread; nothing here touches the audio
// thread's data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "maps/bank_choice.h"
#include "maps/file_names.h"
#include "maps/foreign_map.h"
#include "maps/map_file_kind.h"

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

// What a file offers, and its content held for the load. For our own map or
// state, and a factory map, there is one thing to load: one bank named by
// the file (or the map) with one page.
struct MapOffer {
  std::string fileName;  // as messages name it
  MapFileKind kind = MapFileKind::ForeignMap;
  std::vector<MapBankOffer> banks;  // what the composer chooses from
  ForeignMap foreign;               // the file as read (ForeignMap only)
  std::vector<uint8_t> ourState;    // the state our map or state file holds (the others)
  std::string factoryName;          // a factory map's whole name (FactoryMap only)

  // Loadable offers in all: the pages of every bank.
  size_t ChoiceCount() const;
};

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

// The refusal a report gives when a file is not read or loaded: "Not
// loaded: FILE: WHERE: MESSAGE" on one line.
MapLoadReport NotLoaded(const std::string& fileName, const ImportError& problem);
