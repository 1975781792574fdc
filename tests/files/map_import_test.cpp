// The import rules on maps built by hand: what becomes a slot, what is
// dropped and the warning line each dropped thing gets.
#include "maps/map_import.h"

#include <gtest/gtest.h>

namespace {

using Kind = ForeignOutput::Kind;

ForeignOutput Out(Kind kind, int data1, int data2, std::string text, int channel = -1) {
  ForeignOutput o;
  o.kind = kind;
  o.data1 = data1;
  o.data2 = data2;
  o.text = std::move(text);
  o.channel = channel;
  return o;
}

ForeignArticulation Art(std::string name, std::vector<ForeignOutput> outputs = {},
                        std::string icon = "") {
  ForeignArticulation a;
  a.name = std::move(name);
  a.outputs = std::move(outputs);
  a.iconName = std::move(icon);
  a.where = "line 9";
  return a;
}

ForeignMap OneBank(std::vector<ForeignArticulation> articulations) {
  ForeignMap map;
  map.banks.push_back({"Violins", "Vln", std::move(articulations), {}, {}, "line 1", ""});
  return map;
}

ImportResult Import(const ForeignMap& map, ImportChoice choice = {}) {
  ImportResult result;
  ImportError error;
  EXPECT_TRUE(ImportForeignMap(map, "v.reabank", choice, result, error)) << error.message;
  return result;
}

ImportError Refuse(const ForeignMap& map, ImportChoice choice = {}) {
  ImportResult result;
  result.warnings.push_back("kept");
  ImportError error;
  EXPECT_FALSE(ImportForeignMap(map, "v.reabank", choice, result, error));
  EXPECT_EQ(result.warnings, std::vector<std::string>{"kept"});
  return error;
}

TEST(MapImport, FirstOutputsOfEachKindMakeTheSlot) {
  const auto r = Import(
      OneBank({Art("Legato",
                   {Out(Kind::ControlChange, 1, 90, "cc:1,90"), Out(Kind::Note, 24, 127, "note:24"),
                    Out(Kind::ControlChange, 32, 20, "cc:32,20")},
                   "legato"),
               Art("Pizz. short"), Art("Whatever", {}, "")}));
  EXPECT_TRUE(r.warnings.empty());
  const SlotSettings& legato = r.settings.slots[0];
  EXPECT_EQ(legato.name, "Legato");
  EXPECT_EQ(legato.keyswitch, 24);
  EXPECT_EQ(legato.uacc, 20);
  EXPECT_EQ(legato.modwheel, 90);
  EXPECT_EQ(legato.icon, 1);
  EXPECT_EQ(r.settings.slots[1].icon, 9);   // from the words of the name
  EXPECT_EQ(r.settings.slots[2].icon, 55);  // the plain note
  EXPECT_TRUE(r.settings.slots[3].IsDefault());
}

SlotAction Action(ActionKind kind, int channel, int number, int value) {
  return {kind, static_cast<uint8_t>(channel), static_cast<uint8_t>(number),
          static_cast<uint16_t>(value)};
}

std::vector<SlotAction> Actions(const SlotSettings& slot) {
  const auto& a = slot.additions;
  return {a.actions.begin(), a.actions.begin() + a.actionCount};
}

TEST(MapImport, EveryOutputIsKeptInFileOrder) {
  auto a = Art(
      "Trem",
      {Out(Kind::HeldNote, 24, 100, "note-hold:24,100", 2), Out(Kind::Note, 25, 90, "note:25,90"),
       Out(Kind::ControlChange, 64, 127, "cc:64,127"), Out(Kind::ControlChange, 32, 11, "cc:32,11"),
       Out(Kind::Note, 26, 0, "note:26,0"), Out(Kind::ControlChange, 32, 12, "cc:32,12"),
       Out(Kind::ControlChange, 1, 5, "cc@4:1,5", 3), Out(Kind::ProgramChange, 5, 0, "program:5"),
       Out(Kind::PitchBend, -4096, 0, "pitch:-4096"), Out(Kind::Routing, 0, 0, "@3", 2),
       Out(Kind::Other, 3, 0, "art:3")},
      "no-such-icon");
  a.outputs[0].routes = false;
  a.extras = {"velocity=0.8"};
  a.notes = {"group 2 (g=2)"};
  a.transpose = -12;
  auto map = OneBank({a});
  map.banks[0].extras = {"chase=1,11 (controller chasing)"};
  const auto r = Import(map);
  const std::string p = "v.reabank: slot 1 \"Trem\" (articulation 1 in the file, line 9): ";
  // Only what changes what the instrument receives and has no place.
  EXPECT_EQ(r.warnings, (std::vector<std::string>{
                            "v.reabank: bank \"Violins\" (\"Vln\"): dropped chase=1,11 "
                            "(controller chasing)",
                            p + "dropped \"art:3\"",
                            p + "dropped velocity=0.8",
                        }));
  EXPECT_EQ(r.notes, (std::vector<std::string>{
                         p + "dropped group 2 (g=2)",
                         p + "dropped icon \"no-such-icon\" (no icon of ours has that name); "
                             "\"tremolo\" from the name instead",
                     }));
  const SlotSettings& slot = r.settings.slots[0];
  EXPECT_EQ(slot.keyswitch, 25);  // the first tapped note on the default channel
  EXPECT_EQ(slot.additions.keyswitchVelocity, 90);
  EXPECT_EQ(slot.uacc, 11);
  EXPECT_EQ(slot.modwheel, kUnset);  // CC 1 on channel 4 is an action
  EXPECT_EQ(slot.additions.transpose, -12);
  // Every output but the '-' held note routes: the default channel, 4 and 3.
  EXPECT_EQ(slot.additions.noteChannels, kPluginChannelBit | 1u << 3 | 1u << 2);
  EXPECT_EQ(Actions(slot), (std::vector<SlotAction>{
                               Action(ActionKind::kNoteHeld, 3, 24, 100),
                               Action(ActionKind::kControlChange, 0, 64, 127),
                               Action(ActionKind::kNoteTap, 0, 26, 127),
                               Action(ActionKind::kControlChange, 0, 32, 12),
                               Action(ActionKind::kControlChange, 4, 1, 5),
                               Action(ActionKind::kProgramChange, 0, 5, 0),
                               Action(ActionKind::kPitchBend, 0, 0, 4096),
                           }));
}

TEST(MapImport, RoutingTransposeAndTooManyActions) {
  // Nothing routes: the notes stay on the plug-in's channel.
  auto quiet = Art("Quiet", {Out(Kind::Note, 30, 127, "-note@2:30", 1)});
  quiet.outputs[0].routes = false;
  auto high = Art("High", {Out(Kind::Routing, 0, 0, "@16", 15)});
  high.transpose = 60;
  std::vector<ForeignOutput> many;
  for (int i = 0; i < kMaxSlotActions + 2; ++i)
    many.push_back(Out(Kind::ControlChange, 20, i, "cc:20," + std::to_string(i)));
  const auto r = Import(OneBank({quiet, high, Art("Many", many)}));
  EXPECT_EQ(r.settings.slots[0].additions.noteChannels, kPluginChannelBit);
  EXPECT_EQ(Actions(r.settings.slots[0]),
            std::vector<SlotAction>{Action(ActionKind::kNoteTap, 2, 30, 127)});
  EXPECT_EQ(r.settings.slots[1].additions.noteChannels, 1u << 15);
  EXPECT_EQ(r.settings.slots[1].additions.transpose, 48);
  EXPECT_EQ(r.settings.slots[2].additions.actionCount, kMaxSlotActions);
  EXPECT_EQ(r.warnings, (std::vector<std::string>{
                            "v.reabank: slot 2 \"High\" (articulation 2 in the file, line 9): "
                            "transpose 60 became 48 (a slot transposes by at most 48 semitones)",
                            "v.reabank: slot 3 \"Many\" (articulation 3 in the file, line 9): "
                            "dropped \"cc:20,32\" (a slot sends at most 32 actions)",
                            "v.reabank: slot 3 \"Many\" (articulation 3 in the file, line 9): "
                            "dropped \"cc:20,33\" (a slot sends at most 32 actions)",
                        }));
}

TEST(MapImport, NoteVelocityZeroIsFullVelocity) {
  // A note-on of velocity 0 would be a note-off: every format's 0 means 127.
  const auto r = Import(OneBank({Art("Off", {Out(Kind::Note, 99, 0, "note:99,0")}),
                                 Art("Soft", {Out(Kind::Note, 98, 1, "note:98,1")})}));
  EXPECT_EQ(r.settings.slots[0].keyswitch, 99);
  EXPECT_EQ(r.settings.slots[0].additions.keyswitchVelocity, 127);
  EXPECT_EQ(r.settings.slots[1].additions.keyswitchVelocity, 1);
  EXPECT_TRUE(r.warnings.empty());
}

TEST(MapImport, NamesBecomeWindows1252) {
  const std::string long300(300, 'x');
  const auto r = Import(OneBank({Art("Détaché 中文"), Art(long300), Art(std::string("a\0b", 3))}));
  EXPECT_EQ(r.settings.slots[0].name, "D\xE9tach\xE9 ??");
  EXPECT_EQ(r.settings.slots[1].name, std::string(255, 'x'));
  EXPECT_EQ(r.settings.slots[2].name, "a?b");
  EXPECT_TRUE(r.warnings.empty());  // a name never reaches the instrument
  ASSERT_EQ(r.notes.size(), 3u);
  EXPECT_EQ(
      r.notes[0],
      "v.reabank: slot 1 \"Détaché 中文\" (articulation 1 in the file, line 9): name: U+4E2D, "
      "U+6587 became \"?\" (names are Windows-1252 text)");
  EXPECT_EQ(r.notes[1].substr(r.notes[1].find("): ")),
            "): name cut to 255 characters (it has 300)");
}

TEST(MapImport, OrderHiddenBeyondSixteenAndPick) {
  std::vector<ForeignArticulation> many;
  for (int i = 1; i <= 19; ++i) many.push_back(Art(std::string(1, 'A').append(std::to_string(i))));
  many[1].hidden = true;
  const auto map = OneBank(many);
  const auto r = Import(map);
  EXPECT_EQ(r.settings.slots[1].name, "A3");
  EXPECT_EQ(r.settings.slots[15].name, "A17");
  EXPECT_EQ(r.notes, std::vector<std::string>{
                         "v.reabank: articulation 2 \"A2\" (line 9): left out, as its program "
                         "hides it"});
  EXPECT_EQ(r.warnings, (std::vector<std::string>{
                            "v.reabank: 2 articulations beyond slot 16 left out: 18 \"A18\", 19 "
                            "\"A19\" (choose up to 16 with --pick)"}));

  // Names compare as retarget pairs them: case and blanks at the ends do not matter.
  const auto picked = Import(map, {"", SplitPickList(" 19, a2 ,1")});
  EXPECT_EQ(picked.settings.slots[0].name, "A19");
  EXPECT_EQ(picked.settings.slots[1].name, "A2");
  EXPECT_EQ(picked.settings.slots[2].name, "A1");
  EXPECT_TRUE(picked.settings.slots[3].IsDefault());
  EXPECT_TRUE(picked.warnings.empty());

  EXPECT_EQ(Refuse(map, {"", {"20"}}).message,
            "there is no articulation 20; bank \"Violins\" (\"Vln\") holds 19 articulations "
            "(--list shows them)");
  EXPECT_EQ(Refuse(map, {"", SplitPickList("1,,2")}).where, "--pick");
  EXPECT_EQ(Refuse(map, {"", std::vector<std::string>(17, "1")}).message,
            "names 17 articulations; at most 16 fit");
}

TEST(MapImport, SelectorsThatFitSeveralListThemByNumber) {
  auto map = OneBank({Art("Legato"), Art("Staccato"), Art(" legato "), Art("1")});
  map.banks[0].articulations[2].notes = {"colour legato (c=legato)"};
  const ImportError twice = Refuse(map, {"", {"LEGATO"}});
  EXPECT_EQ(twice.where, "--pick");
  EXPECT_EQ(twice.message,
            "\"LEGATO\" fits 2 articulations: 1 \"Legato\", 3 \" legato \"; choose one by its "
            "number");
  // A number is the number; another articulation of that name earns a warning.
  const auto r = Import(map, {"", {"3", "1"}});
  EXPECT_EQ(r.settings.slots[1].name, "Legato");
  EXPECT_EQ(r.warnings, std::vector<std::string>{
                            "v.reabank: --pick 1 taken as articulation 1 \"Legato\"; articulation "
                            "4 \"1\" has that name too"});
  // Lines name the slot of the written map and the file's number.
  EXPECT_EQ(r.notes, std::vector<std::string>{
                         "v.reabank: slot 1 \" legato \" (articulation 3 in the file, line 9): "
                         "dropped colour legato (c=legato)"});

  ForeignMap banks = OneBank({Art("One")});
  banks.banks.push_back({"Other Violins", "Vln", {Art("Two")}, {}, {}, "line 20", ""});
  banks.banks.push_back({"2", "", {Art("Three")}, {}, {}, "line 30", ""});
  EXPECT_EQ(Refuse(banks, {"vln ", {}}).message,
            "\"vln \" fits 2 banks: 1 \"Violins\" (\"Vln\"), 2 \"Other Violins\" (\"Vln\"); "
            "choose one by its number");
  const auto second = Import(banks, {"2", {}});
  EXPECT_EQ(second.settings.slots[0].name, "Two");
  EXPECT_EQ(second.warnings,
            std::vector<std::string>{"v.reabank: --bank 2 taken as bank 2 \"Other Violins\" "
                                     "(\"Vln\"); bank 3 \"2\" has that name too"});
  EXPECT_EQ(Import(banks, {"3", {}}).settings.slots[0].name, "Three");
  EXPECT_EQ(Import(banks, {"other violins", {}}).settings.slots[0].name, "Two");
}

TEST(MapImport, BanksByNameOrDisplayName) {
  ForeignMap map = OneBank({Art("One")});
  map.banks.push_back({"Cellos", "", {Art("Two")}, {}, {}, "line 20", ""});
  EXPECT_EQ(Refuse(map).message,
            "holds 2 banks; choose one with --bank NAME or NUMBER: 1 \"Violins\" (\"Vln\"), 2 "
            "\"Cellos\"");
  EXPECT_EQ(Import(map, {"Vln", {}}).settings.slots[0].name, "One");
  EXPECT_EQ(Import(map, {"cellos", {}}).settings.slots[0].name, "Two");
  EXPECT_EQ(Refuse(map, {"Violas", {}}).message,
            "no bank is called \"Violas\"; v.reabank holds 1 \"Violins\" (\"Vln\"), 2 \"Cellos\"");

  ForeignMap hidden = OneBank({Art("H")});
  hidden.banks[0].articulations[0].hidden = true;
  EXPECT_EQ(Refuse(hidden).where, "line 1");
  EXPECT_EQ(Refuse(OneBank({Art("X", {Out(Kind::Note, 128, 127, "note:128")})})).message,
            "\"note:128\" holds a value outside 0..127");
  EXPECT_EQ(Refuse(OneBank({Art("X", {Out(Kind::PitchBend, 8192, 0, "bend")})})).message,
            "\"bend\" bends outside -8192..8191");
}

}  // namespace
