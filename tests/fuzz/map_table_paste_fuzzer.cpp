// Feeds arbitrary text to the map table as a paste, a typed cell and a find
// and replace: each either changes nothing and says why in one line, or
// leaves rows a map can hold, every cell of which reads back what it shows.
// The first byte chooses the selection: its low four bits the row, the next
// three the column (0: whole rows), the top bit a second selected row.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/map_table_cells.h"
#include "editor/map_table_clipboard.h"
#include "editor/map_table_replace.h"

namespace {

[[noreturn]] void Broken(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "map table property broken: %s: %s\n", what.c_str(), detail.c_str());
  std::abort();
}

MapRows Start() {
  MapRows rows{};
  std::string reason;
  ParseCell("Legato", MapColumn::kName, rows[0], reason);
  ParseCell("C0 v90", MapColumn::kKeyswitch, rows[0], reason);
  ParseCell("channels plug-in+3, D0 v64 held ch 2, CC 1 = 3", MapColumn::kOutputs, rows[2], reason);
  ParseCell("250", MapColumn::kLatency, rows[2], reason);
  return rows;
}

void CheckRows(const MapRows& rows, const char* after) {
  for (int r = 0; r < kSlotCount; ++r) {
    const SlotSettings& row = rows[r];
    if (row.name.size() > kMaxNameCharacters || row.name.find('\0') != std::string::npos)
      Broken(after, "a name a slot cannot hold");
    if (row.icon < 0 || row.icon >= kIconChoiceCount) Broken(after, "icon out of range");
    for (int32_t value : {row.keyswitch, row.uacc, row.modwheel})
      if (value < kUnset || value > 127) Broken(after, "value out of range");
    if (!IsValidAdditions(row.additions)) Broken(after, "additions out of range");
    for (int c = 1; c < kMapColumnCount; ++c) {
      const MapColumn column = ColumnAt(c);
      SlotSettings back = row;
      ClearCell(column, back);
      std::string reason;
      const std::string shown = ShowCell(row, r, column);
      if (!ParseCell(shown, column, back, reason) || !(back == row))
        Broken(after, std::string(ColumnTitle(column)) + " does not read back \"" + shown + "\"");
    }
  }
}

void Check(const MapRows& before, const TableEdit& edit, const char* what) {
  if (edit.message.empty()) Broken(what, "no message");
  if (edit.message.find_first_of("\r\n") != std::string::npos)
    Broken(what, "a message of several lines: " + edit.message);
  if (edit.ok) CheckRows(edit.rows, what);
  (void)before;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int row = data[0] & 15;
  const int column = (data[0] >> 4) & 7;
  TableSelection selection = column == 0 ? TableSelection::Rows(row, row)
                                         : TableSelection::Cell({row, ColumnAt(column)});
  if (data[0] & 0x80) selection.rows.set(static_cast<size_t>((row + 5) % kSlotCount));
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const MapRows rows = Start();

  Check(rows, PasteTableText(rows, selection, text), "paste");
  for (int c = 1; c < kMapColumnCount; ++c)
    Check(rows, EditCell(rows, {row, ColumnAt(c)}, text), ColumnTitle(ColumnAt(c)));
  const size_t half = text.size() / 2;
  Check(rows,
        FindReplace(rows, selection, {.find = text.substr(0, half), .replacement = text.substr(half)}),
        "replace");
  return 0;
}
