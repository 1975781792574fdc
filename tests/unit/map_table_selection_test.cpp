// The map table's cursor: where keys and clicks move the current cell and
// what they select, so the window only forwards them.
#include <gtest/gtest.h>

#include "editor/map_table_selection.h"

namespace {

using C = MapColumn;
constexpr KeyModifiers kPlain{}, kShift{.shift = true}, kCtrl{.ctrl = true};

TEST(MapTableCursor, OpensOnSlotOnesNameSelected) {
  const MapTableCursor cursor;
  EXPECT_EQ(cursor.Current(), (TableCell{0, C::kName}));
  EXPECT_EQ(cursor.Selection(), TableSelection::Cell({0, C::kName}));
}

TEST(MapTableCursor, KeysMoveTheCurrentCellWithinTheEditableCells) {
  struct Step {
    TableKey key;
    KeyModifiers modifiers;
    TableCell expected;
  } steps[] = {
      {TableKey::kLeft, kPlain, {0, C::kName}},  // the slot number is never current
      {TableKey::kUp, kPlain, {0, C::kName}},
      {TableKey::kDown, kPlain, {1, C::kName}},
      {TableKey::kRight, kPlain, {1, C::kIcon}},
      {TableKey::kEnd, kPlain, {1, C::kLatency}},
      {TableKey::kRight, kPlain, {1, C::kLatency}},
      {TableKey::kTab, kPlain, {2, C::kName}},  // wraps to the next row's name
      {TableKey::kTab, kShift, {1, C::kLatency}},
      {TableKey::kHome, kPlain, {1, C::kName}},
      {TableKey::kEnter, kPlain, {2, C::kName}},
      {TableKey::kEnter, kShift, {1, C::kName}},
      {TableKey::kDown, kCtrl, {15, C::kName}},
      {TableKey::kDown, kPlain, {15, C::kName}},
      {TableKey::kEnter, kPlain, {15, C::kName}},
      {TableKey::kEnd, kPlain, {15, C::kLatency}},
      {TableKey::kTab, kPlain, {15, C::kLatency}},  // stops at the table's end
      {TableKey::kPageUp, kPlain, {0, C::kLatency}},
      {TableKey::kLeft, kCtrl, {0, C::kName}},
      {TableKey::kTab, kShift, {0, C::kName}},  // and at its start
      {TableKey::kEnd, kCtrl, {15, C::kLatency}},
      {TableKey::kHome, kCtrl, {0, C::kName}},
      {TableKey::kPageDown, kPlain, {15, C::kName}},
  };
  MapTableCursor cursor;
  for (const Step& step : steps) {
    cursor.Key(step.key, step.modifiers);
    EXPECT_EQ(cursor.Current(), step.expected) << "key " << static_cast<int>(step.key);
    EXPECT_EQ(cursor.Selection(), TableSelection::Cell(step.expected));
  }
  EXPECT_FALSE(cursor.Key(TableKey::kDown, kPlain));  // nothing moved
}

TEST(MapTableCursor, ShiftExtendsARangeInOneColumn) {
  MapTableCursor cursor;
  cursor.Click(3, C::kKeyswitch, kPlain);
  cursor.Key(TableKey::kDown, kShift);
  cursor.Key(TableKey::kDown, kShift);
  EXPECT_EQ(cursor.Selection(), TableSelection::Cells(C::kKeyswitch, 3, 5));
  EXPECT_EQ(cursor.Current(), (TableCell{5, C::kKeyswitch}));
  cursor.Key(TableKey::kPageUp, kShift);  // from the anchor upwards
  EXPECT_EQ(cursor.Selection(), TableSelection::Cells(C::kKeyswitch, 0, 3));
  cursor.Click(9, C::kKeyswitch, kShift);
  EXPECT_EQ(cursor.Selection(), TableSelection::Cells(C::kKeyswitch, 3, 9));
  // In another column the range moves there.
  cursor.Click(6, C::kUacc, kShift);
  EXPECT_EQ(cursor.Selection(), TableSelection::Cells(C::kUacc, 3, 6));
  // A selection spans one column: Shift+Right moves and starts afresh.
  cursor.Key(TableKey::kRight, kShift);
  EXPECT_EQ(cursor.Selection(), TableSelection::Cell({6, C::kModwheel}));
}

TEST(MapTableCursor, CtrlClickTogglesCellsOfOneColumnAndKeepsOneSelected) {
  MapTableCursor cursor;
  cursor.Click(2, C::kName, kPlain);
  cursor.Click(5, C::kName, kCtrl);
  cursor.Click(7, C::kName, kCtrl);
  TableSelection expected = TableSelection::Cell({2, C::kName});
  expected.rows.set(5);
  expected.rows.set(7);
  EXPECT_EQ(cursor.Selection(), expected);
  cursor.Click(5, C::kName, kCtrl);
  expected.rows.reset(5);
  EXPECT_EQ(cursor.Selection(), expected);
  cursor.Click(2, C::kName, kCtrl);
  cursor.Click(7, C::kName, kCtrl);  // the last one stays
  EXPECT_EQ(cursor.Selection(), TableSelection::Cell({7, C::kName}));
  cursor.Click(4, C::kIcon, kCtrl);  // another column starts afresh
  EXPECT_EQ(cursor.Selection(), TableSelection::Cell({4, C::kIcon}));
}

TEST(MapTableCursor, SlotNumbersSelectWholeRows) {
  MapTableCursor cursor;
  cursor.Click(4, C::kIcon, kPlain);
  cursor.Click(2, C::kSlot, kPlain);
  EXPECT_EQ(cursor.Selection(), TableSelection::Rows(2, 2));
  EXPECT_EQ(cursor.Current(), (TableCell{2, C::kIcon}));
  cursor.Click(5, C::kSlot, kShift);
  EXPECT_EQ(cursor.Selection(), TableSelection::Rows(2, 5));
  cursor.Key(TableKey::kDown, kShift);  // Shift+arrows extend rows too
  EXPECT_EQ(cursor.Selection(), TableSelection::Rows(2, 6));
  cursor.Click(4, C::kSlot, kCtrl);
  TableSelection expected = TableSelection::Rows(2, 6);
  expected.rows.reset(4);
  EXPECT_EQ(cursor.Selection(), expected);
  EXPECT_TRUE(cursor.Selection().Contains(3, C::kLatency));
  EXPECT_FALSE(cursor.Selection().Contains(4, C::kName));
  cursor.SelectAll();
  EXPECT_EQ(cursor.Selection(), TableSelection::AllRows());
  cursor.Key(TableKey::kUp, kPlain);
  EXPECT_EQ(cursor.Selection(), TableSelection::Cell(cursor.Current()));
  cursor.GoToRow(40);
  EXPECT_EQ(cursor.Current(), (TableCell{15, C::kIcon}));
}

}  // namespace
