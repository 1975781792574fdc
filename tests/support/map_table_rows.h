// Sample rows for the map table's tests: slots as a composer fills them,
// built through the cells' own parsing so a typing slip shows at once.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "editor/map_table_cells.h"

// A row from (column, text) pairs, each of which must parse.
inline SlotSettings RowOf(std::initializer_list<std::pair<MapColumn, const char*>> cells) {
  SlotSettings row;
  for (const auto& [column, text] : cells) {
    std::string reason;
    EXPECT_TRUE(ParseCell(text, column, row, reason)) << text << ": " << reason;
  }
  return row;
}

// Four slots in use, the rest empty.
inline MapRows StringRows() {
  MapRows rows{};
  rows[0] = RowOf({{MapColumn::kName, "Legato"},
                   {MapColumn::kIcon, "legato"},
                   {MapColumn::kKeyswitch, "C0"},
                   {MapColumn::kUacc, "20"},
                   {MapColumn::kModwheel, "96"}});
  rows[1] = RowOf({{MapColumn::kName, "Détaché"},
                   {MapColumn::kKeyswitch, "C#0 v100"},
                   {MapColumn::kOutputs, "channels plug-in+2, D0 v90"},
                   {MapColumn::kLatency, "60"}});
  rows[2] = RowOf({{MapColumn::kName, "Staccato"},
                   {MapColumn::kKeyswitch, "D0"},
                   {MapColumn::kUacc, "staccato"}});
  rows[5] = RowOf({{MapColumn::kName, "Pizz"}, {MapColumn::kKeyswitch, "E0"}});
  return rows;
}
