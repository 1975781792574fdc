// The articulation page's one-line form of a slot's additions: what it
// shows, what it reads back, and what it refuses.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/additions_text.h"

namespace {

SlotAdditions Parsed(const char* text) {
  SlotAdditions a;
  std::string error;
  EXPECT_TRUE(ParseAdditionsText(text, std::strlen(text), a, error)) << text << ": " << error;
  return a;
}

TEST(AdditionsText, EveryKindReadsBackToTheSameSlot) {
  const char* const text =
      "key velocity 100, channels plug-in+2+16, transpose -12, D0 v90, E0 v100 held ch 2, "
      "CC 58 = 20 ch 2, program 5, bend -4096, C-2 v1, G8 v127 held, bend 8191 ch 16";
  const SlotAdditions a = Parsed(text);
  EXPECT_EQ(a.keyswitchVelocity, 100);
  EXPECT_EQ(a.noteChannels, kPluginChannelBit | 1u << 1 | 1u << 15);
  EXPECT_EQ(a.transpose, -12);
  ASSERT_EQ(a.actionCount, 8);
  EXPECT_EQ(a.actions[1], (SlotAction{ActionKind::kNoteHeld, 2, 28, 100}));
  EXPECT_EQ(a.actions[2], (SlotAction{ActionKind::kControlChange, 2, 58, 20}));
  EXPECT_EQ(a.actions[4], (SlotAction{ActionKind::kPitchBend, 0, 0, 8192 - 4096}));
  EXPECT_EQ(FormatAdditionsText(a), text);
  EXPECT_EQ(FormatAdditionsSummary(a), "8 actions, ch own+2+16, transpose -12, key v100");

  // Loose spelling reads the same; the text a host hands back may lack its end.
  const char loose[] = "  cc 58=20 CH 2 ,d0 V90,note 26 held";
  SlotAdditions b;
  std::string error;
  ASSERT_TRUE(ParseAdditionsText(loose, sizeof loose - 1, b, error)) << error;
  EXPECT_EQ(FormatAdditionsText(b), "CC 58 = 20 ch 2, D0 v90, D0 v127 held");
  // The latency, written either way, reads back as one form.
  EXPECT_EQ(Parsed("latency 250ms, transpose 2").latencyMs, 250);
  const SlotAdditions late = Parsed("Latency 1000 ms");
  EXPECT_EQ(FormatAdditionsText(late), "latency 1000 ms");
  EXPECT_EQ(FormatAdditionsSummary(late), "1000 ms");
  EXPECT_TRUE(Parsed("").IsDefault());
  EXPECT_TRUE(Parsed("   ").IsDefault());
  EXPECT_EQ(FormatAdditionsText(SlotAdditions{}), "");
}

TEST(AdditionsText, RefusesNamingTheItemAndChangesNothing) {
  for (const char* bad :
       {"transpose 49", "key velocity 0", "channels 17", "channels 2+2", "channels", "CC 58 20",
        "CC 128 = 1", "D0 v0", "H2 v9", "bend 8192", "program 5 ch 0", "D0,, E0", "D0 loud",
        "latency 1001", "latency -1 ms", "latency 5 s"}) {
    SlotAdditions a = Parsed("program 9");
    std::string error;
    EXPECT_FALSE(ParseAdditionsText(bad, std::strlen(bad), a, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
    EXPECT_EQ(a.actionCount, 1) << bad;
  }
  std::string many;
  for (int i = 0; i <= kMaxSlotActions; ++i) many += "program 1, ";
  many += "program 1";
  SlotAdditions a;
  std::string error;
  EXPECT_FALSE(ParseAdditionsText(many.c_str(), many.size(), a, error));
  EXPECT_NE(error.find("more than 32"), std::string::npos) << error;
}

}  // namespace
