// Studio One's key switch lists: both generations of articulation, the
// activation's tokens, what the reader records beside them, the files it
// refuses, and what an export cannot hold.
#include <gtest/gtest.h>

#include "maps/formats/keyswitch_list.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"

namespace {

using Kind = ForeignOutput::Kind;

std::string List(const std::string& entries, const std::string& name = " name=\" Horns \"") {
  return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Music.KeySwitchList" + name +
         ">\n" + entries + "</Music.KeySwitchList>\n";
}

ForeignBank Read(const std::string& text) {
  ForeignMap map;
  ImportError error;
  EXPECT_TRUE(ReadKeySwitchList(text, map, error)) << error.where << ": " << error.message;
  return map.banks.empty() ? ForeignBank{} : map.banks[0];
}

TEST(KeySwitchListReader, KeySwitchesSendTheirPitch) {
  const ForeignBank bank =
      Read(List("\t<Attributes pitch=\"24\" name=\"Sustain\"/>\n\t<Attributes pitch=\"25\" "
                "name=\"Short\"/>\n",
                ""));
  EXPECT_EQ(bank.name, "") << "a list without a name";
  ASSERT_EQ(bank.articulations.size(), 2u);
  const ForeignArticulation& sustain = bank.articulations[0];
  EXPECT_EQ(sustain.name, "Sustain");
  EXPECT_EQ(sustain.where, "line 3");
  ASSERT_EQ(sustain.outputs.size(), 1u);
  EXPECT_EQ(sustain.outputs[0].kind, Kind::Note);
  EXPECT_EQ(sustain.outputs[0].data1, 24);
  EXPECT_EQ(sustain.outputs[0].data2, 127);
  EXPECT_EQ(sustain.outputs[0].channel, -1);
  EXPECT_TRUE(sustain.notes.empty());
  EXPECT_EQ(bank.articulations[1].outputs[0].data1, 25);
}

TEST(KeySwitchListReader, SoundVariationsSendTheirActivation) {
  const ForeignBank bank =
      Read(List("<Attributes name=\"Legato\" color=\"FFDD6105\" id=\"7\" pitch=\"36\" "
                "activation=\"note24|note25.90 | off24|cc1.64|pc5|bc0.2|off25.3\"/>\n"
                "<Attributes name=\"Pizz\" id=\"8\" activation=\"\" momentary=\"1\"/>\n"
                "<Attributes name=\"Shorts\" folder=\"1\" pitch=\"40\">\n"
                "  <Attributes name=\"Spiccato\" id=\"9\" pitch=\"41\" activation=\"note41\"/>\n"
                "</Attributes>\n"
                "<Attributes x:id=\"score\">\n"
                "  <Attributes symbol=\"slur\" variationID=\"7\" useGenerator=\"1\"/>\n"
                "  <Attributes symbol=\"circ\" variationID=\"8\"/>\n"
                "  <Attributes symbol=\"stac\" variationID=\"3\"/>\n"
                "</Attributes>\n"));
  EXPECT_EQ(bank.name, "Horns");
  ASSERT_EQ(bank.articulations.size(), 4u) << "the score block is no articulation";
  const ForeignArticulation& legato = bank.articulations[0];
  struct Want {
    Kind kind;
    int data1, data2;
  };
  const Want wanted[] = {{Kind::Note, 24, 127},       {Kind::Note, 25, 90},
                         {Kind::Other, 24, 127},      {Kind::ControlChange, 1, 64},
                         {Kind::ProgramChange, 5, 0}, {Kind::ControlChange, 0, 2},
                         {Kind::Other, 25, 3}};
  ASSERT_EQ(legato.outputs.size(), std::size(wanted));
  for (size_t i = 0; i < std::size(wanted); ++i) {
    EXPECT_EQ(legato.outputs[i].kind, wanted[i].kind) << i;
    EXPECT_EQ(legato.outputs[i].data1, wanted[i].data1) << i;
    EXPECT_EQ(legato.outputs[i].data2, wanted[i].data2) << i;
  }
  EXPECT_EQ(legato.outputs[2].text, "off24");
  EXPECT_EQ(legato.iconName, "legato") << "the score's slur";
  EXPECT_EQ(legato.notes, (std::vector<std::string>{"input key C1 (pitch=36)", "colour FFDD6105"}));

  const ForeignArticulation& pizz = bank.articulations[1];
  EXPECT_TRUE(pizz.outputs.empty());
  EXPECT_FALSE(pizz.hidden) << "an empty activation is an articulation that sends nothing";
  EXPECT_EQ(pizz.extras, std::vector<std::string>{"momentary=\"1\""});
  EXPECT_EQ(pizz.notes, std::vector<std::string>{"score symbol \"circ\""});

  EXPECT_TRUE(bank.articulations[2].hidden) << "a folder";
  EXPECT_EQ(bank.articulations[3].name, "Spiccato") << "inside the folder";
  EXPECT_EQ(bank.articulations[3].outputs[0].data1, 41);
  EXPECT_EQ(bank.notes,
            std::vector<std::string>{
                "score symbol \"stac\" for variation id \"3\", which no articulation has"});
}

TEST(KeySwitchListReader, ImportKeepsWhatTheInstrumentReceives) {
  const std::string text = List(
      "<Attributes name=\"Legato\" color=\"FF000000\" pitch=\"36\" "
      "activation=\"note24.100|cc32.20|off24\"/>");
  ForeignMap map;
  ImportError error;
  ASSERT_TRUE(ReadForeignMap("h.keyswitch", {text.begin(), text.end()}, map, error))
      << error.message;
  ImportResult result;
  ASSERT_TRUE(ImportForeignMap(map, "h.keyswitch", {}, result, error)) << error.message;
  const SlotSettings& slot = result.settings.slots[0];
  EXPECT_EQ(slot.keyswitch, 24);
  EXPECT_EQ(slot.additions.keyswitchVelocity, 100);
  EXPECT_EQ(slot.uacc, 20);
  EXPECT_EQ(result.warnings,
            std::vector<std::string>{
                "h.keyswitch: slot 1 \"Legato\" (articulation 1 in the file, line 3): dropped "
                "\"off24\""});
  EXPECT_EQ(result.notes.size(), 2u);  // the input key and the colour
}

TEST(KeySwitchListReader, BadListsNameTheLineAndTheProblem) {
  struct Case {
    std::string text;
    const char* where;
    const char* message;
  };
  std::string deep = "<Attributes name=\"leaf\" pitch=\"1\"/>";
  for (int i = 0; i < 12; ++i) deep = "<Attributes folder=\"1\">" + deep + "</Attributes>";
  const Case cases[] = {
      {List("<Attributes name=\"A\" activation=\"note24|pb3\"/>"), "line 3 (\"A\")",
       "unknown activation token \"pb3\" (known: noteN, noteN.V, offN, offN.V, ccN.V, pcN, "
       "bcN.V)"},
      {List("<Attributes name=\"A\" activation=\"note\"/>"), "line 3", "unknown activation token"},
      {List("<Attributes name=\"A\" activation=\"cc1\"/>"), "line 3",
       "activation token \"cc1\" does not read as ccN.V"},
      {List("<Attributes name=\"A\" activation=\"pc3.1\"/>"), "line 3", "does not read as pcN"},
      {List("<Attributes name=\"A\" activation=\"note200\"/>"), "line 3",
       "activation token \"note200\": N 200 is outside 0..127"},
      {List("<Attributes name=\"A\" pitch=\"C1\"/>"), "line 3", "pitch \"C1\" is not a whole"},
      {List("<Attributes name=\"A\" pitch=\"128\"/>"), "line 3", "pitch 128 is outside 0..127"},
      {List(""), "<Music.KeySwitchList>", "no articulations"},
      {List(deep), "line", "folders nested more than 8 deep"},
      {"<KeySwitchList/>", "<KeySwitchList>", "not a key switch list"},
      {List("<Attributes name=\"A\" pitch=\"1\"/>").substr(0, 60), "line 2", "cut short"},
  };
  for (const Case& c : cases) {
    ForeignMap map;
    ImportError error;
    EXPECT_FALSE(ReadKeySwitchList(c.text, map, error)) << c.text;
    EXPECT_NE(error.where.find(c.where), std::string::npos) << error.where << " for " << c.text;
    EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    EXPECT_TRUE(map.banks.empty()) << "a refused file fills nothing";
  }
}

TEST(KeySwitchListWriter, WritesSoundVariationsAndNamesWhatItCannotHold) {
  PluginSettings settings;
  SlotSettings& legato = settings.slots[0];
  legato.name = "Legato";
  legato.icon = 9;  // pizz: the name gives legato back
  legato.keyswitch = 24;
  legato.additions.keyswitchVelocity = 100;
  legato.uacc = 20;
  legato.additions.noteChannels = kPluginChannelBit | 1u << 1;
  legato.additions.transpose = 12;
  legato.additions.actionCount = 4;
  legato.additions.actions[0] = {ActionKind::kProgramChange, 0, 5, 0};
  legato.additions.actions[1] = {ActionKind::kNoteHeld, 0, 30, 64};
  legato.additions.actions[2] = {ActionKind::kControlChange, 3, 58, 9};
  legato.additions.actions[3] = {ActionKind::kPitchBend, 0, 0, 0};
  settings.slots[2].name = "Spare";  // after an empty slot, which keeps its place

  const std::string text = WriteKeySwitchList(settings, "Horns & Co", nullptr);
  EXPECT_EQ(text.rfind("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<Music.KeySwitchList name=\"Horns &amp; Co\">\n"
                       "\t<Attributes name=\"Legato\" color=\"FFDD6105\" id=\"0\" pitch=\"24\" "
                       "activation=\"note24.100|cc32.20|pc5|note30.64|cc58.9\" />\n"
                       "\t<Attributes name=\"\" color=\"FFD89D00\" id=\"1\" pitch=\"0\" "
                       "activation=\"\" />\n",
                       0),
            0u)
      << text;

  std::string written, error;
  std::vector<std::string> losses, notes;
  ASSERT_TRUE(ExportForeignMap("x.keyswitch", settings, written, losses, notes, error)) << error;
  EXPECT_EQ(written, WriteKeySwitchList(settings, "x", nullptr)) << "titled by the file's name";
  const std::string slot = "x.keyswitch: slot 1 \"Legato\": ";
  EXPECT_EQ(losses, (std::vector<std::string>{
                        slot + "held note F#0 v64 not kept: a .keyswitch has no held notes; it "
                               "is written as a note",
                        slot + "CC 58 = 9 on channel 3 not kept: a .keyswitch sends everything "
                               "on the track's channel",
                        slot + "pitch bend -8192 not kept: a .keyswitch sends no pitch bends",
                        slot + "transpose 12 not kept: a .keyswitch has no transpose",
                        slot + "notes on channel 2 not kept: a .keyswitch plays the notes on the "
                               "track's channel",
                    }));
  EXPECT_EQ(notes, std::vector<std::string>{slot + "icon 9 (pizz) comes back as icon 1 (legato): "
                                                   "a .keyswitch holds no icon"});
}

}  // namespace
