#include "editor/map_menu.h"

#include <algorithm>

#include "editor/panel_editing.h"
#include "maps/counted.h"

namespace map_menu {

std::vector<Item> Items(bool canUndo) {
  return {
      {kLoad, "Load map\xE2\x80\xA6", true},
      {kSaveAs, "Save map as\xE2\x80\xA6", true},
      {kNone, "", true},
      {kCopy, "Copy map", true},
      {kPaste, "Paste map", true},
      {kNone, "", true},
      {kUndoLoad, "Undo load", canUndo},
  };
}

}  // namespace map_menu

bool IsMapMenuPlace(int32_t pageIndex, PanelPoint p) {
  if (p.x < 0 || p.y < 0 || p.x >= panel::kSize || p.y >= panel::kSize) return false;
  if (panel::kSlotGridBox.Contains(p)) return false;
  // Every region the panel answers to, from the same tests its handlers
  // use, so the menu never takes a place that means something already.
  if (PressTargetAt(pageIndex, p) != kDragNone) return false;
  if (ClickActionAt(pageIndex, p).kind != ClickAction::kNone) return false;
  if (RightClickActionAt(pageIndex, p).kind != RightClickAction::kNone) return false;
  for (int32_t page = 0; page < panel::kPageCount; ++page)
    if (panel::TabBox(page).Contains(p)) return false;
  return true;
}

std::string MenuText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

namespace {

std::string Range(int32_t first, int32_t last) {
  return std::to_string(first) + kEnDash + std::to_string(last);
}

// One bank's entry: a pick when it offers one page, else a submenu of its
// pages; a greyed line saying why when it offers none.
ChooserEntry BankEntry(const MapBankOffer& bank, size_t index, LoadChooser& chooser) {
  ChooserEntry entry;
  entry.text = MenuText(std::to_string(index + 1) + " " + bank.label);
  if (!bank.problem.empty() || bank.pages.empty()) {
    entry.text += MenuText(": cannot be loaded" +
                           (bank.problem.empty() ? std::string() : ": " + bank.problem));
    return entry;
  }
  entry.text += ", " + Counted(bank.articulations, "articulation");
  if (bank.pages.size() == 1) {
    entry.pick = static_cast<int32_t>(chooser.picks.size());
    chooser.picks.push_back({index, 0});
    return entry;
  }
  for (size_t p = 0; p < bank.pages.size(); ++p) {
    ChooserEntry page;
    page.text = MenuText(bank.pages[p].label);
    page.pick = static_cast<int32_t>(chooser.picks.size());
    chooser.picks.push_back({index, p});
    entry.submenu.push_back(std::move(page));
  }
  return entry;
}

bool HasSeveralGroups(const std::vector<MapBankOffer>& banks) {
  for (const MapBankOffer& bank : banks)
    if (bank.group != banks.front().group) return true;
  return false;
}

// An entry with the bank numbers (1-based) it covers, so a level too long
// for one menu can be cut into submenus named by those numbers.
struct Numbered {
  ChooserEntry entry;
  int32_t first, last;
};

std::vector<ChooserEntry> Entries(std::vector<Numbered> numbered) {
  std::vector<ChooserEntry> entries;
  for (Numbered& n : numbered) entries.push_back(std::move(n.entry));
  return entries;
}

// Cuts a level into submenus of consecutive entries ("Banks 1–24", ...),
// again and again until every level fits.
std::vector<ChooserEntry> SplitByRanges(std::vector<Numbered> level) {
  while (level.size() > kChooserLevelLimit) {
    std::vector<Numbered> cut;
    for (size_t start = 0; start < level.size(); start += kChooserLevelLimit) {
      const size_t end = std::min(start + kChooserLevelLimit, level.size());
      Numbered range{{}, level[start].first, level[end - 1].last};
      range.entry.text = "Banks " + Range(range.first, range.last);
      for (size_t i = start; i < end; ++i) range.entry.submenu.push_back(std::move(level[i].entry));
      cut.push_back(std::move(range));
    }
    level = std::move(cut);
  }
  return Entries(std::move(level));
}

}  // namespace

LoadChooser BuildLoadChooser(const std::vector<MapBankOffer>& banks) {
  LoadChooser chooser;
  std::vector<Numbered> entries;
  for (size_t b = 0; b < banks.size(); ++b) {
    const int32_t number = static_cast<int32_t>(b) + 1;
    entries.push_back({BankEntry(banks[b], b, chooser), number, number});
  }
  if (entries.size() == 1 && !entries.front().entry.submenu.empty()) {
    // One bank: its ranges are the menu.
    chooser.entries = std::move(entries.front().entry.submenu);
    return chooser;
  }
  if (entries.size() <= kChooserLevelLimit || !HasSeveralGroups(banks)) {
    chooser.entries = SplitByRanges(std::move(entries));
    return chooser;
  }
  // By the file's groups, in the order they first appear; a group itself
  // too long is cut by ranges within it.
  std::vector<std::string> groups;
  std::vector<std::vector<Numbered>> members;
  for (size_t b = 0; b < banks.size(); ++b) {
    const size_t g = static_cast<size_t>(std::find(groups.begin(), groups.end(), banks[b].group) -
                                         groups.begin());
    if (g == groups.size()) {
      groups.push_back(banks[b].group);
      members.emplace_back();
    }
    members[g].push_back(std::move(entries[b]));
  }
  std::vector<Numbered> level;
  for (size_t g = 0; g < groups.size(); ++g) {
    Numbered group{{}, members[g].front().first, members[g].back().last};
    group.entry.text = MenuText(groups[g].empty() ? std::string("(no group)") : groups[g]);
    group.entry.submenu = SplitByRanges(std::move(members[g]));
    level.push_back(std::move(group));
  }
  chooser.entries = SplitByRanges(std::move(level));
  return chooser;
}

namespace {

// Cuts a level into runs of nearly equal length, as few as keep every run
// within the limit, again and again until the level itself fits.
std::vector<ChooserEntry> SplitByNames(std::vector<ChooserEntry> level) {
  while (level.size() > kChooserLevelLimit) {
    const size_t runs = (level.size() + kChooserLevelLimit - 1) / kChooserLevelLimit;
    const size_t runsOfMore = level.size() % runs;  // one entry longer than the others
    const size_t shortLength = level.size() / runs;
    std::vector<ChooserEntry> cut;
    size_t start = 0;
    for (size_t r = 0; r < runs; ++r) {
      const size_t end = start + shortLength + (r < runsOfMore ? 1 : 0);
      ChooserEntry run;
      run.text = level[start].text + " " + kEnDash + " " + level[end - 1].text;
      for (size_t i = start; i < end; ++i) run.submenu.push_back(std::move(level[i]));
      cut.push_back(std::move(run));
      start = end;
    }
    level = std::move(cut);
  }
  return level;
}

// The entries of `maps[first, last)` grouped by `key` in order of first
// appearance (the library lists each maker's, and product's, maps
// together), each group made by `inner`.
template <typename Key, typename Inner>
std::vector<ChooserEntry> Grouped(const std::vector<FactoryMenuName>& maps, size_t first,
                                  size_t last, Key key, Inner inner) {
  std::vector<ChooserEntry> level;
  size_t start = first;
  while (start < last) {
    size_t end = start + 1;
    while (end < last && key(maps[end]) == key(maps[start])) ++end;
    ChooserEntry group;
    group.text = MenuText(key(maps[start]));
    group.submenu = SplitByNames(inner(start, end));
    level.push_back(std::move(group));
    start = end;
  }
  return SplitByNames(std::move(level));
}

}  // namespace

std::vector<ChooserEntry> BuildFactoryMenu(const std::vector<FactoryMenuName>& maps) {
  const auto titles = [&maps](size_t first, size_t last) {
    std::vector<ChooserEntry> level;
    for (size_t i = first; i < last; ++i)
      level.push_back({MenuText(maps[i].title.empty() ? maps[i].name : maps[i].title),
                       static_cast<int32_t>(i),
                       {}});
    return level;
  };
  const auto products = [&maps, &titles](size_t first, size_t last) {
    return Grouped(
        maps, first, last, [](const FactoryMenuName& m) { return m.product; }, titles);
  };
  return Grouped(
      maps, 0, maps.size(), [](const FactoryMenuName& m) { return m.maker; }, products);
}

namespace {

// Picks of a menu made from some of the maps, made indices into all of them.
void Renumber(std::vector<ChooserEntry>& entries, const std::vector<int32_t>& indices) {
  for (ChooserEntry& entry : entries) {
    if (entry.pick >= 0) entry.pick = indices[static_cast<size_t>(entry.pick)];
    Renumber(entry.submenu, indices);
  }
}

}  // namespace

std::vector<LibrarySubmenu> BuildLibrarySubmenus(const std::vector<FactoryMenuName>& maps) {
  std::vector<LibrarySubmenu> submenus;
  for (const bool community : {false, true}) {
    std::vector<FactoryMenuName> some;
    std::vector<int32_t> indices;
    for (size_t i = 0; i < maps.size(); ++i)
      if (maps[i].community == community) {
        some.push_back(maps[i]);
        indices.push_back(static_cast<int32_t>(i));
      }
    if (some.empty()) continue;
    LibrarySubmenu submenu{
        community ? map_menu::kCommunitySubmenuText : map_menu::kFactorySubmenuText,
        BuildFactoryMenu(some)};
    Renumber(submenu.entries, indices);
    submenus.push_back(std::move(submenu));
  }
  return submenus;
}
