// The panel's own map menu: where it opens, what it offers, and how a file
// of several banks, or a bank of more than sixteen articulations, becomes a
// menu to choose from. Plain code without the window system.
//
// Nothing the panel already does may change, so the menu takes a gesture
// the panel gives no meaning: a double-click on a place that is no region
// of the shown page (no click, press or right-click region, and outside the
// slot grid, whose moves repaint it). Resting the pointer on such a place
// says so through the host's hint.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/panel_layout.h"
#include "maps/bank_choice.h"

namespace map_menu {

constexpr const char kPlaceHint[] = "Double-click: load, save, copy or paste a map";

// Command identifiers of the map menu; zero is "nothing chosen".
enum Command : int32_t {
  kNone = 0,
  kLoad = 1,
  kSaveAs = 2,
  kCopy = 3,
  kPaste = 4,
  kUndoLoad = 5,
  // The factory maps' submenu takes the identifiers from here on, one per
  // map, in the order its library lists them.
  kFactoryFirst = 0x100,
  kFactoryLast = 0x7FFF,
};

struct Item {
  Command command = kNone;  // kNone: a separator
  std::string text;
  bool enabled = true;
};

// The menu, top to bottom. "Undo load" is greyed while there is nothing to
// undo.
std::vector<Item> Items(bool canUndo);

// Where the submenu of factory maps belongs in Items(): the index before
// which it is inserted, so it opens the menu's list of sources; the submenu
// of community maps follows it.
constexpr size_t kFactorySubmenuIndex = 1;
constexpr const char kFactorySubmenuText[] = "Factory maps";
// Maps users of other programs shared, which nobody checked: apart from the
// factory maps, and saying so.
constexpr const char kCommunitySubmenuText[] = "Community maps (untested)";

}  // namespace map_menu

// Whether a point of the panel, on the given page, is a place without a
// region, where a double-click opens the map menu.
bool IsMapMenuPlace(int32_t pageIndex, PanelPoint p);

// ---------------------------------------------------------------------------
// Choosing what to load from a file.

// What the composer chooses from are the offers of maps/bank_choice.h as
// they are: a MapBankOffer per bank (its label as import --list gives it,
// its group, its shown articulations, why it cannot be loaded, its pages of
// at most sixteen), and a MapPick (bank, page) per choice.

// A popup menu of choices: each entry either picks (pick >= 0, an index
// into the chooser's picks), opens a submenu, or is a greyed line saying
// why it cannot be chosen.
struct ChooserEntry {
  std::string text;  // as shown, menu mnemonics already escaped
  int32_t pick = -1;
  std::vector<ChooserEntry> submenu;
};

struct LoadChooser {
  std::vector<ChooserEntry> entries;
  std::vector<MapPick> picks;
  // Whether there is nothing to choose: exactly one pick, loaded at once.
  bool Single() const { return picks.size() == 1; }
};

// A menu level longer than this is split into submenus.
constexpr size_t kChooserLevelLimit = 24;

// The chooser for a file's banks. A bank of several pages gets a submenu of
// them ("1–16", "17–32", ...); a file of several banks a line per bank; more banks than one level
// holds are grouped by the file's groups when it has several, else by ranges of bank numbers.
LoadChooser BuildLoadChooser(const std::vector<MapBankOffer>& banks);

// A menu text with its '&' doubled, so the menu shows it as written.
std::string MenuText(const std::string& text);

// ---------------------------------------------------------------------------
// The factory maps' submenu.

// A factory map as the menu files it (UTF-8): under its maker, then its
// product, by its title there; `name` is its whole name, as messages give it.
// A community map goes in the community maps' submenu instead.
struct FactoryMenuName {
  std::string maker;
  std::string product;
  std::string title;
  std::string name;
  bool community = false;
};

// Maker ▸ product ▸ map, in the library's order; an entry's pick is the
// map's index. A level longer than kChooserLevelLimit is cut into nearly
// equal runs, each a submenu named by its first and last entries
// ("8DIO – PREMIER SOUND FACTORY"), so no level outgrows the limit.
std::vector<ChooserEntry> BuildFactoryMenu(const std::vector<FactoryMenuName>& maps);

// The map menu's submenus of built-in maps, in order: "Factory maps" with
// the factory maps and "Community maps (untested)" with the community maps,
// each as BuildFactoryMenu makes it; one without maps is left out. An
// entry's pick is the map's index in `maps`.
struct LibrarySubmenu {
  std::string text;
  std::vector<ChooserEntry> entries;
};
std::vector<LibrarySubmenu> BuildLibrarySubmenus(const std::vector<FactoryMenuName>& maps);
