#include "editor/map_table_edits.h"

#include "editor/map_table_cells.h"

namespace {

bool ValidRow(int row) { return row >= 0 && row < kSlotCount; }

std::string SlotText(int row) { return "slot " + std::to_string(row + 1); }

std::string Capitalised(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  return text;
}

// "Keyswitch in slots 2–5" or "slots 2–5" for whole rows.
std::string WhereText(const TableSelection& selection) {
  const std::string slots = SlotListText(selection.rows);
  return selection.wholeRows ? slots : std::string(ColumnTitle(selection.column)) + " in " + slots;
}

TableEdit Applied(const MapRows& rows, std::string message, std::string label) {
  TableEdit edit;
  edit.ok = true;
  edit.rows = rows;
  edit.message = std::move(message);
  edit.label = std::move(label);
  return edit;
}

}  // namespace

TableEdit RefusedEdit(std::string reason) {
  TableEdit edit;
  edit.message = std::move(reason);
  return edit;
}

std::string SlotListText(const std::bitset<kSlotCount>& rows) {
  std::string text;
  int count = 0;
  for (int row = 0; row < kSlotCount;) {
    if (!rows.test(static_cast<size_t>(row))) {
      ++row;
      continue;
    }
    int last = row;
    while (last + 1 < kSlotCount && rows.test(static_cast<size_t>(last + 1))) ++last;
    if (!text.empty()) text += ", ";
    text += std::to_string(row + 1);
    if (last > row) text += "–" + std::to_string(last + 1);
    count += last - row + 1;
    row = last + 1;
  }
  return (count == 1 ? "slot " : "slots ") + text;
}

TableEdit EditCell(const MapRows& rows, TableCell cell, std::string_view text) {
  if (!ValidRow(cell.row)) return RefusedEdit("there is no slot " + std::to_string(cell.row + 1));
  MapRows edited = rows;
  std::string reason;
  if (!ParseCell(text, cell.column, edited[cell.row], reason)) return RefusedEdit(reason);
  const std::string shown = ShowCell(edited[cell.row], cell.row, cell.column);
  return Applied(edited,
                 Capitalised(SlotText(cell.row)) + ", " + ColumnTitle(cell.column) + ": " +
                     (shown.empty() ? "(empty)" : QuotedText(shown)),
                 std::string("Edit ") + ColumnTitle(cell.column));
}

TableEdit FillDown(const MapRows& rows, const TableSelection& selection) {
  if (selection.Count() < 2) return RefusedEdit("Select more than one cell to fill down");
  const int first = selection.FirstRow();
  const MapColumn column = selection.wholeRows ? MapColumn::kSlot : selection.column;
  MapRows filled = rows;
  for (int row = first + 1; row < kSlotCount; ++row)
    if (selection.rows.test(static_cast<size_t>(row))) CopyCell(column, rows[first], filled[row]);
  std::bitset<kSlotCount> targets = selection.rows;
  targets.reset(static_cast<size_t>(first));
  return Applied(
      filled,
      "Filled " +
          (selection.wholeRows ? std::string() : std::string(ColumnTitle(column)) + " in ") +
          SlotListText(targets) + " from " + SlotText(first),
      "Fill down");
}

TableEdit ClearSelection(const MapRows& rows, const TableSelection& selection) {
  if (selection.Count() == 0) return RefusedEdit("Nothing is selected");
  const MapColumn column = selection.wholeRows ? MapColumn::kSlot : selection.column;
  MapRows cleared = rows;
  for (int row = 0; row < kSlotCount; ++row)
    if (selection.rows.test(static_cast<size_t>(row))) ClearCell(column, cleared[row]);
  return Applied(cleared, "Cleared " + WhereText(selection), "Clear");
}

TableEdit DuplicateRow(const MapRows& rows, int row) {
  if (!ValidRow(row)) return RefusedEdit("there is no slot " + std::to_string(row + 1));
  for (int step = 1; step < kSlotCount; ++step) {
    const int target = (row + step) % kSlotCount;
    if (!rows[target].IsDefault()) continue;
    MapRows copied = rows;
    copied[target] = rows[row];
    TableEdit edit = Applied(copied, Capitalised(SlotText(row)) + " copied to " + SlotText(target),
                             "Duplicate slot");
    edit.focusRow = target;
    return edit;
  }
  return RefusedEdit("No slot is free to copy " + SlotText(row) +
                     " into: every other slot holds settings");
}

TableEdit MoveRow(const MapRows& rows, int row, int delta) {
  if (!ValidRow(row)) return RefusedEdit("there is no slot " + std::to_string(row + 1));
  if (delta != -1 && delta != 1) return RefusedEdit("a slot moves one place at a time");
  const int other = row + delta;
  if (!ValidRow(other))
    return RefusedEdit(Capitalised(SlotText(row)) + " is the " + (delta < 0 ? "first" : "last") +
                       " slot");
  MapRows moved = rows;
  std::swap(moved[row], moved[other]);
  TableEdit edit = Applied(moved,
                           Capitalised(SlotText(row)) + "'s settings moved to " + SlotText(other) +
                               " (and " + SlotText(other) + "'s to " + SlotText(row) +
                               "). Notes already coloured in the host keep their colour, so they "
                               "now play the other slot",
                           delta < 0 ? "Move slot up" : "Move slot down");
  edit.focusRow = other;
  return edit;
}
