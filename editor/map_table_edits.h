// Changes to the map table's rows that the window asks for: typing into a
// cell, fill down, clear, duplicate and move. Each takes the sixteen rows
// and returns either the new rows with a one-line status, or a one-line
// reason and no change. The series and find-and-replace live beside these
// (map_table_series.h, map_table_replace.h) and answer the same way.
//
//   Fill down   copies the first selected value into every other selected
//               cell (whole rows: the first selected slot's settings).
//   Clear       empties the selected cells as an empty cell typed in would
//               (whole rows: the slots become new, unused slots).
//   Duplicate   copies a slot into the next empty slot after it (a slot
//               whose settings are all a new slot's), wrapping round to
//               slot 1.
//   Move        swaps a slot with the one above or below. A note's colour
//               is its slot's number, so notes already coloured in the host
//               keep their colour and now play the other slot; the status
//               says so.
#pragma once

#include <bitset>
#include <string>
#include <string_view>

#include "editor/map_table_columns.h"
#include "editor/map_table_selection.h"

struct TableEdit {
  bool ok = false;      // true: `rows` are the new rows, to record and apply
  MapRows rows{};       // when ok
  std::string message;  // when ok a status, else the reason nothing changed
  std::string label;    // the step's name for the undo history ("Fill down")
  int focusRow = -1;    // the row the cursor moves to (MapTableCursor::GoToRow), or -1
};

// A refusal: ok false, the reason as message.
TableEdit RefusedEdit(std::string reason);

// "slot 3", "slots 2–5", "slots 1, 3–4, 9".
std::string SlotListText(const std::bitset<kSlotCount>& rows);

// Text typed into one cell. The reason, when refused, is the cell's own
// (see map_table_cells.h).
TableEdit EditCell(const MapRows& rows, TableCell cell, std::string_view text);

TableEdit FillDown(const MapRows& rows, const TableSelection& selection);
TableEdit ClearSelection(const MapRows& rows, const TableSelection& selection);
TableEdit DuplicateRow(const MapRows& rows, int row);
// delta: -1 up, +1 down.
TableEdit MoveRow(const MapRows& rows, int row, int delta);
