// The map table's undo history: whole-table steps, redo, the dropped redo
// branch, the bound, and changes made outside the table.
#include <gtest/gtest.h>

#include "editor/map_table_edits.h"
#include "editor/map_table_history.h"
#include "editor/map_table_series.h"
#include "tests/support/map_table_rows.h"

namespace {

using C = MapColumn;

// Applies an edit as the window does: record the step, take the rows.
void Apply(MapTableHistory& history, MapRows& rows, const TableEdit& edit) {
  ASSERT_TRUE(edit.ok) << edit.message;
  history.Record(rows, edit.rows, edit.label);
  rows = edit.rows;
}

TEST(MapTableHistory, UndoAndRedoWholeSteps) {
  MapTableHistory history;
  const MapRows start = StringRows();
  MapRows rows = start;
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.Undo(rows).message, "Nothing to undo");
  Apply(history, rows, FillSeries(rows, TableSelection::Cells(C::kKeyswitch, 0, 9)));
  const MapRows afterSeries = rows;
  Apply(history, rows, EditCell(rows, {3, C::kName}, "Tenuto"));
  EXPECT_EQ(history.UndoLabel(), "Edit Name");

  MapTableHistory::Outcome undo = history.Undo(rows);
  ASSERT_TRUE(undo.ok) << undo.message;
  EXPECT_EQ(undo.message, "Undone: Edit Name (slot 4)");
  EXPECT_EQ(undo.rows, afterSeries);
  rows = undo.rows;
  undo = history.Undo(rows);  // the series is one step
  ASSERT_TRUE(undo.ok);
  EXPECT_EQ(undo.message, "Undone: Fill series (slots 2, 4–10)");  // slots 1 and 3 kept their notes
  EXPECT_EQ(undo.rows, start);
  rows = undo.rows;
  EXPECT_FALSE(history.CanUndo());

  MapTableHistory::Outcome redo = history.Redo(rows);
  ASSERT_TRUE(redo.ok);
  EXPECT_EQ(redo.rows, afterSeries);
  EXPECT_EQ(redo.message, "Redone: Fill series (slots 2, 4–10)");
  rows = redo.rows;
  EXPECT_TRUE(history.CanRedo());
  // A new change drops what could be redone.
  Apply(history, rows, EditCell(rows, {0, C::kModwheel}, "1"));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.UndoCount(), 2u);
  // A step that changes nothing is no step.
  history.Record(rows, rows, "Fill down");
  EXPECT_EQ(history.UndoCount(), 2u);
}

TEST(MapTableHistory, KeepsTheLatestStepsUpToItsBound) {
  MapTableHistory history;
  MapRows rows{};
  for (size_t i = 0; i < MapTableHistory::kMaxSteps + 10; ++i) {
    MapRows next = rows;
    next[i % kSlotCount].modwheel = static_cast<int32_t>(i % 128);
    if (next == rows) next[i % kSlotCount].modwheel = kUnset;
    history.Record(rows, next, "Edit Modwheel");
    rows = next;
  }
  EXPECT_EQ(history.UndoCount(), MapTableHistory::kMaxSteps);
  size_t undone = 0;
  while (history.CanUndo()) {
    const MapTableHistory::Outcome undo = history.Undo(rows);
    ASSERT_TRUE(undo.ok) << undo.message;
    rows = undo.rows;
    ++undone;
  }
  EXPECT_EQ(undone, MapTableHistory::kMaxSteps);
  EXPECT_EQ(history.RedoCount(), MapTableHistory::kMaxSteps);
}

TEST(MapTableHistory, ChangesElsewhereAreKeptOrStopTheUndo) {
  MapTableHistory history;
  MapRows rows = StringRows();
  const MapRows start = rows;
  Apply(history, rows, EditCell(rows, {0, C::kUacc}, "21"));
  // The panel changes another slot: undo takes back the table's step only.
  rows[5].modwheel = 10;
  MapTableHistory::Outcome undo = history.Undo(rows);
  ASSERT_TRUE(undo.ok) << undo.message;
  EXPECT_EQ(undo.rows[0], start[0]);
  EXPECT_EQ(undo.rows[5].modwheel, 10);
  rows = undo.rows;
  // A load changes the slot the step touched: nothing changes, the history goes.
  rows[0].name = "Loaded";
  const MapTableHistory::Outcome redo = history.Redo(rows);
  EXPECT_FALSE(redo.ok);
  EXPECT_EQ(redo.message,
            "Cannot redo Edit UACC: slot 1 changed outside the table (in the panel or by a "
            "load); the table's undo history is cleared");
  EXPECT_FALSE(history.CanRedo());
  EXPECT_FALSE(history.CanUndo());

  Apply(history, rows, MoveRow(rows, 0, +1));
  rows[1].keyswitch = 70;  // the moved slot, edited on the panel
  undo = history.Undo(rows);
  EXPECT_FALSE(undo.ok);
  EXPECT_NE(undo.message.find("Cannot undo Move slot down: slot 2 changed outside the table"),
            std::string::npos)
      << undo.message;
}

}  // namespace
