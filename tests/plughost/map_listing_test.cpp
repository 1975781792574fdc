// What import --list prints: banks with their names, groups and problems,
// articulations with their outputs as a musician reads them, the marks of
// those no choice takes; and our own map's slots in use.
#include "tools/plughost/map_listing.h"

#include <gtest/gtest.h>

namespace {

using Kind = ForeignOutput::Kind;

ForeignOutput Out(Kind kind, int data1, int data2, int channel = -1, std::string text = "") {
  ForeignOutput o;
  o.kind = kind;
  o.data1 = data1;
  o.data2 = data2;
  o.channel = channel;
  o.text = std::move(text);
  return o;
}

ForeignArticulation Art(std::string name, std::vector<ForeignOutput> outputs = {}) {
  ForeignArticulation a;
  a.name = std::move(name);
  a.outputs = std::move(outputs);
  return a;
}

TEST(MapListing, BanksAndArticulationsAsAMusicianReadsThem) {
  ForeignMap map;
  ForeignBank strings{"Lib 01 Violins",     "01 Violins", {}, {}, {}, "line 1", "",
                      "Lib/Strings Chamber"};
  strings.articulations.push_back(
      Art("Away", {Out(Kind::ControlChange, 84, 2, 3), Out(Kind::HeldNote, 31, 0, 4),
                   Out(Kind::PitchBend, 8191, 0)}));
  ForeignArticulation idle = Art("Idle");
  idle.hidden = true;
  idle.hiddenBecause = "it sends nothing";
  strings.articulations.push_back(idle);
  ForeignArticulation spicc =
      Art("Spicc", {Out(Kind::Note, 24, 100), Out(Kind::Routing, 0, 0, 1),
                    Out(Kind::ProgramChange, 5, 0), Out(Kind::Other, 0, 0, -1, "art:3")});
  spicc.hidden = true;
  spicc.transpose = -12;
  strings.articulations.push_back(spicc);
  map.banks.push_back(strings);
  ForeignBank lost{"Lost",     "", {}, {}, {}, "line 9", "it copies a bank the file lacks",
                   "Lib/Brass"};
  map.banks.push_back(lost);

  EXPECT_EQ(ListForeignMap(map, "b.reabank"),
            "b.reabank: 2 banks\n"
            "bank 1 \"Lib 01 Violins\" (\"01 Violins\") in group \"Lib/Strings Chamber\", 3 "
            "articulations\n"
            "   1  Away  ->  CC 84 = 2 ch 4, G0 v127 held ch 5, bend 8191\n"
            "   2  Idle  [no articulation]\n"
            "   3  Spicc  [hidden]  ->  C0 v100, ch 2, program 5, \"art:3\", transpose -12\n"
            "bank 2 \"Lost\" in group \"Lib/Brass\", 0 articulations; cannot be imported: it "
            "copies a bank the file lacks\n");
  EXPECT_EQ(ListForeignMap(map, "b.reabank", 1),
            "b.reabank: 2 banks\n"
            "bank 2 \"Lost\" in group \"Lib/Brass\", 0 articulations; cannot be imported: it "
            "copies a bank the file lacks\n");
}

TEST(MapListing, OurOwnMapListsItsSlotsInUse) {
  PluginSettings settings;
  settings.channel = 2;
  settings.slots[2].name = "D\xE9tach\xE9";
  settings.slots[2].keyswitch = 24;
  settings.slots[2].additions.latencyMs = 250;
  settings.slots[2].additions.noteChannels = 1u << 1;
  settings.slots[5].uacc = 40;
  EXPECT_EQ(
      ListSettings(settings, "m.json", "a map (JSON)"),
      "m.json: a map (JSON), channel 3, 2 slots in use\n"
      "   3  D\xC3\xA9tach\xC3\xA9  ->  keyswitch C0 v127, latency 250 ms, notes on channel 2\n"
      "   6  (no name)  ->  UACC 40\n");
}

}  // namespace
