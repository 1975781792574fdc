// The readers of the XML map formats: the variants real files come in, what
// they record beyond the slot's own messages, and the errors for bad files.
#include <gtest/gtest.h>

#include "maps/formats/articulation_plist.h"
#include "maps/formats/doricolib.h"
#include "maps/formats/expression_map.h"

namespace {

using Kind = ForeignOutput::Kind;
using Reader = bool (*)(const std::string&, ForeignMap&, ImportError&);

ForeignMap Read(Reader reader, const std::string& text) {
  ForeignMap map;
  ImportError error;
  EXPECT_TRUE(reader(text, map, error)) << error.where << ": " << error.message;
  return map;
}

std::string Event(int status, int data1, int data2) {
  return "<obj class=\"POutputEvent\" ID=\"9\"><int name=\"status\" value=\"" +
         std::to_string(status) + "\"/><int name=\"data1\" value=\"" + std::to_string(data1) +
         "\"/><int name=\"data2\" value=\"" + std::to_string(data2) + "\"/></obj>";
}

// A slot on one line, the way some tools write them.
std::string Slot(const std::string& name, const std::string& events, const std::string& more = "") {
  return "<obj class=\"PSoundSlot\" ID=\"1\"><obj class=\"PSlotMidiAction\" name=\"action\" "
         "ID=\"2\"><member name=\"midiMessages\"><list name=\"obj\" type=\"obj\">" +
         events + "</list></member></obj>" + more +
         "<member name=\"name\"><string name=\"s\" value=\"" + name + "\"/></member></obj>";
}

std::string ExpressionMap(const std::string& slots, const std::string& visuals = "") {
  return "<InstrumentMap><string name=\"name\" value=\"Horns\"/><member name=\"slotvisuals\">"
         "<list name=\"obj\" type=\"obj\">" +
         visuals + "</list></member><member name=\"slots\"><list name=\"obj\" type=\"obj\">" +
         slots + "</list></member></InstrumentMap>";
}

TEST(ExpressionMapReader, SlotsOutputsAndExtras) {
  const std::string visual =
      "<obj class=\"USlotVisuals\" ID=\"77\"><string name=\"text\" value=\"stacc\"/>"
      "<int name=\"group\" value=\"2\"/></obj>";
  std::string slots =
      Slot("  Legato ", Event(144, 24, 127) + Event(176, 32, 20) + Event(192, 5, 0),
           "<obj class=\"PSlotThruTrigger\" name=\"remote\"><int name=\"status\" value=\"144\"/>"
           "<int name=\"data1\" value=\"36\"/></obj>") +
      Slot("Short", Event(176, 1, 64),
           "<member name=\"sv\"><list><obj class=\"USlotVisuals\" ID=\"77\"/></list></member>");
  for (int i = 0; i < 18; ++i) slots += Slot("extra", "");
  const ForeignMap map = Read(ReadExpressionMap, ExpressionMap(slots, visual));
  ASSERT_EQ(map.banks.size(), 1u);
  const ForeignBank& bank = map.banks[0];
  EXPECT_EQ(bank.name, "Horns");
  ASSERT_EQ(bank.articulations.size(), 20u) << "more than 16 slots are all read";
  const ForeignArticulation& legato = bank.articulations[0];
  EXPECT_EQ(legato.name, "Legato");
  EXPECT_EQ(legato.where, "sound slot 1");
  ASSERT_EQ(legato.outputs.size(), 3u);
  EXPECT_EQ(legato.outputs[0].kind, Kind::Note);
  EXPECT_EQ(legato.outputs[0].data1, 24);
  EXPECT_EQ(legato.outputs[1].kind, Kind::ControlChange);
  EXPECT_EQ(legato.outputs[2].kind, Kind::ProgramChange);
  EXPECT_TRUE(legato.extras.empty());
  EXPECT_EQ(legato.notes, std::vector<std::string>{"remote key C1 (36)"});
  const ForeignArticulation& shortSlot = bank.articulations[1];
  EXPECT_EQ(shortSlot.iconName, "stacc") << "a visual referred to by ID";
  EXPECT_EQ(shortSlot.notes, std::vector<std::string>{"articulation \"stacc\" in group 3"});
}

TEST(ExpressionMapReader, NoteChangerChannelIsRouting) {
  const std::string changer =
      "<member name=\"noteChanger\"><list><obj class=\"PSlotNoteChanger\">"
      "<int name=\"channel\" value=\"3\"/><int name=\"transpose\" value=\"-12\"/>"
      "<float name=\"lengthFact\" value=\"0.5\"/></obj></list></member>";
  std::string slot = Slot("Pizz", Event(144, 30, 100));
  slot.insert(slot.find("<member name=\"midiMessages\">"), changer);
  const ForeignArticulation art =
      Read(ReadExpressionMap, "<?xml version=\"1.0\"?>\n" + ExpressionMap(slot))
          .banks[0]
          .articulations[0];
  ASSERT_EQ(art.outputs.size(), 2u);
  EXPECT_EQ(art.outputs[0].kind, Kind::Routing);
  EXPECT_EQ(art.outputs[0].channel, 3);
  // The slot's channel carries its messages, which do not route themselves.
  EXPECT_EQ(art.outputs[1].channel, 3);
  EXPECT_FALSE(art.outputs[1].routes);
  EXPECT_EQ(art.transpose, -12);
  EXPECT_EQ(art.extras, (std::vector<std::string>{"lengthFact \"0.5\""}));
}

std::string Plist(const std::string& articulations, const std::string& more = "") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>Articulations</key><array>" +
         articulations + "</array>" + more + "<key>Name</key><string>Winds</string></dict></plist>";
}

std::string Output(const std::string& status, int mb1, int value) {
  return "<dict><key>MB1</key><integer>" + std::to_string(mb1) +
         "</integer><key>Status</key><string>" + status + "</string><key>ValueLow</key><integer>" +
         std::to_string(value) + "</integer></dict>";
}

TEST(ArticulationPlistReader, OutputAsDictOrArrayAnyCase) {
  const std::string text = Plist(
      "<dict><key>ID</key><integer>1001</integer><key>Name</key><string>Legato</string>"
      "<key>Output</key>" +
          Output("Note ON", 24, 127) +
          "<key>Symbol</key><string>Legato</string></dict>"
          "<dict><key>ID</key><integer>1002</integer><key>Name</key><string>Stacc</string>"
          "<key>Output</key><array>" +
          Output("note on", 25, 100) + Output("Controller", 32, 40) + Output("Pitch Bend", 0, 64) +
          "</array></dict>",
      "<key>Switches</key><array><dict><key>ID</key><integer>1002</integer>"
      "<key>MB1</key><integer>12</integer></dict></array>"
      "<key>OctaveOffset</key><integer>1</integer>");
  const ForeignBank bank = Read(ReadArticulationPlist, text).banks[0];
  EXPECT_EQ(bank.name, "Winds");
  ASSERT_EQ(bank.articulations.size(), 2u);
  const ForeignArticulation& legato = bank.articulations[0];
  EXPECT_EQ(legato.iconName, "Legato");
  ASSERT_EQ(legato.outputs.size(), 1u);
  EXPECT_EQ(legato.outputs[0].kind, Kind::Note);
  EXPECT_TRUE(legato.extras.empty());
  EXPECT_EQ(bank.notes, std::vector<std::string>{"OctaveOffset 1"});
  const ForeignArticulation& stacc = bank.articulations[1];
  EXPECT_EQ(stacc.where, "Articulations[1]");
  ASSERT_EQ(stacc.outputs.size(), 3u);
  EXPECT_EQ(stacc.outputs[0].kind, Kind::Note);
  EXPECT_EQ(stacc.outputs[0].data2, 100);
  EXPECT_EQ(stacc.outputs[1].kind, Kind::ControlChange);
  EXPECT_EQ(stacc.outputs[2].kind, Kind::PitchBend);
  EXPECT_EQ(stacc.notes, std::vector<std::string>{"input switch MB1 12"})
      << "the switch goes to the articulation whose ID it names";
}

TEST(ArticulationPlistReader, AsLogicSavesThem) {
  // No ValueLow on a Note On (velocity 127), a whole <real> for an integer.
  const std::string text = Plist(
      "<dict><key>ID</key><real>1001.0</real><key>Name</key><string>Long</string>"
      "<key>Output</key><array><dict><key>MB1</key><integer>0</integer>"
      "<key>Status</key><string>Note On</string></dict></array></dict>",
      "<key>Switches</key><array><dict><key>ID</key><real>1001</real></dict></array>");
  const ForeignBank bank = Read(ReadArticulationPlist, text).banks[0];
  ASSERT_EQ(bank.articulations[0].outputs.size(), 1u);
  EXPECT_EQ(bank.articulations[0].outputs[0].data2, 127);
  EXPECT_EQ(bank.articulations[0].notes.size(), 1u) << "the switch found its articulation";

  ForeignMap map;
  ImportError error;
  EXPECT_FALSE(ReadArticulationPlist(
      Plist("<dict><key>ID</key><real>1001.5</real><key>Name</key><string>A</string></dict>"), map,
      error));
  EXPECT_EQ(error.where, "Articulations[0].ID");
  EXPECT_EQ(error.message, "<real> \"1001.5\" is not a whole number");
}

TEST(DoricoLibraryReader, OneBankPerMapNamedByIt) {
  const std::string combination =
      "<playingTechniqueCombination><techniqueIDs>pt.natural,pt.legato</techniqueIDs>"
      "<switchOnActions><switchOnAction><type>kKeySwitch</type><param1>24</param1>"
      "</switchOnAction><switchOnAction><type>kControlChange</type><param1>1</param1>"
      "<param2>90</param2></switchOnAction></switchOnActions><switchOffActions>"
      "<switchOffAction><type>kKeySwitch</type><param1>25</param1><param2>1</param2>"
      "</switchOffAction></switchOffActions></playingTechniqueCombination>";
  const std::string text =
      "<kScoreLibrary><expressionMapDefinitions><entities>"
      "<ExpressionMapDefinition><name>Empty</name></ExpressionMapDefinition>"
      "<ExpressionMapDefinition><name>Violins</name><playingTechniqueCombinations>" +
      combination +
      "<playingTechniqueCombination><name>Pizz</name></playingTechniqueCombination>"
      "</playingTechniqueCombinations></ExpressionMapDefinition>"
      "<ExpressionMapDefinition><name>Violas</name><playingTechniqueCombinations>" +
      combination +
      "</playingTechniqueCombinations></ExpressionMapDefinition>"
      "</entities></expressionMapDefinitions></kScoreLibrary>";
  const ForeignMap map = Read(ReadDoricoLibrary, text);
  ASSERT_EQ(map.banks.size(), 2u) << "a map without combinations has nothing to import";
  EXPECT_EQ(map.banks[0].name, "Violins");
  EXPECT_EQ(map.banks[1].name, "Violas");
  const ForeignArticulation& art = map.banks[0].articulations[0];
  EXPECT_EQ(art.name, "pt.natural,pt.legato");
  ASSERT_EQ(art.outputs.size(), 2u);
  EXPECT_EQ(art.outputs[0].kind, Kind::Note);
  EXPECT_EQ(art.outputs[0].data2, 127) << "a keyswitch without velocity";
  EXPECT_EQ(art.outputs[1].kind, Kind::ControlChange);
  EXPECT_EQ(art.extras, std::vector<std::string>{"switch-off action kKeySwitch 25, 1"});
  EXPECT_EQ(map.banks[0].articulations[1].name, "Pizz");
}

TEST(XmlMapReaders, BadFilesNameTheElementAndTheProblem) {
  const std::string slot = Slot("Legato", Event(144, 24, 127));
  struct Case {
    Reader reader;
    std::string text;
    const char* where;
    const char* message;
  };
  const Case cases[] = {
      {ReadExpressionMap, ExpressionMap(slot).substr(0, 150), "line 1, column", "cut short"},
      {ReadExpressionMap, "<a>\n <b></c>\n</a>", "line 2, column", "damaged XML"},
      {ReadExpressionMap, "<Other/>", "<Other>", "not an expression map"},
      {ReadExpressionMap, ExpressionMap(""), "slots", "no sound slots"},
      {ReadExpressionMap, ExpressionMap(Slot("Legato", Event(144, 200, 127))),
       "sound slot 1 (\"Legato\"), output 1", "data1 200 is outside 0..127"},
      {ReadExpressionMap, ExpressionMap(Slot("", Event(176, 1, -1))), "sound slot 1, output 1",
       "data2 -1 is outside"},
      {ReadExpressionMap, ExpressionMap(Slot("x", Event(90, 1, 1))), "output 1", "no MIDI status"},
      {ReadArticulationPlist, "bplist00\x01", "file start", "binary property list"},
      {ReadArticulationPlist, Plist("").substr(0, Plist("").find("</array>") + 1), "line 2",
       "cut short"},
      {ReadArticulationPlist, Plist(""), "Articulations", "no articulations"},
      {ReadArticulationPlist,
       Plist("<dict><key>Output</key>" + Output("Controller", 1, 128) + "</dict>"),
       "Articulations[0].Output.ValueLow", "ValueLow 128 is outside 0..127"},
      {ReadArticulationPlist,
       Plist(
           "<dict><key>Output</key><dict><key>Status</key><string>Note On</string></dict></dict>"),
       "Articulations[0].Output.MB1", "missing"},
      {ReadArticulationPlist, Plist("<string>x</string>"), "Articulations[0]", "must be a <dict>"},
      {ReadArticulationPlist, "<plist><array/></plist>", "<plist>", "must hold a <dict>"},
      {ReadDoricoLibrary, "<kScoreLibrary/>", "expressionMapDefinitions", "no expression maps"},
      {ReadDoricoLibrary,
       "<kScoreLibrary><expressionMapDefinitions><entities><ExpressionMapDefinition><name>V</name>"
       "<playingTechniqueCombinations><playingTechniqueCombination><name>Leg</name>"
       "<switchOnActions><switchOnAction><type>kControlChange</type><param1>1</param1>"
       "</switchOnAction></switchOnActions></playingTechniqueCombination>"
       "</playingTechniqueCombinations></ExpressionMapDefinition></entities>"
       "</expressionMapDefinitions></kScoreLibrary>",
       "map 1 (\"V\"), combination 1 (\"Leg\"), switch-on action 1", "param2 is missing"},
  };
  for (const Case& c : cases) {
    ForeignMap map;
    ImportError error;
    EXPECT_FALSE(c.reader(c.text, map, error)) << c.text;
    EXPECT_NE(error.where.find(c.where), std::string::npos) << error.where << " for " << c.text;
    EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
    EXPECT_TRUE(map.banks.empty()) << "a refused file fills nothing";
  }
}

}  // namespace
