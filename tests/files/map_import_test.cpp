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
  map.banks.push_back({"Violins", "Vln", std::move(articulations), {}, {}, "line 1", "", ""});
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
  a.notes = {"colour short (c=short)"};
  a.remarks = {"group 2 (g=2): a slot like the others"};
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
                         p + "dropped colour short (c=short)",
                         p + "group 2 (g=2): a slot like the others",
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

  // What was left out, and why, for messages that meet a left-out name.
  ASSERT_EQ(r.leftOut.size(), 3u);
  EXPECT_EQ(r.leftOut[0].why, "hidden by its program");
  EXPECT_EQ(r.leftOut[2].number, 19u);
  EXPECT_EQ(r.taken.size(), 16u);
  EXPECT_EQ(picked.taken, (std::vector<size_t>{19, 2, 1}));
  EXPECT_EQ(picked.leftOut[1].why, "not picked");
}

// --pick entries: numbers, names and ranges in any mix, into slots in order;
// each articulation once, at most 16; errors name the entry.
TEST(MapImport, PickRangesNamesAndTheirLimits) {
  std::vector<ForeignArticulation> many;
  for (int i = 1; i <= 20; ++i) many.push_back(Art("A" + std::to_string(i)));
  many[19].name = "3-4";  // a name that reads as a range
  const auto map = OneBank(many);
  struct Case {
    const char* pick;
    const char* slots;  // the slots' names, or the error after "--pick: "
  };
  const Case cases[] = {
      {"2-4,12", "A2 A3 A4 A12"},
      {"a7, 5 - 6 ,1", "A7 A5 A6 A1"},
      {"4-2", "A4 A3 A2"},
      {"9-9", "A9"},
      {"1-16", "A1 A2 A3 A4 A5 A6 A7 A8 A9 A10 A11 A12 A13 A14 A15 A16"},
      {"1-8,5",
       "\"5\" takes articulation 5 \"A5\" a second time (entry \"1-8\" took it "
       "already); each articulation becomes one slot"},
      {"2,2",
       "\"2\" takes articulation 2 \"A2\" a second time (entry \"2\" took it already); "
       "each articulation becomes one slot"},
      {"1-10,A18,11-17",
       "\"11-17\" goes past 16 articulations at articulation 16 \"A16\"; at "
       "most 16 fit, one per slot"},
      {"18-21",
       "\"18-21\": there is no articulation 21; bank \"Violins\" (\"Vln\") holds 20 "
       "articulations (--list shows them)"},
      {"0-3",
       "\"0-3\": there is no articulation 0; bank \"Violins\" (\"Vln\") holds 20 "
       "articulations (--list shows them)"},
      {"2-", "\"2-\" is neither a range FIRST-LAST (such as 2-8) nor an articulation's name"},
      {"1,,2", "an entry is empty (two commas in a row, or one at an end)"},
  };
  for (const Case& c : cases) {
    ImportResult result;
    ImportError error;
    const bool ok = ImportForeignMap(map, "v.reabank", {"", SplitPickList(c.pick)}, result, error);
    std::string got;
    if (ok) {
      for (const SlotSettings& slot : result.settings.slots)
        if (!slot.name.empty()) got += (got.empty() ? "" : " ") + slot.name;
    } else {
      EXPECT_EQ(error.where, "--pick") << c.pick;
      got = error.message;
    }
    EXPECT_EQ(got, c.slots) << c.pick;
  }
  // A range is a range even where an articulation has its text for a name.
  const auto r = Import(map, {"", {"3-4"}});
  EXPECT_EQ(r.settings.slots[1].name, "A4");
  EXPECT_EQ(r.warnings, std::vector<std::string>{
                            "v.reabank: --pick 3-4 taken as the range of articulations 3 to 4; an "
                            "articulation has that name too"});
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
  banks.banks.push_back({"Other Violins", "Vln", {Art("Two")}, {}, {}, "line 20", "", ""});
  banks.banks.push_back({"2", "", {Art("Three")}, {}, {}, "line 30", "", ""});
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
  map.banks.push_back({"Cellos", "", {Art("Two")}, {}, {}, "line 20", "", ""});
  EXPECT_EQ(Refuse(map).message,
            "holds 2 banks; choose one with --bank NAME or NUMBER: 1 \"Violins\" (\"Vln\"), 2 "
            "\"Cellos\"");
  EXPECT_EQ(Import(map, {"Vln", {}}).settings.slots[0].name, "One");
  EXPECT_EQ(Import(map, {"cellos", {}}).settings.slots[0].name, "Two");
  EXPECT_EQ(Refuse(map, {"Violas", {}}).message,
            "no bank is called \"Violas\"; v.reabank holds 1 \"Violins\" (\"Vln\"), 2 \"Cellos\"");

  // Banks of one name in several groups: GROUP/NAME, or the path's last
  // parts and the name, tell them apart; a name holding '/' stays whole.
  ForeignMap groups;
  for (const char* group : {"Lib/Strings Ensemble", "Lib/Strings Chamber", "Lib/Strings Solo"})
    groups.banks.push_back(
        {"Lib 01 Violins", "01 Violins", {Art(group)}, {}, {}, "line 1", "", group});
  groups.banks.push_back({"Violins 1/2", "", {Art("Halves")}, {}, {}, "line 9", "", "Lib"});
  groups.banks.push_back({"Strings Solo/01 Violins", "", {Art("Flat")}, {}, {}, "line 12", "", ""});
  EXPECT_EQ(
      Refuse(groups, {"01 violins", {}}).message,
      "\"01 violins\" fits 3 banks: 1 \"Lib 01 Violins\" (\"01 Violins\") in group "
      "\"Lib/Strings Ensemble\", 2 \"Lib 01 Violins\" (\"01 Violins\") in group \"Lib/Strings "
      "Chamber\", 3 \"Lib 01 Violins\" (\"01 Violins\") in group \"Lib/Strings Solo\"; choose "
      "one by its number or as GROUP/NAME, such as \"Lib/Strings Chamber/01 Violins\"");
  const std::pair<const char*, const char*> chosen[] = {
      {"Strings Chamber/01 Violins", "Lib/Strings Chamber"},
      {"lib/strings solo/lib 01 violins", "Lib/Strings Solo"},
      {"Violins 1/2", "Halves"},
      {"Lib/Violins 1/2", "Halves"},
      {"2", "Lib/Strings Chamber"},
  };
  for (const auto& [wanted, slot] : chosen)
    EXPECT_EQ(Import(groups, {wanted, {}}).settings.slots[0].name, slot) << wanted;
  EXPECT_EQ(Refuse(groups, {"1/2", {}}).message.substr(0, 29), "no bank is called \"1/2\"; v.re");
  // A name holding '/' and another bank's GROUP/NAME alike: both fit.
  EXPECT_EQ(Refuse(groups, {"Strings Solo/01 Violins", {}}).message.substr(0, 47),
            "\"Strings Solo/01 Violins\" fits 2 banks: 3 \"Lib ");
  EXPECT_EQ(ForeignBankLabel(groups.banks[1]),
            "\"Lib 01 Violins\" (\"01 Violins\") in group \"Lib/Strings Chamber\"");

  ForeignMap hidden = OneBank({Art("H")});
  hidden.banks[0].articulations[0].hidden = true;
  EXPECT_EQ(Refuse(hidden).where, "line 1");
  EXPECT_EQ(Refuse(OneBank({Art("X", {Out(Kind::Note, 128, 127, "note:128")})})).message,
            "\"note:128\" holds a value outside 0..127");
  EXPECT_EQ(Refuse(OneBank({Art("X", {Out(Kind::PitchBend, 8192, 0, "bend")})})).message,
            "\"bend\" bends outside -8192..8191");
}

}  // namespace
