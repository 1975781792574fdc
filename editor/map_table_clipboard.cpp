#include "editor/map_table_clipboard.h"

#include <optional>
#include <vector>

#include "editor/delimited_text.h"
#include "editor/map_table_cells.h"

namespace {

bool IsBlankLine(const DelimitedRecord& record) {
  return record.size() == 1 && record[0].find_first_not_of(" \t") == std::string::npos;
}

// The columns a header line names, or nothing when it is no header.
std::optional<std::vector<MapColumn>> HeaderColumns(const DelimitedRecord& record) {
  std::vector<MapColumn> columns;
  for (const std::string& field : record) {
    const std::optional<MapColumn> column = ColumnForTitle(field);
    if (!column) return std::nullopt;
    for (MapColumn seen : columns)
      if (seen == *column) return std::nullopt;
    columns.push_back(*column);
  }
  return columns;
}

bool IsEmptyField(const std::string& field) {
  return field.find_first_not_of(" \t") == std::string::npos;
}

}  // namespace

std::string CopyTableText(const MapRows& rows, const TableSelection& selection) {
  std::vector<MapColumn> columns;
  if (selection.wholeRows) {
    for (int c = 0; c < kMapColumnCount; ++c) columns.push_back(ColumnAt(c));
  } else {
    columns.push_back(selection.column);
  }
  std::vector<DelimitedRecord> records(1);
  for (MapColumn column : columns) records[0].push_back(ColumnTitle(column));
  for (int row = 0; row < kSlotCount; ++row) {
    if (!selection.rows.test(static_cast<size_t>(row))) continue;
    DelimitedRecord& record = records.emplace_back();
    for (MapColumn column : columns) record.push_back(ShowCell(rows[row], row, column));
  }
  return WriteDelimited(records, '\t');
}

TableEdit PasteTableText(const MapRows& rows, const TableSelection& selection,
                         std::string_view text) {
  std::vector<DelimitedRecord> lines = ReadDelimited(text, GuessDelimiter(text));
  while (!lines.empty() && IsBlankLine(lines.back())) lines.pop_back();
  if (lines.empty()) return RefusedEdit("The clipboard holds no text to paste");
  const int firstRow = selection.FirstRow();
  if (firstRow < 0) return RefusedEdit("Select where to paste");

  // Which column each field goes to.
  std::vector<MapColumn> columns;
  size_t dataStart = 0;
  if (std::optional<std::vector<MapColumn>> header = HeaderColumns(lines[0])) {
    columns = *header;
    dataStart = 1;
    if (lines.size() == 1) return RefusedEdit("The clipboard holds only a header line");
  } else {
    size_t widest = 0;
    for (const DelimitedRecord& line : lines) widest = std::max(widest, line.size());
    int start = ColumnIndex(selection.column);
    if (selection.wholeRows)
      start = widest >= static_cast<size_t>(kMapColumnCount) ? ColumnIndex(MapColumn::kSlot)
                                                             : ColumnIndex(kFirstEditableColumn);
    for (size_t f = 0; f < widest; ++f) {
      const int index = start + static_cast<int>(f);
      if (index >= kMapColumnCount) break;
      columns.push_back(ColumnAt(index));
    }
    // Fields past the last column must be empty (a trailing delimiter).
    for (size_t l = 0; l < lines.size(); ++l)
      for (size_t f = columns.size(); f < lines[l].size(); ++f)
        if (!IsEmptyField(lines[l][f]))
          return RefusedEdit("row " + std::to_string(l + 1) + " of the paste has a value past " +
                             ColumnTitle(kLastEditableColumn) + ", the last column");
  }

  // Which row each line goes to: one line fills every selected row.
  const size_t count = lines.size() - dataStart;
  std::vector<std::pair<int, const DelimitedRecord*>> targets;
  if (count == 1 && selection.Count() > 1) {
    for (int row = 0; row < kSlotCount; ++row)
      if (selection.rows.test(static_cast<size_t>(row)))
        targets.push_back({row, &lines[dataStart]});
  } else {
    for (size_t l = 0; l < count; ++l) {
      const int row = firstRow + static_cast<int>(l);
      if (row >= kSlotCount)
        return RefusedEdit("row " + std::to_string(row + 1) + " is past slot 16: the paste has " +
                           std::to_string(count) + " rows from slot " +
                           std::to_string(firstRow + 1));
      targets.push_back({row, &lines[dataStart + l]});
    }
  }

  MapRows pasted = rows;
  std::bitset<kSlotCount> changedRows;
  std::vector<bool> usedColumns(kMapColumnCount, false);
  for (const auto& [row, line] : targets) {
    for (size_t f = 0; f < line->size() && f < columns.size(); ++f) {
      const MapColumn column = columns[f];
      if (!IsEditableColumn(column)) continue;
      std::string reason;
      if (!ParseCell((*line)[f], column, pasted[row], reason))
        return RefusedEdit("slot " + std::to_string(row + 1) + ", " + ColumnTitle(column) + ": " +
                           reason);
      usedColumns[ColumnIndex(column)] = true;
    }
    changedRows.set(static_cast<size_t>(row));
  }
  std::string columnList;
  for (int c = 0; c < kMapColumnCount; ++c)
    if (usedColumns[c])
      columnList += (columnList.empty() ? "" : ", ") + std::string(ColumnTitle(ColumnAt(c)));
  if (columnList.empty()) return RefusedEdit("The paste holds no column the table can edit");
  TableEdit edit;
  edit.ok = true;
  edit.rows = pasted;
  edit.message = "Pasted into " + SlotListText(changedRows) + ": " + columnList;
  edit.label = "Paste";
  return edit;
}
