// What each cell of the map table shows and takes. Every editable column has
// a show function (row -> text) and a parse function (text -> the row's
// fields, or a one-line reason and no change); parse(show(row)) gives the
// row back for every row a map can hold. Texts are UTF-8; names are kept in
// the row as the plug-in keeps them, Windows-1252 bytes.
//
// What a cell takes (surrounding blanks ignored, except in names):
//   every column  "none" or an empty cell for no value ("----" and "---", as
//                 the panel shows none, too); for the icon that is the plain
//                 note a new slot has, for outputs a slot without any, for
//                 the latency 0
//   Name          up to 255 characters of the Windows Western character set
//   Icon          an icon's name or alias (maps/icon_names.h) or its number,
//                 0-127: the icons a slot can hold
//   Keyswitch     a note name C-2..G8 in either case with # or b ("C0",
//                 "c#0", "Db0") or a note number 0-127, then optionally
//                 " v64", the keyswitch velocity 1-127 (127 when left out);
//                 "none v64" keeps a velocity without a note
//   UACC          a value 0-127, a UACC name as maps/uacc_names.h reads it,
//                 or both ("42 spiccato"), which must agree
//   Modwheel      a value 0-127
//   Outputs       the panel's outputs line (editor/additions_text.h); it sets
//                 the note channels, transpose and actions, and the key
//                 velocity and latency only when it names them
//   Latency       "250", "250 ms" or "0.25 s": whole milliseconds, 0-1000
#pragma once

#include <string>
#include <string_view>

#include "editor/map_table_columns.h"

// The text of a cell: what it shows and what its editor starts with. Empty
// values read as the panel shows them ("----" for no keyswitch, "---" for
// no UACC or modwheel); an empty name is an empty text (see NamePlaceholder).
std::string ShowCell(const SlotSettings& row, int rowIndex, MapColumn column);

// Reads typed text into the fields `column` holds. True when the cell takes
// it; otherwise false, `row` untouched and `reason` one line saying why, such
// as `"C#12" is above G8, the highest note`. The Slot column takes nothing.
bool ParseCell(std::string_view text, MapColumn column, SlotSettings& row, std::string& reason);

// Copies the fields a column holds (all of them for the Slot column, which
// stands for the whole row) from one row to another.
void CopyCell(MapColumn column, const SlotSettings& from, SlotSettings& to);

// Empties the fields a column holds, as an empty cell typed in would; the
// Slot column empties the whole row.
void ClearCell(MapColumn column, SlotSettings& row);

// The dimmed text an empty name cell may show, as the panel names such a
// slot ("Articulation 3"); it is never the cell's value.
std::string NamePlaceholder(int rowIndex);

// The icon drop-down: the icons a slot can hold, ids 0..kIconChoiceCount-1,
// each listed by IconName(id).
constexpr int kIconChoiceCount = 128;

// Typed text as a reason or status quotes it: on one line (line breaks and
// tabs become spaces), at most 40 characters, then "…".
std::string QuotedText(std::string_view text);

// Longest name, in characters (one byte each in the plug-in).
constexpr size_t kMaxNameCharacters = 255;
