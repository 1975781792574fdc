// The map table's edits on many cells at once: fill down, series, clear,
// duplicate, move, and find and replace. Each gives new rows and a status,
// or a reason and the rows as they were.
#include <gtest/gtest.h>

#include "editor/map_table_edits.h"
#include "editor/map_table_replace.h"
#include "editor/map_table_series.h"
#include "tests/support/map_table_rows.h"

namespace {

using C = MapColumn;

std::string Shown(const MapRows& rows, int row, MapColumn column) {
  return ShowCell(rows[row], row, column);
}

// The shown values of one column in rows first..last.
std::vector<std::string> Column(const MapRows& rows, MapColumn column, int first, int last) {
  std::vector<std::string> values;
  for (int row = first; row <= last; ++row) values.push_back(Shown(rows, row, column));
  return values;
}

using Texts = std::vector<std::string>;

TEST(MapTableEdits, TypingIntoACellChangesThatCellOnly) {
  const MapRows rows = StringRows();
  TableEdit edit = EditCell(rows, {2, C::kKeyswitch}, "f#1 v70");
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(edit.message, "Slot 3, Keyswitch: \"F#1 v70\"");
  MapRows expected = rows;
  expected[2].keyswitch = 42;
  expected[2].additions.keyswitchVelocity = 70;
  EXPECT_EQ(edit.rows, expected);
  edit = EditCell(rows, {2, C::kKeyswitch}, "C#12");
  EXPECT_FALSE(edit.ok);
  EXPECT_EQ(edit.message, "\"C#12\" is above G8, the highest note");
  EXPECT_EQ(EditCell(rows, {0, C::kName}, "").message, "Slot 1, Name: (empty)");
}

TEST(MapTableEdits, FillDownCopiesTheFirstSelectedValue) {
  const MapRows rows = StringRows();
  TableSelection cells = TableSelection::Cells(C::kKeyswitch, 1, 4);
  TableEdit edit = FillDown(rows, cells);
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(Column(edit.rows, C::kKeyswitch, 0, 5),
            (Texts{"C0", "C#0 v100", "C#0 v100", "C#0 v100", "C#0 v100", "E0"}));
  EXPECT_EQ(Shown(edit.rows, 2, C::kName), "Staccato");  // other columns stay
  EXPECT_EQ(edit.message, "Filled Keyswitch in slots 3–5 from slot 2");
  EXPECT_EQ(edit.label, "Fill down");

  // Only the selected rows; whole rows copy the whole slot.
  TableSelection rowsSelected = TableSelection::Rows(0, 0);
  rowsSelected.rows.set(7);
  edit = FillDown(rows, rowsSelected);
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(edit.rows[7], rows[0]);
  EXPECT_EQ(edit.rows[5], rows[5]);
  EXPECT_EQ(edit.message, "Filled slot 8 from slot 1");

  edit = FillDown(rows, TableSelection::Cell({3, C::kName}));
  EXPECT_FALSE(edit.ok);
  EXPECT_EQ(edit.message, "Select more than one cell to fill down");
}

TEST(MapTableEdits, SeriesAscendFromTheFirstSelectedValue) {
  MapRows rows = StringRows();
  rows[0].additions.keyswitchVelocity = 90;
  const TableSelection keys = TableSelection::Cells(C::kKeyswitch, 0, 4);
  TableEdit edit = FillSeries(rows, keys);
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(Column(edit.rows, C::kKeyswitch, 0, 5),
            (Texts{"C0 v90", "C#0 v90", "D0 v90", "D#0 v90", "E0 v90", "E0"}));
  EXPECT_EQ(edit.message,
            "Filled Keyswitch in slots 1–5 with a series from \"C0 v90\" to \"E0 v90\"");
  edit = FillSeries(rows, keys, {.step = 1, .whiteKeys = true});
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Column(edit.rows, C::kKeyswitch, 0, 4),
            (Texts{"C0 v90", "D0 v90", "E0 v90", "F0 v90", "G0 v90"}));
  // From a black key the first white step lands on the white key above.
  rows[0].keyswitch = 13;  // C#-1
  edit =
      FillSeries(rows, TableSelection::Cells(C::kKeyswitch, 0, 2), {.step = 2, .whiteKeys = true});
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Column(edit.rows, C::kKeyswitch, 0, 2), (Texts{"C#-1 v90", "E-1 v90", "G-1 v90"}));
  // Semitone steps of any size, downwards too.
  rows[0].keyswitch = 60;
  edit = FillSeries(rows, TableSelection::Cells(C::kKeyswitch, 0, 2), {.step = -12});
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Column(edit.rows, C::kKeyswitch, 0, 2), (Texts{"C3 v90", "C2 v90", "C1 v90"}));

  // Numbers, by one or by a step; only the selected rows count.
  TableSelection uacc = TableSelection::Cells(C::kUacc, 0, 1);
  uacc.rows.set(3);  // slot 3 keeps its 40
  edit = FillSeries(rows, uacc, {.step = 10});
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Column(edit.rows, C::kUacc, 0, 3),
            (Texts{"20 legato", "30 legato tremolo", "40 short", "40 short"}));
  rows[1].additions.latencyMs = 250;
  edit = FillSeries(rows, TableSelection::Cells(C::kLatency, 1, 4), {.step = 250});
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Column(edit.rows, C::kLatency, 1, 4), (Texts{"250", "500", "750", "1000"}));
  edit = FillSeries(rows, TableSelection::Cells(C::kModwheel, 0, 3));
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Column(edit.rows, C::kModwheel, 0, 3), (Texts{"96", "97", "98", "99"}));
}

TEST(MapTableEdits, NamesAreNumberedOrTheirNumberContinued) {
  MapRows rows = StringRows();
  TableEdit edit = FillSeries(rows, TableSelection::Cells(C::kName, 0, 2));
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(Column(edit.rows, C::kName, 0, 2), (Texts{"Legato 1", "Legato 2", "Legato 3"}));
  rows[0].name = "Shot 08";
  edit = FillSeries(rows, TableSelection::Cells(C::kName, 0, 3));
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Column(edit.rows, C::kName, 0, 3), (Texts{"Shot 08", "Shot 09", "Shot 10", "Shot 11"}));
  rows[0].name = "Take2";
  EXPECT_EQ(FillSeries(rows, TableSelection::Cells(C::kName, 0, 1), {.step = -3}).message,
            "The series would number a name below 0 at slot 2");
  edit = FillSeries(rows, TableSelection::Cells(C::kName, 0, 1), {.step = 5});
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Column(edit.rows, C::kName, 0, 1), (Texts{"Take2", "Take7"}));
}

TEST(MapTableEdits, ASeriesPastTheRangeStopsAndChangesNothing) {
  MapRows rows = StringRows();
  rows[0].keyswitch = 125;  // F8
  rows[0].uacc = 120;
  rows[0].additions.latencyMs = 900;
  rows[0].name = std::string(254, 'a') + "9";
  struct Case {
    MapColumn column;
    SeriesOptions options;
    int last;
    const char* reason;
  } cases[] = {
      {C::kKeyswitch, {}, 5, "The series would pass G8, the highest note, at slot 4"},
      {C::kKeyswitch,
       {.step = 1, .whiteKeys = true},
       5,
       "The series would pass G8, the highest note, at slot 3"},
      {C::kKeyswitch, {.step = -126}, 1, "The series would pass C-2, the lowest note, at slot 2"},
      {C::kUacc, {.step = 4}, 3, "The series would pass 127, the highest UACC value, at slot 3"},
      {C::kLatency,
       {.step = 100},
       2,
       "The series would pass 1000 ms, the longest latency, at slot 3"},
      {C::kModwheel,
       {.step = -50},
       2,
       "The series would pass 0, the lowest modwheel value, at slot 3"},
      {C::kName, {}, 1, "The series would make a name longer than 255 characters at slot 2"},
      {C::kIcon,
       {.step = 2147483647},
       1,
       "The series would pass 127, the highest icon a slot can hold, at slot 2"},
  };
  for (const Case& c : cases) {
    const TableEdit edit = FillSeries(rows, TableSelection::Cells(c.column, 0, c.last), c.options);
    EXPECT_FALSE(edit.ok) << c.reason;
    EXPECT_EQ(edit.message, c.reason);
  }
  EXPECT_EQ(FillSeries(rows, TableSelection::Cells(C::kKeyswitch, 3, 4)).message,
            "The series starts from the first selected keyswitch, and slot 4 has none");
  EXPECT_EQ(FillSeries(rows, TableSelection::Cells(C::kModwheel, 1, 4)).message,
            "The series starts from the first selected value, and slot 2 has none");
  EXPECT_EQ(FillSeries(rows, TableSelection::Cells(C::kName, 3, 4)).message,
            "The series numbers the first selected name, and slot 4 has none");
  EXPECT_EQ(FillSeries(rows, TableSelection::Cells(C::kOutputs, 0, 4)).message,
            "Outputs takes no series");
  EXPECT_EQ(FillSeries(rows, TableSelection::Rows(0, 4)).message,
            "Select cells in one column for a series");
}

TEST(MapTableEdits, ClearEmptiesTheSelection) {
  const MapRows rows = StringRows();
  TableEdit edit = ClearSelection(rows, TableSelection::Cells(C::kKeyswitch, 0, 2));
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Column(edit.rows, C::kKeyswitch, 0, 3), (Texts{"----", "----", "----", "----"}));
  EXPECT_EQ(edit.rows[1].additions.actionCount, 1);
  EXPECT_EQ(edit.message, "Cleared Keyswitch in slots 1–3");
  edit = ClearSelection(rows, TableSelection::Cells(C::kIcon, 0, 0));
  EXPECT_EQ(edit.rows[0].icon, kDefaultIcon);
  edit = ClearSelection(rows, TableSelection::Rows(1, 2));
  EXPECT_TRUE(edit.rows[1].IsDefault());
  EXPECT_TRUE(edit.rows[2].IsDefault());
  EXPECT_EQ(edit.rows[0], rows[0]);
  EXPECT_EQ(edit.message, "Cleared slots 2–3");
}

TEST(MapTableEdits, DuplicateGoesToTheNextEmptySlot) {
  MapRows rows = StringRows();  // slots 1-3 and 6 in use
  TableEdit edit = DuplicateRow(rows, 1);
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(edit.rows[3], rows[1]);
  EXPECT_EQ(edit.focusRow, 3);
  EXPECT_EQ(edit.message, "Slot 2 copied to slot 4");
  // Past the last slot it wraps round.
  for (int row = 6; row < kSlotCount; ++row) rows[row].modwheel = 1;
  edit = DuplicateRow(rows, 10);
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(edit.focusRow, 3);
  // A slot holding only an icon or a latency is not empty.
  rows[3].icon = 0;
  rows[4].additions.latencyMs = 5;
  edit = DuplicateRow(rows, 0);
  EXPECT_FALSE(edit.ok);
  EXPECT_EQ(edit.message, "No slot is free to copy slot 1 into: every other slot holds settings");
  EXPECT_EQ(edit.rows, MapRows{});
}

TEST(MapTableEdits, MoveSwapsWithTheNeighbourAndWarnsOfColouredNotes) {
  const MapRows rows = StringRows();
  TableEdit edit = MoveRow(rows, 1, +1);
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(edit.rows[2], rows[1]);
  EXPECT_EQ(edit.rows[1], rows[2]);
  EXPECT_EQ(edit.focusRow, 2);
  EXPECT_EQ(edit.message,
            "Slot 2's settings moved to slot 3 (and slot 3's to slot 2). Notes already coloured "
            "in the host keep their colour, so they now play the other slot");
  EXPECT_EQ(MoveRow(rows, 0, -1).message, "Slot 1 is the first slot");
  EXPECT_EQ(MoveRow(rows, 15, +1).message, "Slot 16 is the last slot");
  EXPECT_EQ(MoveRow(rows, 3, -1).focusRow, 2);
}

TEST(MapTableEdits, FindAndReplaceInNamesAndOutputs) {
  MapRows rows = StringRows();
  rows[3].name = "LEGATO soft";
  ReplaceOptions options{.find = "legato", .replacement = "Slur"};
  TableEdit edit = FindReplace(rows, TableSelection::AllRows(), options);
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(Shown(edit.rows, 0, C::kName), "Slur");
  EXPECT_EQ(Shown(edit.rows, 3, C::kName), "Slur soft");
  EXPECT_EQ(edit.message, "Replaced \"legato\" 2 times in slots 1, 4");
  options.ignoreCase = false;
  edit = FindReplace(rows, TableSelection::AllRows(), options);
  EXPECT_FALSE(edit.ok);
  EXPECT_EQ(edit.message, "\"legato\" is in no name or output");
  // Western letters fold too; replacements may hold them.
  edit =
      FindReplace(rows, TableSelection::AllRows(), {.find = "DÉTACHÉ", .replacement = "Spiccato"});
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(Shown(edit.rows, 1, C::kName), "Spiccato");

  // Outputs: the selection's column decides where; a result must read back.
  edit = FindReplace(rows, TableSelection::Cells(C::kOutputs, 0, 15),
                     {.find = "D0", .replacement = "E1"});
  ASSERT_TRUE(edit.ok);
  EXPECT_EQ(Shown(edit.rows, 1, C::kOutputs), "channels plug-in+2, E1 v90");
  EXPECT_EQ(Shown(edit.rows, 2, C::kName), "Staccato");
  edit = FindReplace(rows, TableSelection::AllRows(), {.find = "v90", .replacement = "v900"});
  EXPECT_FALSE(edit.ok);
  EXPECT_EQ(
      edit.message,
      "slot 2, Outputs: \"D0 v900\" is not an output the outputs line knows; nothing was replaced");
  edit = FindReplace(rows, TableSelection::AllRows(), {.find = "a", .replacement = "漢"});
  EXPECT_FALSE(edit.ok);
  EXPECT_EQ(edit.message, "slot 1, Name: the replacement holds U+6F22, which it cannot hold");
  // A selection limits the search.
  edit = FindReplace(rows, TableSelection::Cells(C::kName, 4, 5),
                     {.find = "legato", .replacement = "x"});
  EXPECT_EQ(edit.message, "\"legato\" is in no selected name");
  EXPECT_EQ(FindReplace(rows, TableSelection::Cells(C::kUacc, 0, 3), options).message,
            "Find and replace works in names and outputs");
  EXPECT_EQ(FindReplace(rows, TableSelection::AllRows(), {}).message, "Nothing to find");
}

TEST(MapTableEdits, SlotListsNameRanges) {
  std::bitset<kSlotCount> rows;
  rows.set(2);
  EXPECT_EQ(SlotListText(rows), "slot 3");
  rows.set(0);
  rows.set(3);
  rows.set(4);
  rows.set(15);
  EXPECT_EQ(SlotListText(rows), "slots 1, 3–5, 16");
}

}  // namespace
