// The panel's hints for the place under the pointer: which place has one on
// which page, and when a hint is shown (a move into its place, never a
// button, nor a move report where the pointer already was).
#include <gtest/gtest.h>

#include <string>

#include "editor/map_menu.h"
#include "editor/panel_editing.h"
#include "editor/place_hint.h"

namespace {

constexpr PanelPoint kNowhere{236, 236};  // a place without a region on every page
constexpr PanelPoint kSlot{20, 20};       // slot 1's button
constexpr PanelPoint kAdditions{150, 168};

TEST(PlaceHint, TheMapMenuIsToldOnTheArticulationAndControllersPagesOnly) {
  DataModel model;
  for (int32_t page : {kArticulationPage, kControllerPage}) {
    model.pageIndex = page;
    EXPECT_EQ(PlaceHintAt(model, kNowhere), map_menu::kPlaceHint) << page;
    EXPECT_EQ(PlaceHintAt(model, {120, 97}), map_menu::kPlaceHint) << page;
    EXPECT_EQ(PlaceHintAt(model, kSlot), "") << page;
    EXPECT_EQ(PlaceHintAt(model, {-1, 5}), "") << page << ": outside the panel";
  }
  // The settings page has always told nothing, though a double-click on
  // such a place opens the menu there too.
  model.pageIndex = kSettingsPage;
  for (PanelPoint p : {kNowhere, PanelPoint{120, 97}, PanelPoint{180, 140}}) {
    EXPECT_TRUE(IsMapMenuPlace(kSettingsPage, p)) << p.x << "," << p.y;
    EXPECT_EQ(PlaceHintAt(model, p), "") << p.x << "," << p.y;
  }
}

TEST(PlaceHint, TheAdditionsSummaryTellsItsWholeTextOnTheArticulationPage) {
  DataModel model;
  model.pageIndex = kArticulationPage;
  SlotAdditions additions;
  additions.transpose = 12;
  ASSERT_TRUE(model.additions.Set(0, additions));
  ASSERT_FALSE(AdditionsHintAt(model, kAdditions).empty());
  EXPECT_EQ(PlaceHintAt(model, kAdditions), AdditionsHintAt(model, kAdditions));
}

TEST(PlaceHint, ShownOncePerArrivalByAMove) {
  DataModel model;
  model.pageIndex = kControllerPage;
  PlaceHints hints;
  EXPECT_EQ(hints.Moved(model, kSlot, false), "");
  EXPECT_EQ(hints.Moved(model, kNowhere, false), map_menu::kPlaceHint);
  EXPECT_EQ(hints.Moved(model, {235, 236}, false), "") << "within the place: once";
  EXPECT_EQ(hints.Moved(model, kSlot, false), "");
  EXPECT_EQ(hints.Moved(model, kNowhere, false), map_menu::kPlaceHint) << "a new arrival";
  // While a drag runs no place tells anything; after it, the place the
  // pointer moves into does.
  EXPECT_EQ(hints.Moved(model, {234, 236}, true), "");
  EXPECT_EQ(hints.Moved(model, {233, 236}, false), map_menu::kPlaceHint);
}

TEST(PlaceHint, NoButtonShowsItNorAMoveReportedWhereThePointerAlreadyIs) {
  DataModel model;
  model.pageIndex = kArticulationPage;
  PlaceHints hints;
  EXPECT_EQ(hints.Moved(model, kSlot, false), "");
  // A release at a place without a region, the pointer brought there with
  // no move reported (wine reports the move with the button): nothing.
  hints.Seen(model, kNowhere);
  EXPECT_EQ(hints.Moved(model, kNowhere, false), "");
  EXPECT_EQ(hints.Moved(model, {235, 236}, false), "") << "it arrived with the button";
  // A move report where the pointer was last reported is no move, whatever
  // changed in between (here the page, by a click on its tab).
  EXPECT_EQ(hints.Moved(model, kSlot, false), "");
  model.pageIndex = kControllerPage;
  EXPECT_EQ(hints.Moved(model, kSlot, false), "");
  // A menu closed with the pointer over such a place: known, not told.
  hints.Seen(model, {120, 97});
  EXPECT_EQ(hints.Moved(model, {120, 97}, false), "");
  EXPECT_EQ(hints.Moved(model, kSlot, false), "");
  EXPECT_EQ(hints.Moved(model, {120, 97}, false), map_menu::kPlaceHint);
}

}  // namespace
