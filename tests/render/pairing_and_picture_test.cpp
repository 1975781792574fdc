// Pairing one map's slots with another's (retarget), and the piano-roll
// picture: slot colours where the notes are, switching ticks along the
// bottom, and a width that keeps a five-minute piece readable.
#include <gtest/gtest.h>

#include "tools/render/piano_roll_picture.h"
#include "tools/render/slot_pairing.h"
#include "tools/skin/slot_hues.h"

namespace {

TEST(SlotPairing, ByNameThenUaccThenIconAndUnmatchedSlotsListedUnlessThereIsAFallback) {
  PluginSettings from, to;
  from.slots[0] = {"Legato", 1, 24, 20, kUnset};
  from.slots[1] = {"  SPICCATO ", 4, 25, 42, kUnset};
  from.slots[2] = {"Short", 2, 26, 40, kUnset};           // UACC 40 in `to`
  from.slots[3] = {"Tremolo", 12, 27, kUnset, kUnset};    // icon 12 in `to`
  from.slots[4] = {"Harmonics", 55, 28, kUnset, kUnset};  // nothing fits
  to.slots[2] = {"spiccato", 3, 0, 42, kUnset};
  to.slots[5] = {"Legato", 1, 1, 20, kUnset};
  to.slots[6] = {"Staccato", 2, 2, 40, kUnset};
  to.slots[7] = {"Trem.", 12, 3, 11, kUnset};

  const std::bitset<kSlotCount> used("11111");  // slots 1..5 play
  PairingResult r = PairSlots(from, to, used, {});
  EXPECT_EQ(r.pairing[0], 5);
  EXPECT_EQ(r.pairing[1], 2);
  EXPECT_EQ(r.pairing[2], 6);
  EXPECT_EQ(r.pairing[3], 7);
  EXPECT_EQ(r.unmatched, std::vector<int>{4});
  ASSERT_EQ(r.lines.size(), 4u);
  EXPECT_EQ(r.lines[2], "3 \"Short\" -> 7 \"Staccato\" (by UACC)");
  EXPECT_EQ(FreeSlots(to, r, used), "none");

  r = PairSlots(from, to, used, {false, 0, {}});
  EXPECT_TRUE(r.unmatched.empty());
  EXPECT_EQ(r.pairing[4], 0);
  EXPECT_EQ(r.lines[4], "5 \"Harmonics\" -> 1 (fallback)");
  EXPECT_EQ(r.pairing[9], 0) << "slots not in use play the fallback too";

  // By number only when asked: slot k plays slot k where `to` uses it.
  r = PairSlots(from, to, used, {true, -1, {}});
  EXPECT_EQ(r.unmatched, (std::vector<int>{0, 1, 3, 4}));
  EXPECT_EQ(r.pairing[2], 2);
  EXPECT_EQ(FreeSlots(to, r, used), "6 \"Legato\", 7 \"Staccato\", 8 \"Trem.\"");

  // By hand wins, by number or by name on either side; a slot the part does
  // not play needs no partner.
  r = PairSlots(from, to, std::bitset<kSlotCount>("11001"),
                {false, -1, {{"harmonics", "8"}, {"1", "STACCATO"}}});
  EXPECT_TRUE(r.unmatched.empty());
  EXPECT_EQ(r.pairing[0], 6);
  EXPECT_EQ(r.lines[0], "1 \"Legato\" -> 7 \"Staccato\" (by hand)");
  EXPECT_EQ(r.lines[2], "5 \"Harmonics\" -> 8 \"Trem.\" (by hand)");
  EXPECT_EQ(PairSlots(from, to, used, {false, -1, {{"Col legno", "1"}}}).error,
            "no slot of the FROM map is named \"Col legno\"");
  EXPECT_NE(PairSlots(from, to, used, {false, -1, {{"1", "17"}}}).error, "");

  // Names pair only when both maps have them.
  PluginSettings unnamed = to;
  for (SlotSettings& slot : unnamed.slots) slot.name.clear();
  r = PairSlots(from, unnamed, used, {});
  EXPECT_EQ(r.pairing[0], 5) << "by UACC 20";
  EXPECT_EQ(r.lines[0], "1 \"Legato\" -> 6 (by UACC)");
}

// Slot names are kept in Windows-1252; a pair by hand names them in UTF-8,
// as typed, and the lines say them in UTF-8. A dash is a hyphen.
TEST(SlotPairing, NamesBeyondAsciiPairAndPrintAsUtf8) {
  PluginSettings from, to;
  from.slots[0] = {"D\xE9tach\xE9", 1, 24, kUnset, kUnset};
  from.slots[1] = {"Sul tasto \x96 flautando", 4, 25, kUnset, kUnset};
  to.slots[3] = {"D\xE9TACH\xE9", 3, 0, kUnset, kUnset};
  to.slots[4] = {"sul tasto - flautando", 3, 1, kUnset, kUnset};
  const std::bitset<kSlotCount> used("11");
  PairingResult r = PairSlots(from, to, used, {});
  EXPECT_EQ(r.pairing[0], 3);
  EXPECT_EQ(r.pairing[1], 4) << "the en dash is a hyphen";
  EXPECT_EQ(r.lines[0], "1 \"D\xC3\xA9tach\xC3\xA9\" -> 4 \"D\xC3\xA9TACH\xC3\xA9\" (by name)");
  r = PairSlots(from, to, used, {false, -1, {{"d\xC3\xA9tach\xC3\xA9", "Sul tasto - flautando"}}});
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.pairing[0], 4);
  EXPECT_EQ(PairSlots(from, to, used, {false, -1, {{"\xCE\xA9", "1"}}}).error,
            "no slot of the FROM map is named \"\xCE\xA9\"");
}

TEST(SlotPairList, PairsFromTheCommandLineAndFromAJsonFile) {
  std::pair<std::string, std::string> pair;
  EXPECT_TRUE(ParseSlotPair("3=Short", pair));
  EXPECT_EQ(pair, std::make_pair(std::string("3"), std::string("Short")));
  EXPECT_FALSE(ParseSlotPair("=Short", pair));
  EXPECT_FALSE(ParseSlotPair("3", pair));

  SlotPairList pairs;
  std::string error;
  EXPECT_TRUE(ParseSlotPairFile(R"({"Staccato": "Short", "3": 4})", pairs, error)) << error;
  EXPECT_EQ(pairs, (SlotPairList{{"Staccato", "Short"}, {"3", "4"}}));
  EXPECT_FALSE(ParseSlotPairFile(R"(["Staccato"])", pairs, error));
  EXPECT_FALSE(ParseSlotPairFile(R"({"3": 17})", pairs, error));
  EXPECT_EQ(error, "\"3\": the slot it plays must be a name or a number 1..16");
  EXPECT_FALSE(ParseSlotPairFile("{", pairs, error));
}

uint32_t PixelAt(const Picture& p, int x, int y) {
  const uint8_t* px = &p.rgb[(size_t(y) * p.width + x) * 3];
  return px[0] << 16 | px[1] << 8 | px[2];
}
uint32_t Hue(int slot) {
  return kSlotHues[slot].r << 16 | kSlotHues[slot].g << 8 | kSlotHues[slot].b;
}

// Where a colour appears in the picture: its bounding columns and rows.
struct Found {
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};
Found Find(const Picture& p, uint32_t colour, int fromRow = 0) {
  Found f;
  for (int y = fromRow; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (PixelAt(p, x, y) == colour) {
        f.left = std::min(f.left, x), f.right = std::max(f.right, x);
        f.top = std::min(f.top, y), f.bottom = std::max(f.bottom, y);
      }
  return f;
}

TEST(PianoRollPicture, NotesInTheirSlotColoursHigherKeysHigherSwitchesAlongTheBottom) {
  PianoRoll roll(480);
  roll.Switch(0);
  roll.NoteOn(0, 0, 60, 2);
  roll.NoteOff(1920, 0, 60);
  roll.Switch(3840);
  roll.NoteOn(3840, 0, 72, 9);
  roll.NoteOff(7680, 0, 72);
  roll.Finish();
  std::array<std::string, 16> names;
  names[2] = "Staccato";
  const Picture p = DrawPianoRoll(roll, names, "test");
  ASSERT_EQ(p.rgb.size(), size_t(p.width) * p.height * 3);

  // The legend's swatches (8 rows) come first; the notes lie below them.
  const int belowLegend = Find(p, Hue(2)).top + 9;
  const Found low = Find(p, Hue(2), belowLegend), high = Find(p, Hue(9), belowLegend);
  ASSERT_GE(low.right, 0);
  ASSERT_GE(high.right, 0);
  EXPECT_LT(high.bottom, low.top) << "key 72 above key 60";
  EXPECT_LT(low.right, high.left) << "the first note ends before the second starts";
  EXPECT_NEAR(high.right - high.left, 2 * (low.right - low.left), 4) << "twice as long";

  // Two switching ticks, under the notes' starts.
  const Found ticks = Find(p, 0xF0F0F0);
  EXPECT_GT(ticks.top, low.bottom);
  EXPECT_NEAR(ticks.left, low.left - 1, 2);
  EXPECT_NEAR(ticks.right, high.left - 1, 2);
}

// A guessed note is outlined in black and hatched in white; a note read
// for sure is not.
TEST(PianoRollPicture, GuessedNotesAreOutlinedAndHatched) {
  PianoRoll roll(480);
  roll.NoteOn(0, 0, 60, 2);
  roll.NoteOff(1920, 0, 60);
  roll.NoteOn(3840, 0, 72, 9, true);
  roll.NoteOff(7680, 0, 72);
  roll.Finish();
  const Picture p = DrawPianoRoll(roll, {}, "test");
  const int belowLegend = Find(p, Hue(2)).top + 9;
  const Found sure = Find(p, Hue(2), belowLegend), guessed = Find(p, Hue(9), belowLegend);
  auto count = [&](const Found& f, uint32_t colour) {
    int n = 0;
    for (int y = f.top - 1; y <= f.bottom + 1; ++y)
      for (int x = f.left - 1; x <= f.right + 1; ++x) n += PixelAt(p, x, y) == colour;
    return n;
  };
  EXPECT_GT(count(guessed, 0x000000), 2 * (guessed.right - guessed.left));
  EXPECT_GT(count(guessed, 0xFFFFFF), 4);
  EXPECT_EQ(count(sure, 0x000000), 0);
  EXPECT_EQ(count(sure, 0xFFFFFF), 0);
}

TEST(PianoRollPicture, AFiveMinutePieceKeepsAboutABeatInSixteenPixels) {
  // 300 s at 120 beats a minute in 4/4: 150 bars.
  PianoRoll roll(480);
  for (int beat = 0; beat < 600; ++beat) {
    roll.NoteOn(beat * 480u, 0, 40 + beat % 48, beat % 16);
    roll.NoteOff(beat * 480u + 400, 0, 40 + beat % 48);
  }
  roll.Finish();
  const Picture p = DrawPianoRoll(roll, {}, "five minutes");
  EXPECT_GE(p.width, 150 * 60);
  EXPECT_LE(p.width, 12100);
  EXPECT_LE(p.height, 800);
  EXPECT_GE(p.height, 48 * 5) << "at least five pixels a key";
}

}  // namespace
