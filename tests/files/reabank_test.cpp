// Reaticulate banks: what the reader takes from a bank, which files it
// refuses and where, and that writing then importing gives the slots back.
#include "maps/formats/reabank.h"

#include <gtest/gtest.h>

#include "maps/map_formats.h"
#include "maps/map_import.h"

namespace {

using Kind = ForeignOutput::Kind;

ForeignMap Read(const std::string& text) {
  ForeignMap map;
  ImportError error;
  EXPECT_TRUE(ReadReabank(text, map, error)) << error.where << ": " << error.message;
  return map;
}

std::string Refused(const std::string& text) {
  ForeignMap map;
  ImportError error;
  EXPECT_FALSE(ReadReabank(text, map, error)) << text;
  return error.where + ": " + error.message;
}

TEST(Reabank, ReadsBanksArticulationsAndOutputs) {
  const ForeignMap map = Read(
      "\xEF\xBB\xBF// a comment\r\n"
      "//! g=\"Example/Strings\" n=\"Violins &quot;A&quot;\" id=v1 chase=1,11\r\n"
      "Bank * * Example Violins\r\n"
      "//! c=legato i=legato o=note:24/cc:32,20\n"
      "//! i=pizz g=2 spacer=1 m=\"\"\n"
      "20  Legato  \n"
      "//! f=hidden,toggle n=Spicc "
      "o=-note-hold@2:25,90/cc:1,64%5/@3.2/program:7/pitch:-8192/art:3\n"
      "42 Spiccato\n"
      "//! clone=v1\n"
      "Bank 1 2 Copy\n");
  ASSERT_EQ(map.banks.size(), 2u);
  const ForeignBank& bank = map.banks[0];
  EXPECT_EQ(bank.name, "Example Violins");
  EXPECT_EQ(bank.displayName, "Violins \"A\"");
  EXPECT_EQ(bank.where, "line 3");
  EXPECT_EQ(bank.group, "Example/Strings");
  EXPECT_EQ(bank.extras, std::vector<std::string>{"controller chasing (chase=1,11)"});
  ASSERT_EQ(bank.articulations.size(), 2u);
  const ForeignArticulation& legato = bank.articulations[0];
  EXPECT_EQ(legato.name, "Legato");
  EXPECT_EQ(legato.iconName, "legato");  // the first i= wins
  EXPECT_EQ(legato.where, "line 6");
  EXPECT_TRUE(legato.extras.empty());
  EXPECT_EQ(legato.notes,
            (std::vector<std::string>{"colour legato (c=legato)",
                                      "a gap of 1 before it in the program's list (spacer=)"}))
      << "an empty message is no note";
  // Another group is a slot like the rest: said, not dropped.
  EXPECT_EQ(legato.remarks,
            std::vector<std::string>{"group 2 (g=2): a slot like the others; a note plays one "
                                     "slot, never one articulation of each group at once as in "
                                     "Reaticulate"});
  ASSERT_EQ(legato.outputs.size(), 2u);
  EXPECT_EQ(legato.outputs[0].kind, Kind::Note);
  EXPECT_EQ(legato.outputs[0].data1, 24);
  EXPECT_EQ(legato.outputs[0].data2, 127);
  EXPECT_EQ(legato.outputs[1].kind, Kind::ControlChange);

  const ForeignArticulation& spicc = bank.articulations[1];
  EXPECT_TRUE(spicc.hidden);
  std::vector<Kind> kinds;
  for (const auto& o : spicc.outputs) kinds.push_back(o.kind);
  EXPECT_EQ(kinds, (std::vector<Kind>{Kind::HeldNote, Kind::ControlChange, Kind::Routing,
                                      Kind::ProgramChange, Kind::PitchBend, Kind::Other}));
  EXPECT_EQ(spicc.outputs[0].channel, 1);
  EXPECT_EQ(spicc.outputs[0].data2, 90);
  EXPECT_EQ(spicc.outputs[0].text, "-note-hold@2:25,90");
  EXPECT_EQ(spicc.outputs[4].data1, -8192);
  EXPECT_EQ(spicc.extras,
            (std::vector<std::string>{"flags toggle (f=hidden,toggle)",
                                      "the condition %5 of \"cc:1,64%5\"", "bus 2 of \"@3.2\""}));
  EXPECT_EQ(spicc.notes, std::vector<std::string>{"display name \"Spicc\" (n=)"});
  EXPECT_TRUE(spicc.remarks.empty());  // group 1, where all stand without g=
  // The clone takes the visible articulations of the bank it names.
  ASSERT_EQ(map.banks[1].articulations.size(), 1u);
  EXPECT_EQ(map.banks[1].articulations[0].name, "Legato");
}

TEST(Reabank, RoutingPrefixesTransposeAndBendsAsReaticulateSendsThem) {
  const ForeignMap map = Read(
      "Bank * * B\n"
      "//! o=note:17,1/@2 transpose=-12\n"
      "1 Layered\n"
      "//! o=cc@4:84,2/-note-hold@5:31/pitch:9000\n"
      "2 Away\n"
      "//! o=-cc:58,1/note@-:24 transpose=60\n"
      "3 Previous\n"
      "//! g=3 o=note-hold:40\n"
      "4 Held apart\n");
  const auto& arts = map.banks[0].articulations;
  EXPECT_EQ(arts[0].transpose, -12);
  EXPECT_FALSE(arts[1].outputs[1].routes);
  EXPECT_EQ(arts[1].outputs[2].data1, 8191) << "Reaticulate clamps a bend";
  EXPECT_EQ(arts[2].outputs[1].channel, -1);
  EXPECT_EQ(arts[2].extras, std::vector<std::string>{
                                "the channel of the previous articulation (@-) of \"note@-:24\"; "
                                "it goes to the plug-in's channel"});

  ImportResult r;
  ImportError error;
  ASSERT_TRUE(ImportForeignMap(map, "b.reabank", {}, r, error)) << error.message;
  const SlotAdditions& layered = r.settings.slots[0].additions;
  EXPECT_EQ(r.settings.slots[0].keyswitch, 17);
  EXPECT_EQ(layered.keyswitchVelocity, 1);
  EXPECT_EQ(layered.noteChannels, kPluginChannelBit | 1u << 1);  // layered on the default and 2
  EXPECT_EQ(layered.transpose, -12);
  const SlotAdditions& away = r.settings.slots[1].additions;
  EXPECT_EQ(away.noteChannels, kPluginChannelBit | 1u << 3);  // the bend has no '-'
  ASSERT_EQ(away.actionCount, 3);
  EXPECT_EQ(away.actions[1], (SlotAction{ActionKind::kNoteHeld, 5, 31, 127}));
  EXPECT_EQ(away.actions[2].value, 16383);
  // Nothing routes (the '-' output, the @- one): the plug-in's channel.
  EXPECT_EQ(r.settings.slots[2].additions.noteChannels, kPluginChannelBit);
  EXPECT_EQ(r.settings.slots[2].keyswitch, 24);
  EXPECT_EQ(r.warnings.size(), 3u);  // @-, the transpose beyond 48, and:
  EXPECT_EQ(
      r.warnings[2],
      "b.reabank: slot 4 \"Held apart\" (articulation 4 in the file, line 9): dropped the "
      "group 3 (g=3) of its held note \"note-hold:40\": the plug-in releases a held note at the "
      "next switch of any slot, Reaticulate only at the next of its group");
}

TEST(Reabank, ClonesByIdOrPathAnywhereAndFailAlone) {
  const ForeignMap map = Read(
      "//! g=\"Lib/Brass\" n=\"Tubas\" clone=\"Lib/Brass/Trombones\"\n"
      "Bank * * Tubas\n"
      "//! o=note:30\n"
      "5 Own\n"
      "//! g=\"Lib/Brass\" clone=\"Lib/Brass/Missing\"\n"
      "Bank * * Lost\n"
      "//! g=Other clone=\"Lib/Brass/Tubas\"\n"
      "Bank * * Chain\n"
      "//! g=Loop clone=Loop/Pong\n"
      "Bank * * Ping\n"
      "//! g=Loop clone=Loop/Ping\n"
      "Bank * * Pong\n"
      "//! g=\"Lib/Brass\"\n"
      "Bank * * Trombones\n"  // n defaults to the Bank line's name; it comes later
      "//! o=note:24\n"
      "1 Sustain\n"
      "//! o=note:25 f=hidden\n"
      "2 Hidden\n");
  ASSERT_EQ(map.banks.size(), 6u);
  std::vector<std::string> tubas;
  for (const auto& a : map.banks[0].articulations) tubas.push_back(a.name);
  EXPECT_EQ(tubas, (std::vector<std::string>{"Own", "Sustain"}));  // its own first
  EXPECT_TRUE(map.banks[0].problem.empty());
  EXPECT_EQ(map.banks[1].problem,
            "it copies the bank \"Lib/Brass/Missing\" (clone=), which this file does not hold by "
            "that id or path");
  ASSERT_EQ(map.banks[2].articulations.size(), 2u);  // a clone of a clone
  EXPECT_NE(map.banks[3].problem.find("leads back to itself"), std::string::npos);
  EXPECT_NE(map.banks[4].problem.find("cannot be imported"), std::string::npos);

  // A chain of clones ends after 16 links; the banks further down stand.
  std::string chain;
  for (int k = 0; k < 20; ++k)
    chain += "//! g=C n=" + std::to_string(k) +
             (k < 19 ? " clone=C/" + std::to_string(k + 1) : "") + "\nBank * * B" +
             std::to_string(k) + "\n";
  const ForeignMap chained = Read(chain + "1 Only\n");
  EXPECT_NE(chained.banks[0].problem.find("chain of clone= runs longer than 16 banks"),
            std::string::npos)
      << chained.banks[0].problem;
  EXPECT_EQ(chained.banks[17].articulations.size(), 1u);

  // The broken bank alone fails to import; --list says why.
  ImportResult result;
  ImportError error;
  EXPECT_TRUE(ImportForeignMap(map, "b.reabank", {"Tubas", {}}, result, error)) << error.message;
  EXPECT_FALSE(ImportForeignMap(map, "b.reabank", {"Lost", {}}, result, error));
  EXPECT_EQ(error.where, "line 6");
  EXPECT_NE(
      error.message.find("bank \"Lost\" in group \"Lib/Brass\" cannot be imported: it copies"),
      std::string::npos);
}

TEST(Reabank, RefusesWithTheLine) {
  const std::string bank = "Bank * * B\n";
  EXPECT_EQ(Refused("1 Legato\n"),
            "line 1: program 1 stands outside a bank: a Bank line must come first");
  EXPECT_EQ(Refused(bank + "128 X\n"), "line 2: program number 128 is outside 0..127");
  EXPECT_EQ(Refused(bank + "1 A\n1 B\n"),
            "line 3: program 1 appears twice in bank \"B\" (line 2 and here)");
  EXPECT_EQ(Refused(bank + "//! o=cc:1,200\n1 A\n"),
            "line 3: output \"cc:1,200\": the value must be 0..127");
  EXPECT_EQ(Refused(bank + "//! o=note:C3\n1 A\n"),
            "line 3: output \"note:C3\": the note must be 0..127");
  EXPECT_EQ(Refused(bank + "//! o=note@17:1\n1 A\n"),
            "line 3: output \"note@17:1\": the channel after @ must be 1..16");
  EXPECT_EQ(Refused(bank + "//! n=\"open\n1 A\n"),
            "line 2: the value of n= opens a quote that never closes");
  EXPECT_EQ(Refused("Bank * * Empty\n// nothing\n"),
            "line 1: bank \"Empty\" holds no articulations");
  EXPECT_EQ(Refused("Bank x * B\n1 A\n"),
            "line 1: a Bank line needs MSB and LSB, each * or a number 0..127, then the name; "
            "\"x\" is neither");
  EXPECT_EQ(Refused(bank + "Legato\n"),
            "line 2: not a Bank line, a program line (a number and a name) or a // comment: "
            "\"Legato\"");
  EXPECT_EQ(Refused(""), ": no Bank line: this is not a Reaticulate bank file");
}

PluginSettings Sample() {
  PluginSettings s;
  s.slots[0] = {"Legato", 1, 24, 20, 96};
  s.slots[1] = {"Spiccato", 4, 25, 20, kUnset};  // UACC 20 taken: another program number
  s.slots[3] = {"D\xE9tach\xE9 \x80", 36, kUnset, kUnset, 0};  // slot 3 stays empty
  s.slots[4] = {"", 127, kUnset, kUnset, kUnset};
  s.slots[6] = {"Staccato", 55, kUnset, kUnset, kUnset};  // the plain note, not the name's icon
  return s;
}

TEST(Reabank, WrittenAdditionsRouteAsTheyDid) {
  PluginSettings s;
  SlotSettings& slot = s.slots[0];
  slot.name = "Away";
  slot.keyswitch = 24;  // on the plug-in's channel, where the notes no longer play
  slot.additions.noteChannels = 1u << 3 | 1u << 6;
  slot.additions.actionCount = 2;
  slot.additions.actions[0] = {ActionKind::kControlChange, 4, 84, 2};
  slot.additions.actions[1] = {ActionKind::kPitchBend, 9, 0, 0};
  const std::string text = WriteReabank(s, "T");
  EXPECT_NE(text.find("o=-note:24/cc@4:84,2/-pitch@9:-8192/@7\n"), std::string::npos) << text;
  ImportResult back;
  ImportError error;
  ASSERT_TRUE(ImportForeignMap(Read(text), "x.reabank", {}, back, error)) << error.message;
  EXPECT_EQ(back.settings.slots[0], slot);
}

TEST(Reabank, WhatABankCannotHoldIsNamedItemByItem) {
  // Reaticulate reads 16 outputs of an articulation, and reaches the
  // track's channel only through an output sent there.
  PluginSettings s;
  SlotSettings& many = s.slots[0];
  many.name = "Many";
  many.keyswitch = 24;
  many.additions.actionCount = 17;
  for (uint8_t i = 0; i < 17; ++i)
    many.additions.actions[i] = {ActionKind::kControlChange, 0, 20, i};
  SlotSettings& layered = s.slots[1];
  layered.additions.noteChannels = kPluginChannelBit | 1u << 1;
  layered.additions.actionCount = 1;
  layered.additions.actions[0] = {ActionKind::kControlChange, 2, 7, 90};
  ExportLosses losses;
  const std::string text = WriteReabank(s, "x", &losses);
  EXPECT_NE(text.find("/cc:20,14\n"), std::string::npos) << text;  // the 16th output
  std::string written, error;
  std::vector<std::string> warnings, notes;
  ASSERT_TRUE(ExportForeignMap("x.reabank", s, written, warnings, notes, error)) << error;
  EXPECT_EQ(written, text);
  EXPECT_EQ(losses.size(), 3u);
  EXPECT_EQ(warnings, (std::vector<std::string>{
                          "x.reabank: slot 1 \"Many\": CC 20 = 15 not kept: a .reabank "
                          "articulation holds at most 16 outputs",
                          "x.reabank: slot 1 \"Many\": CC 20 = 16 not kept: a .reabank "
                          "articulation holds at most 16 outputs",
                          "x.reabank: slot 2: notes on the plug-in's channel not kept: a .reabank "
                          "plays the notes on the track's channel beside others only through an "
                          "output sent there, and this slot sends none there",
                      }));
}

TEST(Reabank, WrittenBankImportsToTheSameSlots) {
  const std::string text = WriteReabank(Sample(), "My \"strings\"\n");
  EXPECT_NE(text.find("//! g=\"Quindle Velmora\" n=\"My &quot;strings&quot;\""), std::string::npos)
      << text;
  EXPECT_NE(text.find("//! i=legato o=note:24/cc:32,20/cc:1,96\n20 Legato\n"), std::string::npos);
  EXPECT_NE(text.find("\n0 Spiccato\n1\n"), std::string::npos) << text;
  ImportResult back;
  ImportError error;
  ASSERT_TRUE(ImportForeignMap(Read(text), "x.reabank", {}, back, error)) << error.message;
  EXPECT_EQ(back.settings, Sample());
  EXPECT_TRUE(back.warnings.empty());

  // An empty map still makes a bank that loads, and comes back empty.
  ASSERT_TRUE(ImportForeignMap(Read(WriteReabank({}, "")), "x", {}, back, error));
  EXPECT_EQ(back.settings, PluginSettings());
}

TEST(MapFormats, DetectionByContentThenExtension) {
  const auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  EXPECT_EQ(DetectMapFormat("a.txt", bytes("// x\nBank * * A\n1 B\n")), MapFormat::Reabank);
  EXPECT_EQ(DetectMapFormat("a.reabank", bytes("")), MapFormat::Reabank);
  EXPECT_EQ(DetectMapFormat("a.reabank", bytes("<?xml version=\"1.0\"?><!-- c --><plist>")),
            MapFormat::ArticulationPlist);
  EXPECT_EQ(DetectMapFormat("a", bytes("<InstrumentMap>")), MapFormat::ExpressionMap);
  EXPECT_EQ(DetectMapFormat("a", bytes("\n<kScoreLibrary x=\"1\">")), MapFormat::DoricoLibrary);
  EXPECT_EQ(DetectMapFormat("a.doricolib", bytes("<?xml ")), MapFormat::DoricoLibrary);
  EXPECT_EQ(DetectMapFormat("a.plist", bytes("{\"slots\": []}")), MapFormat::Unknown);
  EXPECT_EQ(
      DetectMapFormat("a.xml", bytes("\xEF\xBB\xBF<?xml?>\n<Music.KeySwitchList name=\"x\">")),
      MapFormat::KeySwitchList);
  EXPECT_EQ(DetectMapFormat("a.keyswitch", bytes("\xEF\xBB\xBF<?xml ")), MapFormat::KeySwitchList);

  ForeignMap map;
  ImportError error;
  EXPECT_FALSE(ReadForeignMap("a.plist", bytes("bplist00\x01"), map, error));
  EXPECT_EQ(error.message.substr(0, 24), "a binary property list; ");
  EXPECT_FALSE(ReadForeignMap("a.xml", bytes("<svg/>"), map, error));
  EXPECT_EQ(error.where, "<svg>");
  EXPECT_FALSE(ReadForeignMap("a.json", bytes("{}"), map, error));
  EXPECT_EQ(error.message.substr(0, 29), "not a map format known here (");
}

}  // namespace
