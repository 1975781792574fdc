#include "editor/map_table_replace.h"

#include "editor/map_table_cells.h"
#include "maps/text_encoding.h"

namespace {

// Windows-1252 lower case: ASCII, the Latin-1 capitals (not ×) and
// Š Œ Ž Ÿ at 0x8A, 0x8C, 0x8E, 0x9F.
unsigned char Folded(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
  if (c == 0x9F) return 0xFF;
  return c;
}

bool Matches(const std::string& text, size_t at, const std::string& find, bool ignoreCase) {
  if (at + find.size() > text.size()) return false;
  for (size_t i = 0; i < find.size(); ++i) {
    const auto a = static_cast<unsigned char>(text[at + i]);
    const auto b = static_cast<unsigned char>(find[i]);
    if (ignoreCase ? Folded(a) != Folded(b) : a != b) return false;
  }
  return true;
}

// Every occurrence replaced, left to right, never inside a replacement.
int ReplaceAll(std::string& text, const std::string& find, const std::string& replacement,
               bool ignoreCase) {
  std::string out;
  int count = 0;
  for (size_t i = 0; i < text.size();) {
    if (Matches(text, i, find, ignoreCase)) {
      out += replacement;
      i += find.size();
      ++count;
    } else {
      out += text[i++];
    }
  }
  if (count > 0) text = std::move(out);
  return count;
}

}  // namespace

TableEdit FindReplace(const MapRows& rows, const TableSelection& scope,
                      const ReplaceOptions& options) {
  const bool names = scope.wholeRows || scope.column == MapColumn::kName;
  const bool outputs = scope.wholeRows || scope.column == MapColumn::kOutputs;
  if (!names && !outputs) return RefusedEdit("Find and replace works in names and outputs");
  if (options.find.empty()) return RefusedEdit("Nothing to find");
  // Names are Windows-1252 bytes, outputs ASCII: both are searched as bytes.
  std::string find, replacement, bad;
  if (!Utf8ToWindows1252(options.find, find, bad))
    return RefusedEdit(QuotedText(options.find) + " is not found: no name or output holds " + bad);
  const bool replacementFits = Utf8ToWindows1252(options.replacement, replacement, bad);

  MapRows replaced = rows;
  std::bitset<kSlotCount> changed;
  int count = 0;
  for (int row = 0; row < kSlotCount; ++row) {
    if (!scope.rows.test(static_cast<size_t>(row))) continue;
    for (MapColumn column : {MapColumn::kName, MapColumn::kOutputs}) {
      if (column == MapColumn::kName ? !names : !outputs) continue;
      std::string text =
          column == MapColumn::kName ? rows[row].name : ShowCell(rows[row], row, column);
      const int found = ReplaceAll(text, find, replacement, options.ignoreCase);
      if (found == 0) continue;
      const std::string where =
          "slot " + std::to_string(row + 1) + ", " + ColumnTitle(column) + ": ";
      if (!replacementFits)
        return RefusedEdit(where + "the replacement holds " + bad + ", which it cannot hold");
      std::string reason;
      if (!ParseCell(Windows1252ToUtf8(text), column, replaced[row], reason))
        return RefusedEdit(where + reason + "; nothing was replaced");
      count += found;
      changed.set(static_cast<size_t>(row));
    }
  }
  if (count == 0) {
    const char* in = names && outputs ? "name or output" : names ? "name" : "output";
    return RefusedEdit(QuotedText(options.find) + " is in no " +
                       (scope.Count() == kSlotCount ? "" : "selected ") + in);
  }
  TableEdit edit;
  edit.ok = true;
  edit.rows = replaced;
  edit.message = "Replaced " + QuotedText(options.find) + " " + std::to_string(count) +
                 (count == 1 ? " time in " : " times in ") + SlotListText(changed);
  edit.label = "Replace";
  return edit;
}
