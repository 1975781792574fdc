// The map table's current cell and selection, and what keys and clicks do
// to them: the window forwards keys and clicks and draws what this says.
//
// There is always one current cell, never in the Slot column (which is not
// editable). The selection is either cells of one column (a set of rows in
// that column) or whole rows, and never empty. The table opens with slot
// 1's name current and selected.
//
// Keys (any plain move makes the current cell the whole selection):
//   Up, Down            one row; Ctrl: to slot 1 or 16; Shift: extends the
//                       selection (cells of the anchor's column, or whole
//                       rows when rows are selected) from the anchor
//   PageUp, PageDown    to slot 1 or 16; Shift extends as above
//   Left, Right         one column, Name..Latency; Ctrl: to the first or
//                       last. A selection spans one column, so Shift moves
//                       as without it
//   Home, End           the row's first and last editable cell (Name,
//                       Latency); Ctrl+Home slot 1's name, Ctrl+End slot
//                       16's latency
//   Tab, Shift+Tab      right or left, wrapping to the next row's name or
//                       the previous row's latency; they stop at slot 1's
//                       name and slot 16's latency
//   Enter, Shift+Enter  down or up one row (what the window sends after a
//                       commit)
// Clicks:
//   a cell              makes it current and the selection; Shift: the
//                       cells of its column from the anchor's row to it;
//                       Ctrl: adds or removes it when the selection is cells
//                       of its column (else starts a new one there)
//   a slot number       selects its row (whole rows); Shift: the rows from
//                       the anchor's row to it; Ctrl: adds or removes it.
//                       The current cell moves to that row, in its column
//   Ctrl+A (SelectAll)  every row
#pragma once

#include <bitset>
#include <cstdint>

#include "editor/map_table_columns.h"

struct TableCell {
  int row = 0;  // 0..15
  MapColumn column = kFirstEditableColumn;

  bool operator==(const TableCell&) const = default;
};

// A set of rows, either whole or in one column.
struct TableSelection {
  std::bitset<kSlotCount> rows;
  bool wholeRows = false;
  MapColumn column = kFirstEditableColumn;  // when !wholeRows

  static TableSelection Cell(TableCell cell);
  // The cells of `column` in rows first..last (either order).
  static TableSelection Cells(MapColumn column, int first, int last);
  // Whole rows first..last (either order).
  static TableSelection Rows(int first, int last);
  static TableSelection AllRows() { return Rows(0, kSlotCount - 1); }

  int FirstRow() const;  // -1 when empty
  int Count() const { return static_cast<int>(rows.count()); }
  bool Contains(int row, MapColumn column) const;

  bool operator==(const TableSelection&) const = default;
};

enum class TableKey : uint8_t {
  kUp,
  kDown,
  kLeft,
  kRight,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kTab,
  kEnter,
};

struct KeyModifiers {
  bool shift = false;
  bool ctrl = false;
};

// [editor thread] One table's cursor.
class MapTableCursor {
 public:
  MapTableCursor();

  const TableCell& Current() const { return current_; }
  const TableSelection& Selection() const { return selection_; }

  // True when the current cell or the selection changed.
  bool Key(TableKey key, KeyModifiers modifiers);
  // A click on a cell; column kSlot is a click on the slot number.
  void Click(int row, MapColumn column, KeyModifiers modifiers);
  void SelectAll();
  // Moves the current cell to another row (after a move or a duplicate),
  // keeping its column; the cell becomes the selection. Rows outside 0..15
  // are held within them.
  void GoToRow(int row);

 private:
  void Collapse(TableCell cell);
  void ExtendTo(int row);

  TableCell current_;
  TableCell anchor_;
  TableSelection selection_;
};
