// The map menu's place on the panel and the chooser of what to load.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "editor/map_menu.h"
#include "editor/panel_editing.h"

namespace {

// Every pick a chooser offers, in menu order, with the texts leading to it.
void Collect(const std::vector<ChooserEntry>& entries, std::vector<int32_t>& picks,
             std::vector<std::string>& texts, const std::string& path = "") {
  for (const ChooserEntry& entry : entries) {
    const std::string here = path.empty() ? entry.text : path + " > " + entry.text;
    if (!entry.submenu.empty()) {
      EXPECT_LE(entry.submenu.size(), kChooserLevelLimit) << here;
      EXPECT_EQ(entry.pick, -1) << here;
      Collect(entry.submenu, picks, texts, here);
    } else if (entry.pick >= 0) {
      picks.push_back(entry.pick);
      texts.push_back(here);
    }
  }
}

// A bank with pages of sixteen, labelled as the loader labels them.
MapBankOffer Bank(const std::string& label, size_t articulations, const std::string& group = "") {
  MapBankOffer bank{label, label, group, articulations, "", {}};
  if (articulations <= 16) bank.pages = {{}};
  for (size_t first = 1; articulations > 16 && first <= articulations; first += 16)
    bank.pages.push_back({std::to_string(first) + "\xE2\x80\x93" +
                              std::to_string(std::min(first + 15, articulations)),
                          {}});
  return bank;
}

}  // namespace

TEST(MapMenuPlace, NeverARegionTheHandlersAnswerTo) {
  // Sweep every pixel of every page: a place is never anything a press, a
  // click, a right-click, a tab or the slot grid's hover already takes.
  int places[3] = {0, 0, 0};
  for (int32_t page = 0; page < 3; ++page) {
    for (int32_t y = -2; y < 242; ++y) {
      for (int32_t x = -2; x < 242; ++x) {
        const PanelPoint p{x, y};
        if (!IsMapMenuPlace(page, p)) continue;
        ++places[page];
        ASSERT_TRUE(x >= 0 && y >= 0 && x < 240 && y < 240) << x << "," << y;
        ASSERT_EQ(PressTargetAt(page, p), kDragNone) << page << ": " << x << "," << y;
        ASSERT_EQ(ClickActionAt(page, p).kind, ClickAction::kNone) << x << "," << y;
        ASSERT_EQ(RightClickActionAt(page, p).kind, RightClickAction::kNone) << x << "," << y;
        ASSERT_FALSE(panel::kSlotGridBox.Contains(p)) << x << "," << y;
      }
    }
  }
  // Each page keeps room for it: the strip under the slot grid, the corner
  // right of the tabs, and on the settings page the title.
  for (int32_t page = 0; page < 3; ++page) {
    EXPECT_GT(places[page], 1000) << page;
    EXPECT_TRUE(IsMapMenuPlace(page, {120, 97})) << page;
    EXPECT_TRUE(IsMapMenuPlace(page, {236, 236})) << page;
  }
  EXPECT_TRUE(IsMapMenuPlace(2, {180, 140}));
  EXPECT_FALSE(IsMapMenuPlace(0, {180, 140})) << "modwheel box";
  EXPECT_FALSE(IsMapMenuPlace(1, {60, 140})) << "a knob";
}

TEST(MapMenuItems, UndoIsGreyedWithNothingToUndo) {
  const auto items = map_menu::Items(false);
  std::vector<std::string> texts;
  for (const auto& item : items) {
    if (item.command != map_menu::kNone) texts.push_back(item.text);
    EXPECT_EQ(item.enabled, item.command != map_menu::kUndoLoad);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"Load map\xE2\x80\xA6", "Save map as\xE2\x80\xA6",
                                             "Copy map", "Paste map", "Undo load"}));
  for (const auto& item : map_menu::Items(true)) EXPECT_TRUE(item.enabled);
}

TEST(LoadChooser, ShapesForEveryKindOfFile) {
  struct Case {
    const char* what;
    std::vector<MapBankOffer> banks;
    std::vector<std::string> texts;  // of every pick, in menu order; empty: not listed
    std::vector<MapPick> picks;
  };
  const Case cases[] = {
      {"one bank that fits: loaded at once", {Bank("\"Strings\"", 12)}, {}, {{0, 0}}},
      {"one bank of 40: its ranges",
       {Bank("\"Flute\"", 40)},
       {"1\xE2\x80\x93"
        "16",
        "17\xE2\x80\x93"
        "32",
        "33\xE2\x80\x93"
        "40"},
       {{0, 0}, {0, 1}, {0, 2}}},
      {"exactly 16 and 17",
       {Bank("\"A & B\"", 16), Bank("\"C\"", 17)},
       {"1 \"A && B\", 16 articulations",
        "2 \"C\", 17 articulations > 1\xE2\x80\x93"
        "16",
        "2 \"C\", 17 articulations > 17\xE2\x80\x93"
        "17"},
       {{0, 0}, {1, 0}, {1, 1}}},
      {"a bank that cannot be loaded is listed, greyed",
       {Bank("\"A\"", 1),
        {"\"Clone\"", "", "", 0, "a clone of a missing bank", {}},
        Bank("\"B\"", 2)},
       {"1 \"A\", 1 articulation", "3 \"B\", 2 articulations"},
       {{0, 0}, {2, 0}}},
  };
  for (const Case& c : cases) {
    const LoadChooser chooser = BuildLoadChooser(c.banks);
    EXPECT_EQ(chooser.picks, c.picks) << c.what;
    std::vector<int32_t> picks;
    std::vector<std::string> texts;
    Collect(chooser.entries, picks, texts);
    if (!c.texts.empty()) {
      EXPECT_EQ(texts, c.texts) << c.what;
    }
    EXPECT_EQ(chooser.Single(), c.picks.size() == 1) << c.what;
  }
  const LoadChooser withProblem = BuildLoadChooser(cases[3].banks);
  ASSERT_EQ(withProblem.entries.size(), 3u);
  EXPECT_EQ(withProblem.entries[1].pick, -1);
  EXPECT_NE(withProblem.entries[1].text.find("cannot be loaded: a clone"), std::string::npos);
}

TEST(LoadChooser, LongListsSplitByGroupsOrRangesAndKeepEveryBank) {
  for (const bool grouped : {false, true}) {
    std::vector<MapBankOffer> banks;
    for (int b = 0; b < 700; ++b)
      banks.push_back(Bank("\"B" + std::to_string(b + 1) + "\"", b % 7 == 0 ? 20 : 3,
                           grouped ? "Group " + std::to_string(b % 5) : ""));
    const LoadChooser chooser = BuildLoadChooser(banks);
    EXPECT_LE(chooser.entries.size(), kChooserLevelLimit);
    std::vector<int32_t> picks;
    std::vector<std::string> texts;
    Collect(chooser.entries, picks, texts);
    // Every pick reachable exactly once, every bank's every range there.
    ASSERT_EQ(picks.size(), chooser.picks.size());
    EXPECT_EQ(std::set<int32_t>(picks.begin(), picks.end()).size(), picks.size());
    size_t expected = 0;
    for (const auto& bank : banks) expected += bank.articulations > 16 ? 2 : 1;
    EXPECT_EQ(chooser.picks.size(), expected);
    if (grouped) {
      EXPECT_EQ(chooser.entries.size(), 5u);
      EXPECT_EQ(chooser.entries[0].text, "Group 0");
    } else {
      EXPECT_EQ(chooser.entries.front().text,
                "Banks 1\xE2\x80\x93"
                "576");
    }
  }
}

TEST(FactoryMenu, MakerProductMapWithLongLevelsCutIntoNamedRuns) {
  // 33 makers (the first with 30 products, the second's one product with
  // 89 maps), as long as the library's longest levels.
  std::vector<FactoryMenuName> maps;
  for (int m = 0; m < 33; ++m) {
    const int products = m == 0 ? 30 : 1;
    for (int p = 0; p < products; ++p) {
      const int count = m == 1 ? 89 : 2;
      for (int i = 0; i < count; ++i) {
        const std::string maker = "M" + std::to_string(m), product = "P" + std::to_string(p);
        maps.push_back({maker, product, "T&" + std::to_string(i),
                        maker + " " + product + " T&" + std::to_string(i)});
      }
    }
  }
  const std::vector<ChooserEntry> menu = BuildFactoryMenu(maps);
  std::vector<int32_t> picks;
  std::vector<std::string> texts;
  Collect(menu, picks, texts);
  EXPECT_LE(menu.size(), kChooserLevelLimit);
  // Every map once, in the library's order, its title escaped.
  ASSERT_EQ(picks.size(), maps.size());
  for (size_t i = 0; i < picks.size(); ++i) EXPECT_EQ(picks[i], static_cast<int32_t>(i));
  const std::string dash = " \xE2\x80\x93 ";
  // 33 makers in runs of 17 and 16; 30 products in runs of 15; 89 maps in
  // runs of 23, 22, 22, 22.
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].text, "M0" + dash + "M16");
  EXPECT_EQ(menu[1].text, "M17" + dash + "M32");
  EXPECT_EQ(texts.front(), "M0" + dash + "M16 > M0 > P0" + dash + "P14 > P0 > T&&0");
  EXPECT_EQ(texts[60], "M0" + dash + "M16 > M1 > P0 > T&&0" + dash + "T&&22 > T&&0");
  EXPECT_EQ(texts[60 + 23], "M0" + dash + "M16 > M1 > P0 > T&&23" + dash + "T&&44 > T&&23");
  EXPECT_EQ(texts.back(), "M17" + dash + "M32 > M32 > P0 > T&&1");
}

TEST(FactoryMenu, CommunityMapsInASubmenuOfTheirOwnAfterTheFactoryMaps) {
  const std::vector<FactoryMenuName> maps = {
      {"A", "P", "One", "A P One", false},
      {"B", "Q", "Two", "B Q Two", false},
      {"A", "P", "Three", "A P Three", true},
      {"C", "R", "Four", "C R Four", true},
  };
  const std::vector<LibrarySubmenu> submenus = BuildLibrarySubmenus(maps);
  ASSERT_EQ(submenus.size(), 2u);
  EXPECT_EQ(submenus[0].text, "Factory maps");
  EXPECT_EQ(submenus[1].text, "Community maps (untested)");
  const std::pair<std::vector<int32_t>, std::vector<std::string>> wanted[] = {
      {{0, 1}, {"A > P > One", "B > Q > Two"}}, {{2, 3}, {"A > P > Three", "C > R > Four"}}};
  for (size_t s = 0; s < 2; ++s) {
    std::vector<int32_t> picks;
    std::vector<std::string> texts;
    Collect(submenus[s].entries, picks, texts);
    EXPECT_EQ(picks, wanted[s].first) << "each pick is the map's number in the whole library";
    EXPECT_EQ(texts, wanted[s].second);
  }
  // A library of factory maps alone has no community submenu.
  const std::vector<LibrarySubmenu> factoryOnly =
      BuildLibrarySubmenus({maps.begin(), maps.begin() + 2});
  ASSERT_EQ(factoryOnly.size(), 1u);
  EXPECT_EQ(factoryOnly[0].text, "Factory maps");
}
