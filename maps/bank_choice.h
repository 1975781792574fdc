// Choosing what of another program's map becomes the sixteen slots: a bank,
// and its articulations, whole, by page or by pick. The one pager: the
// panel's chooser, the import of a page and the factory library's paged
// maps all split a bank here. The slots are then built by map_import.h; the
// whole way of a file to the slots is told in map_loading.h.
//
// - Articulations are taken in file order; hidden ones are left out. Without
//   a pick the first 16 become slots 1..16; the rest are named in a warning.
// - A bank of more than 16 shown articulations offers pages of 16 in file
//   order (BankPages), so that nothing is left out unseen: a page takes its
//   sixteen, and the hidden ones are noted with the first page.
// - A pick takes up to 16 by 1-based number (as --list numbers them, hidden
//   ones included), by range or by name, into slots 1.. in the order given.
//   A range FIRST-LAST is its numbers written out, hidden ones included; a
//   reversed one (8-2) takes them downwards. Names and ranges mix freely
//   ("2-8,Legato,12"). An articulation taken twice (overlapping entries) is
//   an error naming both entries, as is an entry that goes past 16:
//   dropping or moving one would shift every later slot.
// - A bank or an articulation is named by its number or by a name that is
//   the same as the text (name_matching.h: case and blanks do not matter).
//   A bank is also named GROUP/NAME: its group path (or the path's last
//   parts) and its name, such as "Strings Chamber/01 Violins". A name that
//   itself holds '/' is still matched whole, and one that reads the same as
//   another bank's GROUP/NAME fits both. A name that fits several is an
//   error listing them by number; a number (or range) that is also
//   another's name is taken as the number, with a warning.
//
// Plain types and no settings model, so the editor's chooser (map_menu.h)
// takes the offers as they are.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "maps/foreign_map.h"

// The dash of a range, in labels: "1–16", "8DIO – PREMIER SOUND FACTORY".
inline constexpr char kEnDash[] = "\xE2\x80\x93";

// One page of a bank.
struct MapPage {
  // "17–32", the first and last numbers as --list numbers them; empty when
  // the bank has this one page.
  std::string label;
  std::vector<size_t> numbers;  // its articulations' numbers in the bank, from 1, in order
};

// A bank as a load offers it.
struct MapBankOffer {
  std::string label;  // as --list names it: "\"SCS - Ensembles\" (\"Ensembles\")"
  std::string title;  // the name a load message quotes: "Ensembles"
  std::string group;  // the file's group of the bank, "Spitfire/Chamber Strings"; may be empty
  size_t articulations = 0;    // those its program shows
  std::string problem;         // why it cannot be loaded; empty when it can
  std::vector<MapPage> pages;  // at least one when it can be loaded
};

// One choice among a file's banks and their pages, both from 0.
struct MapPick {
  size_t bank = 0;
  size_t page = 0;
  bool operator==(const MapPick&) const = default;
};

// The pages of a bank: none when its program shows no articulation.
std::vector<MapPage> BankPages(const ForeignBank& bank);

// How many pages the import of a bank can take (at least 1, so that the
// import of a bank without one says why).
size_t ImportPageCount(const ForeignBank& bank);

// The bank as a load offers it, with its pages; a bank without a page and
// without a problem of its own gets one ("it holds no articulation that is
// shown").
MapBankOffer BankOffer(const ForeignBank& bank);

// A bank as --list and the messages name it: "\"SCS - Ensembles\"
// (\"Ensembles\") in group \"Spitfire/Chamber Strings\"".
std::string ForeignBankLabel(const ForeignBank& bank);

// How a list marks an articulation no choice takes without its number:
// "[hidden]" (its program hides it), "[no articulation]" (its format says
// it is none); empty for one that is shown.
std::string LeftOutMark(const ForeignArticulation& articulation);

// What to take of a file.
struct ImportChoice {
  std::string bank;                   // a name or number; empty: the file must hold one bank
  std::vector<std::string> pick;      // empty: the first 16 visible articulations
  std::string bankOption = "--bank";  // what the messages call the choice of bank
  std::string pickOption = "--pick";  // and the choice of articulations
  // Without a pick, a page of BankPages: the articulations of other pages
  // are not named as left out; the hidden ones are noted on page 0 only.
  // -1: the first 16, with a warning naming the rest.
  int page = -1;
};

// A --pick argument split at its commas, each entry trimmed.
std::vector<std::string> SplitPickList(const std::string& list);

// The bank `choice` names, by its index in `map`. A number that is also
// another bank's name adds a warning line (naming `fileName`).
bool FindForeignBank(const ForeignMap& map, const std::string& fileName, const ImportChoice& choice,
                     size_t& index, std::vector<std::string>& warnings, ImportError& error);

// An articulation of the chosen bank that became no slot.
struct LeftOutArticulation {
  size_t number = 0;  // in the bank, from 1, as --list numbers it
  std::string name;
  std::string why;  // "beyond the 16 taken", "hidden by its program", "not picked"
};

// The articulations of `bank` that become slots 1.., in order, and what the
// rules say of those left out.
struct ChosenArticulations {
  std::vector<size_t> indices;  // into bank.articulations
  std::vector<std::string> warnings;
  std::vector<std::string> notes;
  std::vector<LeftOutArticulation> leftOut;
};

// Applies the choice's pick or page to the bank. Fails when a pick entry
// fits nothing or several, is empty, takes an articulation twice or goes
// past 16, and when nothing is left to take. Lines name `fileName`.
bool ChooseArticulations(const ForeignBank& bank, const std::string& fileName,
                         const ImportChoice& choice, ChosenArticulations& chosen,
                         ImportError& error);
