// The import rules: how another program's map, once read (foreign_map.h),
// becomes the plug-in's settings. The same for every format:
//
// - Articulations are taken in file order; hidden ones are left out. Without
//   a pick the first 16 become slots 1..16; the rest are named in a warning.
//   A pick takes up to 16 by 1-based number (as ListForeignMap numbers them,
//   hidden ones included), by range or by name, into slots 1.. in the order
//   given. A range FIRST-LAST is its numbers written out, hidden ones
//   included; a reversed one (8-2) takes them downwards. Names and ranges
//   mix freely ("2-8,Legato,12"). An articulation taken twice (overlapping
//   entries) is an error naming both entries, as is an entry that goes past
//   16: dropping or moving one would shift every later slot.
//   A page (ImportChoice::page) takes the next 16 visible articulations
//   instead, for a bank split into several maps.
// - --bank and --pick name a bank or an articulation by its number or by a
//   name that is the same as the text (name_matching.h: case and blanks at
//   the ends do not matter). A bank is also named GROUP/NAME: its group path
//   (or the path's last parts) and its name, such as "Strings
//   Chamber/01 Violins". A name that itself holds '/' is still matched whole,
//   and one that reads the same as another bank's GROUP/NAME fits both. A
//   name that fits several is an error listing them by number; a number (or
//   range) that is also another's name is taken as the number, with a
//   warning.
// - The name becomes Windows-1252 text of at most 255 characters; characters
//   it cannot hold and control characters become '?', a longer name is cut,
//   each with a warning.
// - keyswitch: the first tapped note output on the default channel (one
//   with no channel of its own), its velocity the keyswitch velocity; uacc
//   and modwheel: the first CC 32 and CC 1 values on the default channel.
//   A note output of velocity 0 counts as velocity 127 (a note-on of
//   velocity 0 would be a note-off).
// - Every other output becomes an action, in file order, with its channel;
//   beyond 32 actions each gets a warning. A pitch bend -8192..8191 is sent
//   as that value plus 8192.
// - Note channels: the channel of every output that routes (the plug-in's
//   for one without a channel); with none, the plug-in's channel.
// - transpose: the articulation's, clamped to -48..48 with a warning.
// - icon: the format's icon name if it is one of ours (0..127), else the
//   words of the name, else the plain note.
// - Everything else the articulation sends or sets that changes what the
//   instrument receives and cannot be kept gets one warning line, naming the
//   slot of the written map and the articulation's number in the file:
//   "<file>: slot 1 "<name>" (articulation 17 in the file, <where>): dropped
//   <what>". What never reaches the instrument (names changed to fit, colours,
//   remote or input keys, visuals, icons without a match, hidden
//   articulations left out) gets a note line of the same form instead; so
//   does what the import took another way (a Reaticulate group: a slot like
//   the others).
#pragma once

#include <string>
#include <vector>

#include "maps/foreign_map.h"
#include "maps/plugin_settings.h"

struct ImportChoice {
  std::string bank;                   // a name or number; empty: the file must hold one bank
  std::vector<std::string> pick;      // empty: the first 16 visible articulations
  std::string bankOption = "--bank";  // what the messages call the choice of bank
  std::string pickOption = "--pick";  // and the choice of articulations
  // Without a pick, a page of the visible articulations: 0 takes 1..16, 1
  // takes 17..32, and so on, and the articulations of other pages are not
  // named as left out; the hidden ones are noted on page 0 only. -1: the
  // first 16, with a warning naming the rest.
  int page = -1;
};

// An articulation of the chosen bank that became no slot.
struct LeftOutArticulation {
  size_t number = 0;  // in the bank, from 1, as ListForeignMap numbers it
  std::string name;
  std::string why;  // "beyond the 16 taken", "hidden by its program", "not picked"
};

// How many pages of 16 the visible articulations of a bank fill (at least 1).
size_t ImportPageCount(const ForeignBank& bank);

struct ImportResult {
  PluginSettings settings;
  std::vector<std::string> warnings;  // one line each, naming the file
  std::vector<std::string> notes;     // the same, for what is never sent
  std::vector<size_t> taken;          // the bank's numbers (from 1) of slots 1.., in order
  std::vector<LeftOutArticulation> leftOut;
};

// Applies the import rules to a map a reader filled. Fails (leaving `result`
// unchanged) when the bank or a pick cannot be found or fits several, the
// bank has a problem, a pick is too long or has an empty entry, no
// articulation is left, or a value lies outside 0..127.
bool ImportForeignMap(const ForeignMap& map, const std::string& fileName,
                      const ImportChoice& choice, ImportResult& result, ImportError& error);

// The bank `choice` names, by its index in `map`, as ImportForeignMap
// chooses it (warnings as there).
bool FindForeignBank(const ForeignMap& map, const std::string& fileName, const ImportChoice& choice,
                     size_t& index, std::vector<std::string>& warnings, ImportError& error);

// A bank as --list and the messages name it: "\"SCS - Ensembles\" (\"Ensembles\")".
std::string ForeignBankLabel(const ForeignBank& bank);

// A --pick argument split at its commas, each entry trimmed.
std::vector<std::string> SplitPickList(const std::string& list);

// Numbers as a --pick list, runs of three or more as ranges: "1-15,17".
std::string PickListText(const std::vector<size_t>& numbers);

// When `name` names no slot but an articulation the import left out: says
// so, with its number in `fileName` and the pick (`pickOption`) that takes
// it, such as "\"Long\" is articulation 17 of to.reabank, beyond the 16
// taken; take it with --to-pick, such as --to-pick 1-15,17". Empty when no
// left-out articulation has that name.
std::string LeftOutExplanation(const ImportResult& result, const std::string& name,
                               const std::string& fileName, const std::string& pickOption);

// What --list prints: per bank its number, names, group and articulation
// count (or why it cannot be imported), then per articulation its number,
// name and outputs, hidden ones marked; with `onlyBank` (an index), that
// bank alone.
std::string ListForeignMap(const ForeignMap& map, const std::string& fileName, int onlyBank = -1);
