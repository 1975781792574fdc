// The map table's cells: what each column shows, what it takes, and the
// one-line reason for what it refuses.
#include <gtest/gtest.h>

#include "editor/map_table_cells.h"
#include "maps/icon_names.h"
#include "tests/support/map_table_rows.h"

namespace {

using C = MapColumn;

struct Accepted {
  MapColumn column;
  const char* typed;
  const char* shown;  // the cell's text afterwards
};

TEST(MapTableCells, TakeWhatAComposerTypesAndShowItAsThePanelDoes) {
  const Accepted cases[] = {
      {C::kName, "Legato", "Legato"},
      {C::kName, "  Sul pont. „dolce“ ", "  Sul pont. „dolce“ "},  // names keep their blanks
      {C::kName, "", ""},
      {C::kIcon, "pizz", "pizz"},
      {C::kIcon, "Snap Pizzicato", IconName(IconIdForName("snap-pizzicato"))},
      {C::kIcon, "12", IconName(12)},
      {C::kIcon, "none", "note-quarter"},
      {C::kIcon, "", "note-quarter"},
      {C::kKeyswitch, "C0", "C0"},
      {C::kKeyswitch, "c#0", "C#0"},
      {C::kKeyswitch, "Db0", "C#0"},
      {C::kKeyswitch, "DB0", "C#0"},
      {C::kKeyswitch, "bb-1", "A#-1"},
      {C::kKeyswitch, "60", "C3"},
      {C::kKeyswitch, "  g8  ", "G8"},
      {C::kKeyswitch, "C-2", "C-2"},
      {C::kKeyswitch, "C0 v64", "C0 v64"},
      {C::kKeyswitch, "c0 V64", "C0 v64"},
      {C::kKeyswitch, "C0 v127", "C0"},
      {C::kKeyswitch, "none v64", "---- v64"},
      {C::kKeyswitch, "---- v64", "---- v64"},
      {C::kKeyswitch, "none", "----"},
      {C::kKeyswitch, "----", "----"},
      {C::kKeyswitch, "", "----"},
      {C::kUacc, "42", "42 very short"},
      {C::kUacc, "spiccato", "42 very short"},
      {C::kUacc, "Con-Sordino", "7 long muted"},
      {C::kUacc, "42 spiccato", "42 very short"},
      {C::kUacc, "42 very short", "42 very short"},
      {C::kUacc, "0", "0"},
      {C::kUacc, "---", "---"},
      {C::kModwheel, "96", "96"},
      {C::kModwheel, " 0 ", "0"},
      {C::kModwheel, "NONE", "---"},
      {C::kOutputs, "cc 58=20 CH 2, d0 v90", "CC 58 = 20 ch 2, D0 v90"},
      {C::kOutputs, "none", ""},
      {C::kOutputs, "", ""},
      {C::kLatency, "250", "250"},
      {C::kLatency, "250 ms", "250"},
      {C::kLatency, "250ms", "250"},
      {C::kLatency, "0.25 s", "250"},
      {C::kLatency, "1 S", "1000"},
      {C::kLatency, ".5s", "500"},
      {C::kLatency, "0.001 s", "1"},
      {C::kLatency, "none", "0"},
  };
  for (const Accepted& c : cases) {
    SlotSettings row;
    std::string reason;
    ASSERT_TRUE(ParseCell(c.typed, c.column, row, reason))
        << ColumnTitle(c.column) << " \"" << c.typed << "\": " << reason;
    EXPECT_EQ(ShowCell(row, 0, c.column), c.shown) << ColumnTitle(c.column) << " " << c.typed;
  }
}

struct Refused {
  MapColumn column;
  const char* typed;
  const char* reason;
};

TEST(MapTableCells, RefuseWithOneLineReasonAndLeaveTheRowAlone) {
  static const std::string kLongName(256, 'a');
  const Refused cases[] = {
      {C::kSlot, "3", "the slot number is not editable"},
      {C::kName, "漢字",
       "\"漢\" (U+6F22) is not a Windows Western character, which names are made of"},
      {C::kName, kLongName.c_str(), "the name has 256 characters; at most 255 fit"},
      {C::kName, "\xC3", "the name holds an invalid UTF-8 sequence"},
      {C::kIcon, "kazoo", "\"kazoo\" is not an icon's name or number (0–127)"},
      {C::kIcon, "128", "\"128\" is above 127, the highest icon a slot can hold"},
      {C::kIcon, "-1", "\"-1\" is below 0, the lowest icon a slot can hold"},
      {C::kKeyswitch, "C#12", "\"C#12\" is above G8, the highest note"},
      {C::kKeyswitch, "G#8", "\"G#8\" is above G8, the highest note"},
      {C::kKeyswitch, "Cb-2", "\"Cb-2\" is below C-2, the lowest note"},
      {C::kKeyswitch, "128", "\"128\" is above 127, the highest note number"},
      {C::kKeyswitch, "-1", "\"-1\" is below 0, the lowest note number"},
      {C::kKeyswitch, "H2",
       "\"H2\" is not a note (C-2 to G8, such as C0, F#1 or Db0), a note number 0–127 or none"},
      {C::kKeyswitch, "C0 v0", "\"v0\" is below 1, the lowest keyswitch velocity"},
      {C::kKeyswitch, "C0 v128", "\"v128\" is above 127, the highest keyswitch velocity"},
      {C::kKeyswitch, "C0 loud", "\"C0 loud\" is not a note with a velocity, such as \"C0 v64\""},
      {C::kKeyswitch, "C0 v64 x", "\"C0 v64 x\" is not a note with a velocity, such as \"C0 v64\""},
      {C::kUacc, "128", "\"128\" is above 127, the highest UACC value"},
      {C::kUacc, "wobble",
       "\"wobble\" is not a UACC value 0–127 or name (such as legato or spiccato)"},
      {C::kUacc, "42 legato", "\"42 legato\": \"legato\" is UACC 20, not 42"},
      {C::kUacc, "42 wobble", "\"wobble\" is not a UACC name"},
      {C::kModwheel, "200", "\"200\" is above 127, the highest modwheel value"},
      {C::kModwheel, "1.5", "\"1.5\" is not a modwheel value 0–127 or none"},
      {C::kOutputs, "CC 200 = 1", "\"CC 200 = 1\" is not an output the outputs line knows"},
      {C::kOutputs, "D0,, E0", "the outputs hold an empty item"},
      {C::kLatency, "1001", "\"1001\" is above 1000 ms, the longest latency"},
      {C::kLatency, "1.5 s", "\"1.5 s\" is above 1000 ms, the longest latency"},
      {C::kLatency, "-5 ms", "\"-5 ms\" is below 0 ms, the shortest latency"},
      {C::kLatency, "0.2505 s", "\"0.2505 s\" is not a whole number of milliseconds"},
      {C::kLatency, "12.5", "\"12.5\" is not a whole number of milliseconds"},
      {C::kLatency, "soon", "\"soon\" is not a latency such as 250, 250 ms or 0.25 s"},
      {C::kLatency, "999999999 s", "\"999999999 s\" is above 1000 ms, the longest latency"},
  };
  const SlotSettings before = StringRows()[1];
  for (const Refused& c : cases) {
    SlotSettings row = before;
    std::string reason;
    EXPECT_FALSE(ParseCell(c.typed, c.column, row, reason)) << c.typed;
    EXPECT_EQ(reason, c.reason) << ColumnTitle(c.column) << " " << c.typed;
    EXPECT_EQ(row, before) << c.typed;
  }
}

TEST(MapTableCells, ReasonsQuoteTypedTextOnOneShortLine) {
  SlotSettings row;
  std::string reason;
  EXPECT_FALSE(ParseCell("CC 200 = 1\nprogram 3", C::kOutputs, row, reason));
  EXPECT_EQ(reason, "\"CC 200 = 1 program 3\" is not an output the outputs line knows");
  EXPECT_FALSE(ParseCell(std::string(30, 'x') + "éééééééééééé", C::kModwheel, row, reason));
  EXPECT_EQ(reason,
            "\"" + std::string(30, 'x') + "éééééééééé…\" is not a modwheel value 0–127 or none");
}

TEST(MapTableCells, AnIconASlotCannotHoldIsRefusedByName) {
  SlotSettings row;
  std::string reason;
  const std::string name = IconName(kIconCount - 1);
  EXPECT_FALSE(ParseCell(name, C::kIcon, row, reason));
  EXPECT_EQ(reason, "\"" + name + "\" is icon 149, which a slot cannot hold (icons 0–127)");
}

TEST(MapTableCells, OutputsLeaveVelocityAndLatencyToTheirColumnsUnlessTyped) {
  SlotSettings row = StringRows()[1];  // C#0 v100, 60 ms, channels plug-in+2, D0 v90
  EXPECT_EQ(ShowCell(row, 1, C::kOutputs), "channels plug-in+2, D0 v90");
  std::string reason;
  ASSERT_TRUE(ParseCell("transpose -12", C::kOutputs, row, reason)) << reason;
  EXPECT_EQ(row.additions.keyswitchVelocity, 100);
  EXPECT_EQ(row.additions.latencyMs, 60);
  EXPECT_EQ(row.additions.transpose, -12);
  EXPECT_EQ(row.additions.actionCount, 0);
  EXPECT_EQ(row.additions.noteChannels, kPluginChannelBit);
  // Named, they are set, even to their defaults.
  ASSERT_TRUE(ParseCell("Key  Velocity 127, latency 0 ms", C::kOutputs, row, reason)) << reason;
  EXPECT_EQ(row.additions.keyswitchVelocity, kDefaultKeyswitchVelocity);
  EXPECT_EQ(row.additions.latencyMs, 0);
  EXPECT_EQ(ShowCell(row, 1, C::kKeyswitch), "C#0");
}

TEST(MapTableCells, EveryColumnReadsBackWhatItShowsForEveryKindOfSlot) {
  MapRows rows = StringRows();
  // Extremes and oddities a map may hold.
  rows[6].name = std::string("\x80\x81\x8D\x9F\xFF \"q\"\t,;", 12);  // every byte is Western text
  rows[6].icon = 127;
  rows[6].keyswitch = 127;
  rows[6].additions.keyswitchVelocity = 1;
  rows[6].uacc = 127;
  rows[6].modwheel = 0;
  rows[6].additions.latencyMs = kMaxLatencyMs;
  rows[7].name = std::string(kMaxNameCharacters, 'x');
  rows[7].keyswitch = 0;
  rows[7].uacc = 43;                         // no UACC name
  rows[8].additions.keyswitchVelocity = 64;  // a velocity without a note
  std::string reason;
  ASSERT_TRUE(
      ParseCell("channels 1+16, transpose 48, E0 v1 held ch 16, CC 0 = 127, program 0, "
                "bend -8192, bend 8191",
                C::kOutputs, rows[9], reason))
      << reason;
  for (int r = 0; r < kSlotCount; ++r) {
    for (int c = ColumnIndex(kFirstEditableColumn); c < kMapColumnCount; ++c) {
      const MapColumn column = ColumnAt(c);
      const std::string shown = ShowCell(rows[r], r, column);
      SlotSettings parsed = rows[r];
      ClearCell(column, parsed);
      ASSERT_TRUE(ParseCell(shown, column, parsed, reason))
          << "slot " << r + 1 << " " << ColumnTitle(column) << " \"" << shown << "\": " << reason;
      EXPECT_EQ(parsed, rows[r]) << "slot " << r + 1 << " " << ColumnTitle(column);
    }
  }
}

TEST(MapTableCells, CopyAndClearMoveExactlyTheFieldsAColumnHolds) {
  const MapRows rows = StringRows();
  const SlotSettings& from = rows[1];
  SlotSettings to = rows[0];
  CopyCell(C::kKeyswitch, from, to);
  EXPECT_EQ(to.keyswitch, from.keyswitch);
  EXPECT_EQ(to.additions.keyswitchVelocity, 100);
  EXPECT_EQ(to.additions.actionCount, 0);  // outputs stay
  CopyCell(C::kOutputs, from, to);
  EXPECT_EQ(to.additions.actionCount, 1);
  EXPECT_EQ(to.additions.latencyMs, 0);  // latency has its own column
  EXPECT_EQ(to.name, "Legato");
  ClearCell(C::kKeyswitch, to);
  EXPECT_EQ(to.keyswitch, kUnset);
  EXPECT_EQ(to.additions.keyswitchVelocity, kDefaultKeyswitchVelocity);
  ClearCell(C::kSlot, to);
  EXPECT_TRUE(to.IsDefault());
}

TEST(MapTableColumns, PastedHeadingsFindTheirColumn) {
  for (int c = 0; c < kMapColumnCount; ++c)
    EXPECT_EQ(ColumnForTitle(ColumnTitle(ColumnAt(c))), ColumnAt(c));
  EXPECT_EQ(ColumnForTitle(" uacc "), MapColumn::kUacc);
  EXPECT_EQ(ColumnForTitle("LATENCY"), MapColumn::kLatency);
  EXPECT_EQ(ColumnForTitle("#"), MapColumn::kSlot);
  EXPECT_EQ(ColumnForTitle("Legato"), std::nullopt);
}

}  // namespace
