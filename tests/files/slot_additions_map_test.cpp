// Slot additions in the articulation map and in the state bytes: what they
// read, what they refuse, and that map -> state -> map comes back exactly.
#include <gtest/gtest.h>

#include "maps/articulation_map.h"
#include "maps/state_bytes.h"

namespace {

const char* const kLayeredMap = R"({
  "channel": 3,
  "slots": [
    {"slot": 2, "name": "Matrix staccato", "keyswitch": "C0", "keyswitchVelocity": 100,
     "noteChannels": [2, "plug-in", 16], "transpose": -12,
     "actions": [
       {"note": "D0", "velocity": 90},
       {"note": 28, "held": true, "channel": 5},
       {"cc": 58, "value": 20, "channel": 2},
       {"program": 5},
       {"pitchBend": -8192},
       {"pitchBend": 8191, "channel": 16}
     ]},
    {"slot": 9, "transpose": 48, "latency": 250}
  ]
})";

TEST(SlotAdditionsMap, ReadsEveryKindOfAction) {
  PluginSettings s;
  MapError error;
  ASSERT_TRUE(ParseArticulationMap(kLayeredMap, s, error)) << error.field << ": " << error.message;
  const SlotAdditions& a = s.slots[1].additions;
  EXPECT_EQ(a.keyswitchVelocity, 100);
  EXPECT_EQ(a.noteChannels, kPluginChannelBit | 1u << 1 | 1u << 15);
  EXPECT_EQ(a.transpose, -12);
  ASSERT_EQ(a.actionCount, 6);
  EXPECT_EQ(a.actions[0], (SlotAction{ActionKind::kNoteTap, 0, 26, 90}));
  EXPECT_EQ(a.actions[1], (SlotAction{ActionKind::kNoteHeld, 5, 28, 127}));
  EXPECT_EQ(a.actions[2], (SlotAction{ActionKind::kControlChange, 2, 58, 20}));
  EXPECT_EQ(a.actions[3], (SlotAction{ActionKind::kProgramChange, 0, 5, 0}));
  EXPECT_EQ(a.actions[4], (SlotAction{ActionKind::kPitchBend, 0, 0, 0}));
  EXPECT_EQ(a.actions[5], (SlotAction{ActionKind::kPitchBend, 16, 0, 16383}));
  EXPECT_EQ(s.slots[8].additions.transpose, 48);
  EXPECT_EQ(s.slots[8].additions.latencyMs, 250);
  EXPECT_EQ(a.latencyMs, 0);
}

TEST(SlotAdditionsMap, MapToStateToMapIsExact) {
  PluginSettings s;
  MapError error;
  ASSERT_TRUE(ParseArticulationMap(kLayeredMap, s, error));
  std::string first;
  ASSERT_TRUE(FormatArticulationMap(s, first, error));

  const std::vector<uint8_t> bytes = EncodeState(s);
  PluginSettings decoded;
  std::string why;
  ASSERT_TRUE(DecodeState(bytes, decoded, why)) << why;
  EXPECT_EQ(decoded, s);
  std::string second;
  ASSERT_TRUE(FormatArticulationMap(decoded, second, error));
  EXPECT_EQ(second, first);
  PluginSettings again;
  ASSERT_TRUE(ParseArticulationMap(second, again, error));
  EXPECT_EQ(again, s);

  // Without additions the state is plain version 5.
  PluginSettings plain = s;
  for (SlotSettings& slot : plain.slots) slot.additions = SlotAdditions{};
  EXPECT_EQ(EncodeState(plain).size(), 346u + 15u);  // the name "Matrix staccato"
  // A damaged block is refused with a reason, not half read.
  std::vector<uint8_t> damaged = bytes;
  damaged.back() ^= 1;
  EXPECT_FALSE(DecodeState(damaged, decoded, why));
  EXPECT_NE(why.find("slot additions"), std::string::npos) << why;
}

TEST(SlotAdditionsMap, RefusesWithFieldAndReason) {
  struct Case {
    const char* slot;
    const char* field;
    const char* words;
  };
  const Case cases[] = {
      {R"("keyswitchVelocity": 0)", "slots[0].keyswitchVelocity", "out of range"},
      {R"("transpose": 49)", "slots[0].transpose", "out of range"},
      {R"("latency": 1001)", "slots[0].latency", "out of range"},
      {R"("noteChannels": [])", "slots[0].noteChannels", "list of channels"},
      {R"("noteChannels": [3, 3])", "slots[0].noteChannels[1]", "twice"},
      {R"("noteChannels": [17])", "slots[0].noteChannels[0]", "out of range"},
      {R"("actions": [{"note": "C0", "cc": 3, "value": 1}])", "slots[0].actions[0]", "exactly one"},
      {R"("actions": [{"cc": 3}])", "slots[0].actions[0].value", "missing"},
      {R"("actions": [{"cc": 3, "value": 1, "held": true}])", "slots[0].actions[0].held",
       "does not go"},
      {R"("actions": [{"note": "H2"}])", "slots[0].actions[0].note", "not a note name"},
      {R"("actions": [{"note": 60, "velocity": 0}])", "slots[0].actions[0].velocity",
       "out of range"},
      {R"("actions": [{"pitchBend": 8192}])", "slots[0].actions[0].pitchBend", "out of range"},
      {R"("actions": [{"program": 1, "channel": 0}])", "slots[0].actions[0].channel",
       "out of range"},
      {R"("actions": [{"program": 1, "colour": 2}])", "slots[0].actions[0].colour",
       "unknown field"},
  };
  for (const Case& c : cases) {
    PluginSettings s;
    MapError error;
    const std::string text = std::string(R"({"slots": [{"slot": 1, )") + c.slot + "}]}";
    EXPECT_FALSE(ParseArticulationMap(text, s, error)) << text;
    EXPECT_EQ(error.field, c.field) << text;
    EXPECT_NE(error.message.find(c.words), std::string::npos) << text << " -> " << error.message;
  }
  std::string many = R"({"slots": [{"slot": 1, "actions": [)";
  for (int i = 0; i <= kMaxSlotActions; ++i)
    many += std::string(i ? "," : "") + R"({"program": 1})";
  PluginSettings s;
  MapError error;
  EXPECT_FALSE(ParseArticulationMap(many + "]}]}", s, error));
  EXPECT_EQ(error.field, "slots[0].actions");
}

}  // namespace
