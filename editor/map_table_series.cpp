#include "editor/map_table_series.h"

#include <cstdint>
#include <cstdlib>

#include "editor/map_table_cells.h"
#include "editor/map_table_notes.h"

namespace {

bool IsWhiteKey(int note) {
  const int step = ((note % 12) + 12) % 12;
  return step != 1 && step != 3 && step != 6 && step != 8 && step != 10;
}

// The note `steps` white keys from `start` (negative steps go down); from a
// black key the first step up lands on the white key above, down on the one
// below. Values outside 0..127 are returned as they are, for the reason.
int64_t WhiteKeysFrom(int64_t start, int64_t steps) {
  int64_t note = start;
  const int direction = steps < 0 ? -1 : 1;
  for (int64_t k = 0; k != steps; k += direction) {
    do {
      note += direction;
    } while (!IsWhiteKey(static_cast<int>(note % 12)));
    if (note < -24 || note > 151) break;  // already out of range
  }
  return note;
}

struct Range {
  int64_t low, high;
  const char* highest;  // "127, the highest UACC value"
  const char* lowest;
};

bool NumberRange(MapColumn column, Range& range) {
  switch (column) {
    case MapColumn::kIcon:
      range = {0, kIconChoiceCount - 1, "127, the highest icon a slot can hold",
               "0, the lowest icon"};
      return true;
    case MapColumn::kUacc:
      range = {0, 127, "127, the highest UACC value", "0, the lowest UACC value"};
      return true;
    case MapColumn::kModwheel:
      range = {0, 127, "127, the highest modwheel value", "0, the lowest modwheel value"};
      return true;
    case MapColumn::kLatency:
      range = {0, kMaxLatencyMs, "1000 ms, the longest latency", "0 ms, the shortest latency"};
      return true;
    default:
      return false;
  }
}

int64_t NumberOf(MapColumn column, const SlotSettings& row) {
  switch (column) {
    case MapColumn::kIcon:
      return row.icon;
    case MapColumn::kUacc:
      return row.uacc;
    case MapColumn::kModwheel:
      return row.modwheel;
    default:
      return row.additions.latencyMs;
  }
}

void SetNumber(MapColumn column, SlotSettings& row, int64_t value) {
  switch (column) {
    case MapColumn::kIcon:
      row.icon = static_cast<int32_t>(value);
      break;
    case MapColumn::kUacc:
      row.uacc = static_cast<int32_t>(value);
      break;
    case MapColumn::kModwheel:
      row.modwheel = static_cast<int32_t>(value);
      break;
    default:
      row.additions.latencyMs = static_cast<uint16_t>(value);
      break;
  }
}

// A name's stem and trailing number: "Take 09" is "Take ", 9, width 2; a
// name without one is numbered from 1 after a space.
struct NumberedName {
  std::string stem;
  int64_t number = 1;
  size_t width = 1;
};

NumberedName SplitName(const std::string& name) {
  size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  NumberedName split;
  if (digits == name.size() || name.size() - digits > 9) {
    split.stem = name + " ";
    return split;
  }
  split.stem = name.substr(0, digits);
  split.number = std::strtoll(name.c_str() + digits, nullptr, 10);
  split.width = name.size() - digits;
  return split;
}

std::string NumberText(int64_t number, size_t width) {
  std::string text = std::to_string(number);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

std::string SlotText(int row) { return "slot " + std::to_string(row + 1); }

}  // namespace

TableEdit FillSeries(const MapRows& rows, const TableSelection& selection,
                     const SeriesOptions& options) {
  if (selection.wholeRows) return RefusedEdit("Select cells in one column for a series");
  if (selection.Count() < 2) return RefusedEdit("Select more than one cell for a series");
  const MapColumn column = selection.column;
  const int first = selection.FirstRow();
  const SlotSettings& start = rows[first];
  const int64_t step = options.step;  // 64 bits: 15 steps of any int fit
  MapRows filled = rows;
  Range range{};
  const std::string firstText = QuotedText(ShowCell(start, first, column));
  if (column == MapColumn::kKeyswitch) {
    if (start.keyswitch == kUnset)
      return RefusedEdit("The series starts from the first selected keyswitch, and " +
                         SlotText(first) + " has none");
  } else if (column == MapColumn::kName) {
    if (start.name.empty())
      return RefusedEdit("The series numbers the first selected name, and " + SlotText(first) +
                         " has none");
  } else if (!NumberRange(column, range)) {
    return RefusedEdit(std::string(ColumnTitle(column)) + " takes no series");
  } else if (NumberOf(column, start) < 0) {
    return RefusedEdit("The series starts from the first selected value, and " + SlotText(first) +
                       " has none");
  }

  const NumberedName name = SplitName(start.name);
  int64_t k = 0;
  for (int row = first; row < kSlotCount; ++row) {
    if (!selection.rows.test(static_cast<size_t>(row))) continue;
    SlotSettings& target = filled[row];
    const std::string where = "The series would pass ";
    if (column == MapColumn::kKeyswitch) {
      const int64_t note =
          options.whiteKeys ? WhiteKeysFrom(start.keyswitch, k * step) : start.keyswitch + k * step;
      if (note > 127)
        return RefusedEdit(where + NoteText(127) + ", the highest note, at " + SlotText(row));
      if (note < 0)
        return RefusedEdit(where + NoteText(0) + ", the lowest note, at " + SlotText(row));
      target.keyswitch = static_cast<int32_t>(note);
      target.additions.keyswitchVelocity = start.additions.keyswitchVelocity;
    } else if (column == MapColumn::kName) {
      const int64_t number = name.number + k * step;
      if (number < 0)
        return RefusedEdit("The series would number a name below 0 at " + SlotText(row));
      target.name = name.stem + NumberText(number, name.width);
      if (target.name.size() > kMaxNameCharacters)
        return RefusedEdit("The series would make a name longer than 255 characters at " +
                           SlotText(row));
    } else {
      const int64_t value = NumberOf(column, start) + k * step;
      if (value > range.high) return RefusedEdit(where + range.highest + ", at " + SlotText(row));
      if (value < range.low) return RefusedEdit(where + range.lowest + ", at " + SlotText(row));
      SetNumber(column, target, value);
    }
    ++k;
  }
  int last = first;
  for (int row = first; row < kSlotCount; ++row)
    if (selection.rows.test(static_cast<size_t>(row))) last = row;
  TableEdit edit;
  edit.ok = true;
  edit.rows = filled;
  edit.message = std::string("Filled ") + ColumnTitle(column) + " in " +
                 SlotListText(selection.rows) + " with a series from " + firstText + " to " +
                 QuotedText(ShowCell(filled[last], last, column));
  edit.label = "Fill series";
  return edit;
}
