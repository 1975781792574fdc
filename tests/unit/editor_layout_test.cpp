// Panel geometry, hover and hit regions, and the frames and cells the
// painter picks for any stored value.
#include <gtest/gtest.h>

#include <climits>

#include "engine/note_names.h"
#include "editor/panel_layout.h"

namespace {

// The slot-button columns and rows, written out as the panel shows them.
constexpr int kColumns[8][2] = {{9, 33},    {37, 61},   {65, 89},   {93, 117},
                                {121, 145}, {149, 173}, {177, 201}, {205, 229}};
constexpr int kRows[2][2] = {{9, 48}, {53, 92}};

int ExpectedSlotAt(int x, int y) {
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 8; ++c) {
      if (x >= kColumns[c][0] && x <= kColumns[c][1] && y >= kRows[r][0] && y <= kRows[r][1]) {
        return r * 8 + c;
      }
    }
  }
  return -1;
}

TEST(PanelLayout, SlotButtonsCoverExactlyTheirColumnsAndRows) {
  for (int y = -2; y < 242; ++y) {
    for (int x = -2; x < 242; ++x) {
      ASSERT_EQ(SlotButtonAt({x, y}), ExpectedSlotAt(x, y)) << "at " << x << "," << y;
    }
  }
}

TEST(PanelLayout, HoverEdgesOfTheFirstColumn) {
  EXPECT_EQ(SlotButtonAt({9, 9}), 0);
  EXPECT_EQ(SlotButtonAt({8, 9}), -1);
  EXPECT_EQ(SlotButtonAt({34, 9}), -1);
  EXPECT_EQ(SlotButtonAt({37, 9}), 1);
  EXPECT_EQ(SlotButtonAt({9, 48}), 0);
  for (int y = 49; y <= 52; ++y) EXPECT_EQ(SlotButtonAt({9, y}), -1) << y;
  EXPECT_EQ(SlotButtonAt({9, 53}), 8);
  EXPECT_EQ(SlotButtonAt(kNoPoint), -1) << "no pointer seen: nothing hovered";
}

TEST(PanelLayout, SlotIconsAndIndicatorsSitInTheirGridCells) {
  EXPECT_EQ(panel::SlotIconOrigin(0), (PanelPoint{8, 9}));
  EXPECT_EQ(panel::SlotIconOrigin(7), (PanelPoint{204, 9}));
  EXPECT_EQ(panel::SlotIconOrigin(8), (PanelPoint{8, 53}));
  EXPECT_EQ(panel::SlotIconOrigin(15), (PanelPoint{204, 53}));
  EXPECT_EQ(panel::SlotIndicatorOrigin(0), (PanelPoint{15, 36}));
  EXPECT_EQ(panel::SlotIndicatorOrigin(13), (PanelPoint{155, 80}));
  // Everything the grid draws lies inside the rectangle a grid repaint marks.
  const PanelRect& grid = panel::kSlotGridRect;
  for (int slot = 0; slot < 16; ++slot) {
    const PanelPoint icon = panel::SlotIconOrigin(slot);
    const PanelPoint indicator = panel::SlotIndicatorOrigin(slot);
    EXPECT_GE(icon.x, grid.left);
    EXPECT_LE(icon.x + panel::kSlotIconSize, grid.right);
    EXPECT_LE(icon.y + panel::kSlotIconSize, grid.bottom);
    EXPECT_LE(indicator.x + panel::kIndicatorWidth, grid.right);
    EXPECT_LE(indicator.y + panel::kIndicatorHeight, grid.bottom);
  }
  EXPECT_EQ(grid.left, 5);
  EXPECT_EQ(grid.top, 5);
  EXPECT_EQ(grid.right, 233);
  EXPECT_EQ(grid.bottom, 94);
}

TEST(PanelLayout, TabsShareEdgesWithTheLowerTab) {
  EXPECT_EQ(TabAt({6, 185}), 0);
  EXPECT_EQ(TabAt({5, 185}), -1);
  EXPECT_EQ(TabAt({51, 200}), 0);
  EXPECT_EQ(TabAt({52, 200}), 1);
  EXPECT_EQ(TabAt({96, 230}), 1);
  EXPECT_EQ(TabAt({97, 230}), 2);
  EXPECT_EQ(TabAt({141, 185}), 2);
  EXPECT_EQ(TabAt({142, 185}), -1);
  EXPECT_EQ(TabAt({50, 184}), -1);
  EXPECT_EQ(TabAt({50, 231}), -1);
}

TEST(PanelFrames, ControllerFramesFollowValueTimes63Over127) {
  EXPECT_EQ(ControllerFrame(0), 0);
  EXPECT_EQ(ControllerFrame(1), 0);
  EXPECT_EQ(ControllerFrame(2), 0);
  EXPECT_EQ(ControllerFrame(3), 1);
  EXPECT_EQ(ControllerFrame(64), 31);
  EXPECT_EQ(ControllerFrame(126), 62);
  EXPECT_EQ(ControllerFrame(127), 63);
  for (int v = 0; v <= 127; ++v) EXPECT_EQ(ControllerFrame(v), 63 * v / 127) << v;
}

TEST(PanelFrames, ControllerValuesOutsideTheRangeStayInsideTheStrips) {
  for (int32_t v : {-1, -127, INT_MIN, 128, 1000, INT_MAX}) {
    const int32_t frame = ControllerFrame(v);
    EXPECT_GE(frame, 0) << v;
    EXPECT_LE(frame, 63) << v;
  }
  EXPECT_EQ(ControllerFrame(-5), 0);
  EXPECT_EQ(ControllerFrame(200), 63);
}

TEST(PanelFrames, SwitchIsOffUpTo63AndOnFrom64) {
  EXPECT_EQ(SwitchFrame(0), 0);
  EXPECT_EQ(SwitchFrame(63), 0);
  EXPECT_EQ(SwitchFrame(64), 1);
  EXPECT_EQ(SwitchFrame(127), 1);
  EXPECT_EQ(SwitchFrame(-1), 0);
  EXPECT_EQ(SwitchFrame(INT_MIN), 0);
  EXPECT_EQ(SwitchFrame(128), 1) << "not frame 2, which lies past the strip";
  EXPECT_EQ(SwitchFrame(INT_MAX), 1);
}

TEST(PanelFrames, EveryIconIdReadsInsideTheIconStrip) {
  const int stripWidth = panel::kIconCount * panel::kIconCell;
  for (int32_t id : {INT_MIN, -1, 0, 55, 127, 128, 149, 150, 4000, INT_MAX}) {
    const PanelPoint lit = SlotIconSource(id, true);
    const PanelPoint unlit = SlotIconSource(id, false);
    const PanelPoint detail = DetailIconSource(id);
    EXPECT_GE(lit.x, 2) << id;
    EXPECT_LE(lit.x + panel::kSlotIconSize, stripWidth) << id;
    EXPECT_LE(detail.x + panel::kDetailIconWidth, stripWidth) << id;
    EXPECT_EQ(lit.y, 0);
    EXPECT_EQ(unlit.y, 28);
    EXPECT_LE(unlit.y + panel::kSlotIconSize, panel::kIconStripHeight);
    EXPECT_EQ(detail.y, 1);
  }
  EXPECT_EQ(SlotIconSource(55, true).x, 32 * 55 + 2);
  EXPECT_EQ(SlotIconSource(149, false).x, 32 * 149 + 2);
  EXPECT_EQ(SlotIconSource(150, true).x, 32 * 149 + 2) << "held at the last cell";
  EXPECT_EQ(SlotIconSource(-3, true).x, 2);
}

TEST(PanelFrames, IndicatorRowsAndSources) {
  EXPECT_EQ(IndicatorRow(false, false), 0);
  EXPECT_EQ(IndicatorRow(false, true), 1);
  EXPECT_EQ(IndicatorRow(true, false), 2);
  EXPECT_EQ(IndicatorRow(true, true), 3);
  EXPECT_EQ(IndicatorSource(0, 0), (PanelPoint{240, 0}));
  EXPECT_EQ(IndicatorSource(15, 3), (PanelPoint{450, 36}));
  const PanelPoint far = IndicatorSource(99, 7);
  EXPECT_LE(far.x + panel::kIndicatorWidth, panel::kSheetWidth);
  EXPECT_LE(far.y + panel::kIndicatorHeight, 48) << "indicator rows end above the page overlay";
}

TEST(PanelFrames, SpritesOfTheSheetLieInsideIt) {
  for (int page = 0; page < 3; ++page) {
    EXPECT_LE(panel::LitTabSource(page).x + panel::kTabSize, panel::kSheetWidth);
    EXPECT_LE(panel::LitTabSource(page).y + panel::kTabSize, panel::kSheetHeight);
  }
  for (int look = 0; look < 3; ++look) {
    EXPECT_LE(panel::OptionSource(look).x + panel::kOptionSize, panel::kSheetWidth);
  }
  EXPECT_LE(panel::kPage0OverlaySource.x + panel::kPageOverlayWidth, panel::kSheetWidth);
  EXPECT_LE(panel::kPage1OverlaySource.y + panel::kPageOverlayHeight, panel::kSheetHeight);
}

TEST(PanelView, SelectedSlotAndPageOutsideTheirRanges) {
  EXPECT_EQ(ShownSlot(0), 0);
  EXPECT_EQ(ShownSlot(15), 15);
  EXPECT_EQ(ShownSlot(16), 15);
  EXPECT_EQ(ShownSlot(-1), 0);
  EXPECT_EQ(ShownSlot(INT_MIN), 0);
  EXPECT_EQ(ShownSlot(INT_MAX), 15);
  EXPECT_TRUE(IsPage(0));
  EXPECT_TRUE(IsPage(2));
  EXPECT_FALSE(IsPage(3));
  EXPECT_FALSE(IsPage(-1));
}

TEST(PanelView, OptionBoxLookForAnyFlag) {
  EXPECT_EQ(OptionLookFor(0), panel::kOptionOff);
  EXPECT_EQ(OptionLookFor(1), panel::kOptionOn);
  EXPECT_EQ(OptionLookFor(-4), panel::kOptionOn);
  EXPECT_EQ(OptionLookFor(7), panel::kOptionOn);
}

TEST(PanelView, KeyswitchTextNeverReadsPastTheNoteTable) {
  const NoteNameTable table = BuildNoteNameTable();
  EXPECT_STREQ(KeyswitchText(table, -1), "----");
  EXPECT_STREQ(KeyswitchText(table, INT_MIN), "----");
  EXPECT_STREQ(KeyswitchText(table, 0), "C-2");
  EXPECT_STREQ(KeyswitchText(table, 127), "G8");
  for (int32_t note : {128, 500, INT_MAX}) {
    const char* text = KeyswitchText(table, note);
    EXPECT_GE(text, table.front().data());
    EXPECT_LE(text, table.back().data());
    EXPECT_STREQ(text, "G8");
  }
}

}  // namespace
