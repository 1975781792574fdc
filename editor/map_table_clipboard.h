// The map table and spreadsheets: the selection as tab-separated text for
// the clipboard, and pasted text into the rows. The window moves the text
// to and from the clipboard (as UTF-16); this side is UTF-8.
//
// Copy: a header row of column titles, then one line per selected row, in
// slot order: every column for whole rows (the whole table gives a header
// and 16 rows), the one column for cells. Fields are the cells' texts,
// quoted as spreadsheets quote (delimited_text.h); lines end in CRLF.
//
// Paste: tab-separated text, or comma- or semicolon-separated text where no
// tab is found (GuessDelimiter); a single line without a tab is one value.
// - A first line whose every field is a column title (ColumnForTitle) is a
//   header: each field then goes to the column it names, wherever the
//   selection is. The Slot column is ignored: rows go from the first selected
//   row down, in the order pasted, whatever slot numbers they carry.
// - Without a header, fields go by position from the selected column; with
//   whole rows selected, from the Slot column (ignored) when a line has all
//   eight fields, else from Name.
// - One pasted line and several selected rows: the line goes into each.
// - A line shorter than the others leaves the columns it lacks as they are;
//   an empty field empties its cell, as typing nothing would.
// A paste that would go past slot 16 or past the last column, or that holds
// a value a cell cannot take, changes nothing and says where: `row 17 is
// past slot 16`, `slot 4, Keyswitch: "C#12" is above G8, the highest note`.
// A paste is one step of the undo history.
#pragma once

#include <string>
#include <string_view>

#include "editor/map_table_edits.h"

std::string CopyTableText(const MapRows& rows, const TableSelection& selection);

TableEdit PasteTableText(const MapRows& rows, const TableSelection& selection,
                         std::string_view text);
