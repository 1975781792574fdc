#include "editor/map_table_selection.h"

#include <algorithm>

namespace {

constexpr int kLastRow = kSlotCount - 1;
constexpr int kFirstColumn = ColumnIndex(kFirstEditableColumn);
constexpr int kLastColumn = ColumnIndex(kLastEditableColumn);

int HeldRow(int row) { return std::clamp(row, 0, kLastRow); }

std::bitset<kSlotCount> RowRange(int first, int last) {
  std::bitset<kSlotCount> rows;
  first = HeldRow(first);
  last = HeldRow(last);
  if (first > last) std::swap(first, last);
  for (int row = first; row <= last; ++row) rows.set(static_cast<size_t>(row));
  return rows;
}

}  // namespace

TableSelection TableSelection::Cell(TableCell cell) {
  return Cells(cell.column, cell.row, cell.row);
}

TableSelection TableSelection::Cells(MapColumn column, int first, int last) {
  TableSelection selection;
  selection.rows = RowRange(first, last);
  selection.column = column;
  return selection;
}

TableSelection TableSelection::Rows(int first, int last) {
  TableSelection selection;
  selection.rows = RowRange(first, last);
  selection.wholeRows = true;
  return selection;
}

int TableSelection::FirstRow() const {
  for (int row = 0; row < kSlotCount; ++row)
    if (rows.test(static_cast<size_t>(row))) return row;
  return -1;
}

bool TableSelection::Contains(int row, MapColumn cellColumn) const {
  if (row < 0 || row > kLastRow || !rows.test(static_cast<size_t>(row))) return false;
  return wholeRows || cellColumn == column;
}

MapTableCursor::MapTableCursor() { Collapse(TableCell{}); }

void MapTableCursor::Collapse(TableCell cell) {
  current_ = cell;
  anchor_ = cell;
  selection_ = TableSelection::Cell(cell);
}

void MapTableCursor::ExtendTo(int row) {
  current_.row = HeldRow(row);
  selection_ = selection_.wholeRows
                   ? TableSelection::Rows(anchor_.row, current_.row)
                   : TableSelection::Cells(anchor_.column, anchor_.row, current_.row);
  current_.column = selection_.wholeRows ? current_.column : anchor_.column;
}

bool MapTableCursor::Key(TableKey key, KeyModifiers modifiers) {
  const TableCell before = current_;
  const TableSelection selectedBefore = selection_;
  TableCell next = current_;
  int column = ColumnIndex(current_.column);
  bool vertical = false;
  switch (key) {
    case TableKey::kUp:
      next.row = modifiers.ctrl ? 0 : next.row - 1;
      vertical = true;
      break;
    case TableKey::kDown:
      next.row = modifiers.ctrl ? kLastRow : next.row + 1;
      vertical = true;
      break;
    case TableKey::kPageUp:
      next.row = 0;
      vertical = true;
      break;
    case TableKey::kPageDown:
      next.row = kLastRow;
      vertical = true;
      break;
    case TableKey::kLeft:
      column = modifiers.ctrl ? kFirstColumn : column - 1;
      break;
    case TableKey::kRight:
      column = modifiers.ctrl ? kLastColumn : column + 1;
      break;
    case TableKey::kHome:
      column = kFirstColumn;
      if (modifiers.ctrl) next.row = 0;
      break;
    case TableKey::kEnd:
      column = kLastColumn;
      if (modifiers.ctrl) next.row = kLastRow;
      break;
    case TableKey::kTab:
      if (modifiers.shift) {
        if (column > kFirstColumn) {
          --column;
        } else if (next.row > 0) {
          --next.row;
          column = kLastColumn;
        }
      } else if (column < kLastColumn) {
        ++column;
      } else if (next.row < kLastRow) {
        ++next.row;
        column = kFirstColumn;
      }
      break;
    case TableKey::kEnter:
      next.row += modifiers.shift ? -1 : 1;
      break;
  }
  next.row = HeldRow(next.row);
  next.column = ColumnAt(std::clamp(column, kFirstColumn, kLastColumn));
  if (vertical && modifiers.shift) {
    ExtendTo(next.row);
  } else {
    Collapse(next);
  }
  return !(current_ == before) || !(selection_ == selectedBefore);
}

void MapTableCursor::Click(int row, MapColumn column, KeyModifiers modifiers) {
  row = HeldRow(row);
  if (column == MapColumn::kSlot) {
    const TableCell cell{row, current_.column};
    if (modifiers.shift) {
      selection_ = TableSelection::Rows(anchor_.row, row);
    } else if (modifiers.ctrl && selection_.wholeRows) {
      // The selection is never empty: the last row stays.
      if (!(selection_.Count() == 1 && selection_.rows.test(static_cast<size_t>(row))))
        selection_.rows.flip(static_cast<size_t>(row));
      anchor_ = cell;
    } else {
      selection_ = TableSelection::Rows(row, row);
      anchor_ = cell;
    }
    current_ = cell;
    return;
  }
  if (!IsEditableColumn(column)) return;
  const TableCell cell{row, column};
  if (modifiers.shift && (selection_.wholeRows || column == anchor_.column)) {
    ExtendTo(row);
    current_.column = column;
  } else if (modifiers.shift) {
    // Another column: the range moves there, from the anchor's row.
    selection_ = TableSelection::Cells(column, anchor_.row, row);
    anchor_.column = column;
    current_ = cell;
  } else if (modifiers.ctrl && !selection_.wholeRows && column == selection_.column) {
    if (!(selection_.Count() == 1 && selection_.rows.test(static_cast<size_t>(row))))
      selection_.rows.flip(static_cast<size_t>(row));
    current_ = cell;
    anchor_ = cell;
  } else if (modifiers.ctrl && selection_.wholeRows) {
    if (!(selection_.Count() == 1 && selection_.rows.test(static_cast<size_t>(row))))
      selection_.rows.flip(static_cast<size_t>(row));
    current_ = cell;
    anchor_ = cell;
  } else {
    Collapse(cell);
  }
}

void MapTableCursor::SelectAll() {
  selection_ = TableSelection::AllRows();
  anchor_ = TableCell{0, current_.column};
}

void MapTableCursor::GoToRow(int row) { Collapse(TableCell{HeldRow(row), current_.column}); }
