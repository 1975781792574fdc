// Find and replace in the map table's names and outputs. The scope is the
// whole table (TableSelection::AllRows()), selected rows (names and outputs
// of those slots), or selected cells of the Name or the Outputs column.
// Outputs are searched in the text their column shows (the outputs line
// without key velocity and latency). Ignoring case folds the letters of the
// Windows Western character set (É matches é).
//
// Every replaced cell is read back as if typed; if one cannot take its new
// text, nothing changes and the reason names the slot and column. The
// status counts the replacements: `Replaced "Leg" 5 times in slots 1–4`.
#pragma once

#include <string>

#include "editor/map_table_edits.h"

struct ReplaceOptions {
  std::string find;         // UTF-8, not empty
  std::string replacement;  // UTF-8, may be empty
  bool ignoreCase = true;
};

TableEdit FindReplace(const MapRows& rows, const TableSelection& scope,
                      const ReplaceOptions& options);
