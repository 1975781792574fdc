// Icon and UACC names: one canonical name per value, every name leading back
// to its value, aliases and spellings as users and other programs write them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "maps/articulation_map.h"
#include "maps/uacc_names.h"
#include "maps/icon_names.h"
#include "maps/name_matching.h"

namespace {

TEST(IconNames, EveryIconHasOneNameThatLeadsBack) {
  std::set<std::string> seen;
  for (int id = 0; id < kIconCount; ++id) {
    ASSERT_NE(IconName(id), nullptr) << id;
    EXPECT_TRUE(seen.insert(IconName(id)).second) << IconName(id);
    EXPECT_EQ(IconIdForName(IconName(id)), id) << IconName(id);
  }
  EXPECT_EQ(IconName(-1), nullptr);
  EXPECT_EQ(IconName(kIconCount), nullptr);
  EXPECT_STREQ(IconName(kPlainNoteIcon), "note-quarter");
}

TEST(IconNames, AliasesCaseAndSpelling) {
  EXPECT_EQ(IconIdForName("pizz"), 9);
  EXPECT_EQ(IconIdForName("Pizzicato"), 9);  // a Logic symbol name
  EXPECT_EQ(IconIdForName("Staccato"), 2);
  EXPECT_EQ(IconIdForName("Marcato"), 5);
  EXPECT_EQ(IconIdForName("Tenuto"), 6);
  EXPECT_EQ(IconIdForName("Snap Pizzicato"), 10);
  EXPECT_EQ(IconIdForName("trill-maj2"), 15);
  EXPECT_EQ(IconIdForName("TRILL_MIN2"), 14);
  EXPECT_EQ(IconIdForName("legato (fast)"), 68);  // the skin's own captions
  // Reaticulate's compound icons take their main symbol's picture.
  EXPECT_EQ(IconIdForName("staccato-con-sord"), IconIdForName("staccato"));
  EXPECT_EQ(IconIdForName("legato-runs"), IconIdForName("legato-fast"));
  EXPECT_EQ(IconIdForName("multitongued"), IconIdForName("double-tongue"));
  EXPECT_EQ(IconIdForName("détaché"), 36);
  EXPECT_EQ(IconIdForName("glissando-3"), 149);
  for (const char* unknown : {"", "-", "pizzz", "legato-4", "note quarter x"})
    EXPECT_EQ(IconIdForName(unknown), -1) << unknown;
}

TEST(IconNames, WordsOfAName) {
  EXPECT_EQ(IconIdFromWords("Spicc."), 4);
  EXPECT_EQ(IconIdFromWords("Violins Staccatissimo"), 3);
  EXPECT_EQ(IconIdFromWords("Pizz Bartók"), 10);
  EXPECT_EQ(IconIdFromWords("Legato Tremolo"), 12);
  EXPECT_EQ(IconIdFromWords("Triple"), -1);  // "rip" begins no word here
  EXPECT_EQ(IconIdFromWords("Rip"), 30);
  EXPECT_EQ(IconIdFromWords("Articulation 7"), -1);
  EXPECT_EQ(IconIdFromWords(""), -1);
}

TEST(UaccNames, UniqueCanonicalNamesThatLeadBack) {
  std::set<std::string> seen;
  int assigned = 0;
  for (int v = 0; v < 128; ++v) {
    if (!UaccName(v)) continue;
    ++assigned;
    EXPECT_TRUE(seen.insert(UaccName(v)).second) << UaccName(v);
    EXPECT_EQ(UaccValueForName(UaccName(v)), v) << UaccName(v);
  }
  EXPECT_EQ(assigned, 85);  // 18 long, 17 legato, 22 short, 10 decorative, 18 phrases
  EXPECT_EQ(UaccName(0), nullptr);
  EXPECT_EQ(UaccName(19), nullptr);
  EXPECT_EQ(UaccValueForName("spiccato"), 42);
  EXPECT_EQ(UaccValueForName("Very-Short"), 42);
  EXPECT_EQ(UaccValueForName("  con   sordino "), 7);
  EXPECT_EQ(UaccValueForName("short octave"), 45);
  EXPECT_EQ(UaccValueForName("octave"), -1);  // three groups have one
}

TEST(UaccNames, JsonMapsTakeThem) {
  PluginSettings s;
  MapError error;
  ASSERT_TRUE(ParseArticulationMap(
      R"({"slots": [{"slot": 1, "uacc": "Spiccato"}, {"slot": 2, "uacc": 42}]})", s, error))
      << error.message;
  EXPECT_EQ(s.slots[0].uacc, 42);
  EXPECT_EQ(s.slots[1].uacc, 42);
  EXPECT_FALSE(ParseArticulationMap(R"({"slots": [{"slot": 1, "uacc": "octave"}]})", s, error));
  EXPECT_EQ(error.field, "slots[0].uacc");
  EXPECT_NE(error.message.find("\"octave\" is not a UACC articulation name"), std::string::npos)
      << error.message;
}

}  // namespace

TEST(ArticulationNames, CaseAndBlanksDoNotMatterAnythingElseDoes) {
  EXPECT_TRUE(SameName("Col legno", " col  LEGNO\t"));
  EXPECT_TRUE(SameName("Col legno", "ColLegno"));
  EXPECT_FALSE(SameName("Col legno", "Col-legno"));
  EXPECT_FALSE(SameName("Pizz\xE9", "PIZZ\xC9"));  // letters beyond ASCII keep their case
  EXPECT_EQ(FoldedName("  "), "");
}

// A typed hyphen stands for any dash a name holds; Unicode's blanks are
// blanks. Dashes stay: they do not vanish as blanks do.
TEST(ArticulationNames, EveryDashIsAHyphenAndEverySpaceABlank) {
  const char* const dashed[] = {
      "Slot (1\xE2\x80\x93"
      "16)",  // en dash
      "Slot (1\xE2\x80\x94"
      "16)",  // em dash
      "Slot (1\xE2\x80\x90"
      "16)",  // hyphen
      "Slot (1\xE2\x88\x92"
      "16)",  // minus sign
      "Slot (1\xEF\xBC\x8D"
      "16)",                     // full-width hyphen-minus
      "slot\xC2\xA0(1-16)",      // a no-break space
      "Slot\xE3\x80\x80(1-16)",  // an ideographic space
  };
  for (const char* name : dashed) {
    EXPECT_TRUE(SameName(name, "slot (1-16)")) << name;
    EXPECT_EQ(FoldedName(name), "slot(1-16)") << name;
  }
  EXPECT_FALSE(
      SameName("Slot (1\xE2\x80\x93"
               "16)",
               "Slot (116)"));
  EXPECT_FALSE(
      SameName("Slot (1\xE2\x80\x93"
               "16)",
               "Slot (1_16)"));
  // Letters beyond ASCII stay as they are, whole; bytes of no UTF-8
  // sequence (Windows-1252 text) too.
  EXPECT_EQ(FoldedName("D\xC3\xA9tach\xC3\xA9 \xCE\xA9"), "d\xC3\xA9tach\xC3\xA9\xCE\xA9");
  EXPECT_EQ(FoldedName("Pizz\xE9 \x96 \xE2\x80"), "pizz\xE9\x96\xE2\x80");
}
