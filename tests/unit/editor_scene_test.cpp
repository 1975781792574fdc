// The panel's drawing steps and the areas a change makes the painter redraw:
// a note touches two indicators, a hover one button, a moved controller its
// own strip, and nothing that did not change is ever in an area.
#include <gtest/gtest.h>

#include "engine/note_names.h"
#include "editor/panel_scene.h"

namespace {

const NoteNameTable kNames = BuildNoteNameTable();

PanelAreas Change(const DataModel& before, PanelPoint pointerBefore, const DataModel& after,
                  PanelPoint pointerAfter) {
  const PanelView a = ViewOf(before, pointerBefore, kNames),
                  b = ViewOf(after, pointerAfter, kNames);
  PanelScene sa, sb;
  BuildScene(a, sa);
  BuildScene(b, sb);
  return ChangedAreas(sa, sb);
}

PanelAreas Change(const DataModel& before, const DataModel& after) {
  return Change(before, kNoPoint, after, kNoPoint);
}

PanelRect At(PanelPoint origin, int32_t width, int32_t height) {
  return {origin.x, origin.y, origin.x + width, origin.y + height};
}

bool Same(const PanelRect& a, const PanelRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The areas, in any order, are exactly these rectangles.
void ExpectAreas(const PanelAreas& areas, std::vector<PanelRect> expected) {
  ASSERT_EQ(areas.count, static_cast<int32_t>(expected.size()));
  for (int32_t i = 0; i < areas.count; ++i) {
    bool found = false;
    for (const PanelRect& rect : expected) found = found || Same(rect, areas.area[i]);
    EXPECT_TRUE(found) << "area " << areas.area[i].left << "," << areas.area[i].top << "-"
                       << areas.area[i].right << "," << areas.area[i].bottom;
  }
}

TEST(PanelScene, ANoteRedrawsTheOldAndTheNewIndicatorOnly) {
  DataModel before, after;
  before.currentSlot = 3;
  after.currentSlot = 9;
  const auto indicator = [](int32_t slot) {
    return At(panel::SlotIndicatorOrigin(slot), panel::kIndicatorWidth, panel::kIndicatorHeight);
  };
  ExpectAreas(Change(before, after), {indicator(3), indicator(9)});
  for (int page : {0, 1, 2}) {
    before.pageIndex = after.pageIndex = page;
    const PanelAreas areas = Change(before, after);
    for (int32_t i = 0; i < areas.count; ++i) {
      EXPECT_TRUE(Contains(panel::kSlotGridRect, areas.area[i])) << "page " << page;
    }
  }
  EXPECT_EQ(Change(after, after).count, 0) << "nothing changed, nothing to redraw";
}

TEST(PanelScene, AHoverRedrawsTheButtonsItLeavesAndEnters) {
  DataModel model;
  model.currentSlot = 5;
  const PanelPoint overSlot2{28 * 2 + 15, 20}, overSlot10{28 * 2 + 15, 70};
  const auto button = [](int32_t slot) {
    return Union(
        At(panel::SlotIconOrigin(slot), panel::kSlotIconSize, panel::kSlotIconSize),
        At(panel::SlotIndicatorOrigin(slot), panel::kIndicatorWidth, panel::kIndicatorHeight));
  };
  const PanelAreas areas = Change(model, overSlot2, model, overSlot10);
  PanelRect covered{0, 0, 0, 0};
  for (int32_t i = 0; i < areas.count; ++i) covered = Union(covered, areas.area[i]);
  EXPECT_TRUE(Same(covered, Union(button(2), button(10))));
  EXPECT_EQ(Change(model, overSlot2, model, {overSlot2.x + 3, overSlot2.y}).count, 0)
      << "moving within a button changes nothing";
}

TEST(PanelScene, AMovedControllerRedrawsItsStripOnlyWhenTheFrameChanges) {
  DataModel before;
  before.pageIndex = kControllerPage;
  before.controllers.value = {0, 0, 0, 0, 0, 0};
  DataModel after = before;
  after.controllers.value[0] = 110;
  ExpectAreas(Change(before, after),
              {At(panel::kSliderOrigin, panel::kSliderWidth, panel::kSliderHeight)});
  after.controllers.value[0] = 2;  // frame 0, as for 0
  EXPECT_EQ(Change(before, after).count, 0);
  after.controllers.value[0] = 0;
  after.controllers.value[3] = 127;
  ExpectAreas(Change(before, after),
              {At(panel::KnobOrigin(2), panel::kKnobSize, panel::kKnobSize)});
  before.pageIndex = after.pageIndex = kArticulationPage;
  EXPECT_EQ(Change(before, after).count, 0) << "not shown on the articulation page";
}

TEST(PanelScene, AWiderTextRedrawsAsFarAsItCanReach) {
  DataModel before, after;
  after.output.port = 123456789;
  const PanelAreas areas = Change(before, after);
  ASSERT_EQ(areas.count, 1);
  const PanelRect& area = areas.area[0];
  EXPECT_TRUE(Contains(area, panel::kPortText));
  // Nine characters of a 22-pixel font, centred on the port box.
  EXPECT_LE(area.left, (panel::kPortText.left + panel::kPortText.right) / 2 - 9 * 22 / 2);
  EXPECT_GE(area.right, (panel::kPortText.left + panel::kPortText.right) / 2 + 9 * 22 / 2);
  EXPECT_FALSE(Intersects(area, panel::kSlotGridRect));
}

TEST(PanelScene, APageChangeRedrawsTabsAndPageAreaButNotTheGrid) {
  DataModel before, after;
  before.pageIndex = kControllerPage;
  after.pageIndex = kSettingsPage;
  const PanelAreas areas = Change(before, after);
  PanelRect covered{0, 0, 0, 0};
  for (int32_t i = 0; i < areas.count; ++i) {
    EXPECT_FALSE(Intersects(areas.area[i], panel::kSlotGridRect));
    covered = Union(covered, areas.area[i]);
  }
  EXPECT_TRUE(Contains(covered, At(panel::TabOrigin(1), panel::kTabSize, panel::kTabSize)));
  EXPECT_TRUE(Contains(covered, At(panel::TabOrigin(2), panel::kTabSize, panel::kTabSize)));
  EXPECT_TRUE(Contains(
      covered, At(panel::kPageOverlayOrigin, panel::kPageOverlayWidth, panel::kPageOverlayHeight)));
}

TEST(PanelScene, TheViewHoldsTheTextsAsShown) {
  DataModel model;
  model.selectedSlot = 4;
  model.bank.keyswitch[4] = -1;
  model.bank.modwheel[4] = 0;
  model.bank.uacc[4] = -1;
  model.output.channel = 15;
  PanelView view = ViewOf(model, kNoPoint, kNames);
  EXPECT_STREQ(view.name, "Articulation 5");
  EXPECT_EQ(view.nameLength, 14);
  EXPECT_STREQ(view.keyswitch, "----");
  EXPECT_STREQ(view.modwheel, "0");
  EXPECT_STREQ(view.uacc, "---");
  EXPECT_STREQ(view.channel, "16");
  model.bank.name.Set(4, std::string(300, 'x'));  // held at the longest name
  model.bank.keyswitch[4] = 60;
  model.selectedSlot = 99;  // shows the last slot
  model.bank.name.Set(15, "Last");
  view = ViewOf(model, kNoPoint, kNames);
  EXPECT_EQ(view.litSlot, 15);
  EXPECT_STREQ(view.name, "Last");
  model.selectedSlot = 4;
  view = ViewOf(model, kNoPoint, kNames);
  EXPECT_EQ(view.nameLength, kMaxNameLength);
  EXPECT_STREQ(view.keyswitch, "C3");
}

TEST(PanelAreas, MergeWhatMeetsAndStayFew) {
  PanelAreas areas;
  areas.Add({0, 0, 10, 10});
  areas.Add({20, 0, 30, 10});
  areas.Add({5, 5, 25, 8});  // meets both: one area around all three
  ExpectAreas(areas, {{0, 0, 30, 10}});
  areas.Add({40, 40, 40, 50});  // empty
  EXPECT_EQ(areas.count, 1);
  for (int i = 0; i < 20; ++i) areas.Add({50 + 10 * i, 100, 55 + 10 * i, 105});
  EXPECT_LE(areas.count, PanelAreas::kMax);
  PanelRect covered{0, 0, 0, 0};
  for (int32_t i = 0; i < areas.count; ++i) covered = Union(covered, areas.area[i]);
  EXPECT_TRUE(Same(covered, {0, 0, 245, 105}));
}

}  // namespace
