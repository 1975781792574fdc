// The map table and spreadsheets: copying the selection as tab-separated
// text, and pasting text from a spreadsheet, another program or the table
// itself, including real exports of LibreOffice Calc (map_table/README.md).
#include <gtest/gtest.h>

#include "editor/delimited_text.h"
#include "editor/map_table_clipboard.h"
#include "map_table_files.h"
#include "maps/icon_names.h"
#include "tests/support/map_table_rows.h"

namespace {

using C = MapColumn;

// What map_table/sheet.csv holds, as rows.
MapRows SheetRows() {
  MapRows rows{};
  rows[0] = RowOf({{C::kName, "Legato, soft"},
                   {C::kIcon, "legato"},
                   {C::kKeyswitch, "C0"},
                   {C::kUacc, "20"},
                   {C::kModwheel, "96"}});
  rows[1] = RowOf({{C::kName, "Détaché"},
                   {C::kIcon, "detache"},
                   {C::kKeyswitch, "C#0 v100"},
                   {C::kUacc, "1"},
                   {C::kOutputs, "channels plug-in+2, D0 v90"},
                   {C::kLatency, "60"}});
  rows[2] = RowOf({{C::kName, "\"Short\" spiccato"},
                   {C::kIcon, "spiccato"},
                   {C::kKeyswitch, "D0"},
                   {C::kUacc, "42"},
                   {C::kOutputs, "CC 58 = 20 ch 2"}});
  rows[3] = RowOf({{C::kName, "Pizz; Bartók"},
                   {C::kIcon, "pizz-bartok"},
                   {C::kKeyswitch, "D#0"},
                   {C::kUacc, "57"},
                   {C::kOutputs, "program 5"},
                   {C::kLatency, "25"}});
  rows[4] = RowOf({{C::kName, "Col legno – battuto"},
                   {C::kIcon, "col-legno"},
                   {C::kKeyswitch, "E0"},
                   {C::kUacc, "58"},
                   {C::kOutputs, "transpose -12, bend -4096"}});
  rows[5] = RowOf({{C::kName, "Tremolo „sul pont.“"},
                   {C::kIcon, "tremolo"},
                   {C::kKeyswitch, "F0"},
                   {C::kUacc, "11"},
                   {C::kModwheel, "64"}});
  rows[6] = RowOf({{C::kName, "Flautando €"},
                   {C::kIcon, "flautando"},
                   {C::kKeyswitch, "F#0"},
                   {C::kOutputs, "E0 v100 held ch 2"}});
  rows[7] = RowOf({{C::kName, "Harmonics"},
                   {C::kIcon, "harmonics"},
                   {C::kKeyswitch, "G0 v64"},
                   {C::kLatency, "250"}});
  rows[15] = RowOf({{C::kName, "Tutti"}, {C::kIcon, "tutti"}});
  return rows;
}

TEST(MapTableClipboard, CopiesTheSelectionWithAHeaderRow) {
  const MapRows rows = StringRows();
  EXPECT_EQ(CopyTableText(rows, TableSelection::Cells(C::kKeyswitch, 0, 2)),
            "Keyswitch\r\nC0\r\nC#0 v100\r\nD0\r\n");
  EXPECT_EQ(CopyTableText(rows, TableSelection::Rows(1, 1)),
            "Slot\tName\tIcon\tKeyswitch\tUACC\tModwheel\tOutputs\tLatency (ms)\r\n"
            "2\tDétaché\tnote-quarter\tC#0 v100\t---\t---\tchannels plug-in+2, D0 v90\t60\r\n");
  // The whole table: a header and sixteen rows of eight fields.
  const std::string all = CopyTableText(SheetRows(), TableSelection::AllRows());
  const std::vector<DelimitedRecord> records = ReadDelimited(all, '\t');
  ASSERT_EQ(records.size(), 17u);
  for (const DelimitedRecord& record : records) EXPECT_EQ(record.size(), 8u);
  EXPECT_EQ(records[3][1], "\"Short\" spiccato");
  EXPECT_NE(all.find("\t\"\"\"Short\"\" spiccato\"\t"), std::string::npos);  // quoted
}

std::string_view FileBytes(std::string_view name) {
  for (const MapTableFile& file : kMapTableFiles)
    if (name == file.name) return file.bytes;
  ADD_FAILURE() << "no file " << name;
  return {};
}

// The sheet itself as written by hand, and as Calc saves it three ways.
TEST(MapTableClipboard, RealCalcExportsPasteToTheRowsOfTheSheet) {
  const MapRows expected = SheetRows();
  for (const char* name : {"sheet.csv", "calc_tab.txt", "calc_comma.csv", "calc_semicolon.csv"}) {
    const TableEdit edit =
        PasteTableText(StringRows(), TableSelection::Cell({0, C::kName}), FileBytes(name));
    ASSERT_TRUE(edit.ok) << name << ": " << edit.message;
    EXPECT_EQ(
        edit.message,
        "Pasted into slots 1–16: Name, Icon, Keyswitch, UACC, Modwheel, Outputs, Latency (ms)")
        << name;
    for (int row = 0; row < kSlotCount; ++row)
      EXPECT_EQ(edit.rows[row], expected[row]) << name << " slot " << row + 1;
  }
}

TEST(MapTableClipboard, CalcReadsOurWholeTableCopyAsSixteenRows) {
  MapRows rows = SheetRows();
  rows[9].name = "tab\tand \"quote\"\nline";
  EXPECT_EQ(CopyTableText(rows, TableSelection::AllRows()), FileBytes("our_copy.txt"));
  // Calc keeps every row and column; it drops a tab inside a cell.
  const TableEdit edit = PasteTableText(MapRows{}, TableSelection::Cell({0, C::kName}),
                                        FileBytes("calc_roundtrip.txt"));
  ASSERT_TRUE(edit.ok) << edit.message;
  rows[9].name = "taband \"quote\"\nline";
  EXPECT_EQ(edit.rows, rows);
}

TEST(MapTableClipboard, OurCopyPastesBackAsItWas) {
  MapRows rows = SheetRows();
  rows[9].name = "tab\tand \"quote\"\nline";
  const std::string all = CopyTableText(rows, TableSelection::AllRows());
  // The header places the columns, whichever column is selected.
  TableEdit edit = PasteTableText(MapRows{}, TableSelection::Cell({0, C::kIcon}), all);
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(edit.rows, rows);
  // Rows go from the first selected row down; slot numbers pasted are ignored.
  const std::string two = CopyTableText(rows, TableSelection::Rows(2, 3));
  edit = PasteTableText(MapRows{}, TableSelection::Cell({10, C::kLatency}), two);
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(edit.rows[10], rows[2]);
  EXPECT_EQ(edit.rows[11], rows[3]);
  EXPECT_TRUE(edit.rows[2].IsDefault());
  EXPECT_EQ(
      edit.message,
      "Pasted into slots 11–12: Name, Icon, Keyswitch, UACC, Modwheel, Outputs, Latency (ms)");
  EXPECT_EQ(edit.label, "Paste");
}

TEST(MapTableClipboard, WithoutAHeaderFieldsGoByPositionFromTheSelectedColumn) {
  const MapRows rows = StringRows();
  TableEdit edit = PasteTableText(rows, TableSelection::Cell({4, C::kKeyswitch}),
                                  "G1\t30\r\nA1 v10\tstaccato\t5\r\n");
  ASSERT_TRUE(edit.ok) << edit.message;
  MapRows expected = rows;
  expected[4].keyswitch = 43;
  expected[4].uacc = 30;
  expected[5].keyswitch = 45;
  expected[5].additions.keyswitchVelocity = 10;
  expected[5].uacc = 40;
  expected[5].modwheel = 5;
  EXPECT_EQ(edit.rows, expected);  // a short line leaves the rest of its row
  EXPECT_EQ(edit.message, "Pasted into slots 5–6: Keyswitch, UACC, Modwheel");

  // Comma- and semicolon-separated text, with a BOM and no final line end.
  edit = PasteTableText(rows, TableSelection::Cell({0, C::kUacc}),
                        "\xEF\xBB\xBF"
                        "1;2\n3;4");
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(edit.rows[1].uacc, 3);
  EXPECT_EQ(edit.rows[1].modwheel, 4);
  edit = PasteTableText(rows, TableSelection::Cell({0, C::kName}),
                        "\"Legato, slow\",legato\nSpicc,spiccato");
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(ShowCell(edit.rows[0], 0, C::kName), "Legato, slow");
  EXPECT_EQ(edit.rows[1].name, "Spicc");
  EXPECT_EQ(edit.rows[1].icon, IconIdForName("spiccato"));
  // One line without a tab is one value, commas and all.
  edit = PasteTableText(rows, TableSelection::Cell({2, C::kOutputs}), "D0 v90, CC 1 = 2\r\n");
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(ShowCell(edit.rows[2], 2, C::kOutputs), "D0 v90, CC 1 = 2");
  // Whole rows without a header: eight fields line up with the Slot column.
  edit = PasteTableText(rows, TableSelection::Rows(7, 7), "99\tViolas\tpizz\tC2\t56\t---\t\t0\n");
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(
      edit.rows[7],
      RowOf({{C::kName, "Violas"}, {C::kIcon, "pizz"}, {C::kKeyswitch, "C2"}, {C::kUacc, "56"}}));
  edit = PasteTableText(rows, TableSelection::Rows(7, 7), "Violas\tpizz\n");
  ASSERT_TRUE(edit.ok) << edit.message;
  EXPECT_EQ(edit.rows[7].name, "Violas");
}

TEST(MapTableClipboard, OneLineFillsEverySelectedRow) {
  const MapRows rows = StringRows();
  TableSelection selection = TableSelection::Cells(C::kModwheel, 1, 3);
  selection.rows.set(9);
  TableEdit edit = PasteTableText(rows, selection, "Modwheel\n64\n");
  ASSERT_TRUE(edit.ok) << edit.message;
  for (int row : {1, 2, 3, 9}) EXPECT_EQ(edit.rows[row].modwheel, 64) << row;
  EXPECT_EQ(edit.rows[0].modwheel, 96);
  EXPECT_EQ(edit.rows[4].modwheel, kUnset);
  EXPECT_EQ(edit.message, "Pasted into slots 2–4, 10: Modwheel");
}

TEST(MapTableClipboard, ABadPasteChangesNothingAndSaysWhere) {
  const MapRows rows = StringRows();
  struct Case {
    TableSelection selection;
    const char* text;
    const char* reason;
  } cases[] = {
      {TableSelection::Cell({13, C::kName}), "a\nb\nc\nd\n",
       "row 17 is past slot 16: the paste has 4 rows from slot 14"},
      {TableSelection::Cell({0, C::kName}), "Keyswitch\nC0\nC1\nD0\nC#12\n",
       "slot 4, Keyswitch: \"C#12\" is above G8, the highest note"},
      {TableSelection::Cell({2, C::kLatency}), "5\t6\n",
       "row 1 of the paste has a value past Latency (ms), the last column"},
      {TableSelection::Cell({0, C::kName}), "Name\tUACC\nLegato\t20\nSpicc\tspicc\n",
       "slot 2, UACC: \"spicc\" is not a UACC value 0–127 or name (such as legato or spiccato)"},
      {TableSelection::Cell({0, C::kName}), "\r\n\r\n", "The clipboard holds no text to paste"},
      {TableSelection::Cell({0, C::kName}), "Name\tIcon\n",
       "The clipboard holds only a header line"},
      {TableSelection::Cell({0, C::kName}), "Slot\n3\n",
       "The paste holds no column the table can edit"},
  };
  for (const Case& c : cases) {
    const TableEdit edit = PasteTableText(rows, c.selection, c.text);
    EXPECT_FALSE(edit.ok) << c.text;
    EXPECT_EQ(edit.message, c.reason) << c.text;
  }
  // A trailing empty field (some programs end lines with a tab) is no value.
  EXPECT_TRUE(PasteTableText(rows, TableSelection::Cell({2, C::kLatency}), "5\t\n").ok);
}

}  // namespace
