// The map table's rows and columns: one row per articulation slot, in slot
// order, and these columns, left to right:
//
//   Slot      the slot's number 1-16, in its colour (the hue of its button on
//             the panel, which is the note colour that selects it); not
//             editable
//   Name      the slot's name
//   Icon      the icon's name (the window draws the picture beside it)
//   Keyswitch the note, "C0", with " v64" when its velocity is not 127
//   UACC      the value and its standard name, "42 very short"
//   Modwheel  the value
//   Outputs   the slot's outputs line as the panel writes it, without its
//             key velocity and latency items: those have columns of their
//             own (typed here, they still set them)
//   Latency   in milliseconds
//
// Plain code without the window system: the window draws and edits what
// these functions say.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "maps/plugin_settings.h"
#include "tools/skin/slot_hues.h"

// The table's sixteen rows: row i is slot i + 1.
using MapRows = std::array<SlotSettings, kSlotCount>;

enum class MapColumn : int8_t {
  kSlot,
  kName,
  kIcon,
  kKeyswitch,
  kUacc,
  kModwheel,
  kOutputs,
  kLatency,
};
constexpr int kMapColumnCount = 8;
constexpr MapColumn kFirstEditableColumn = MapColumn::kName;
constexpr MapColumn kLastEditableColumn = MapColumn::kLatency;

constexpr int ColumnIndex(MapColumn column) { return static_cast<int>(column); }
constexpr MapColumn ColumnAt(int index) { return static_cast<MapColumn>(index); }
constexpr bool IsEditableColumn(MapColumn column) { return column != MapColumn::kSlot; }

// The column's heading, as the window and a copy's header row show it:
// "Slot", "Name", "Icon", "Keyswitch", "UACC", "Modwheel", "Outputs",
// "Latency (ms)".
const char* ColumnTitle(MapColumn column);

// The column a pasted heading names: its title or a short form ("Latency",
// "#" for Slot), without regard to ASCII case or surrounding blanks.
std::optional<MapColumn> ColumnForTitle(std::string_view title);

// The colour of row `row` (0..15): the slot's hue on the panel.
constexpr SlotHue RowHue(int row) { return kSlotHues[static_cast<size_t>(row) & 15]; }
