// Maps loaded into an instance as the panel loads them: every bank and page
// of every real map gives the slots `plughost import` gives for that bank and
// pick and keeps the rest of the instance; our own maps and states load as a
// host's later load; a load is undone byte for byte; a bad file changes
// nothing and says why in one line; a loaded map is what the host saves and
// plays back; a note sounding across a load ends where it began.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "example_maps.h"
#include "maps/map_file_types.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"
#include "maps/map_loading.h"
#include "maps/map_saving.h"
#include "maps/state_bytes.h"
#include "real_maps.h"
#include "tests/files/loaded_instance.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// An instance that holds a state of its own in every field a peer map must
// keep: output, options, controllers, view, and a slot with additions.
PluginSettings Busy() {
  PluginSettings s;
  s.channel = 4;
  s.port = 3;
  s.ccGhosting = 1;
  s.preservePortChannel = 1;
  s.controllers = {10, 20, 30, 40, 50, 60};
  s.pageIndex = 2;
  s.selectedSlot = 7;
  for (int slot : {3, 15}) {
    SlotSettings& old = s.slots[slot];
    old.name = "Old";
    old.keyswitch = 30;
    old.uacc = 5;
    old.additions.transpose = -3;
    old.additions.actionCount = 1;
    old.additions.actions[0] = {ActionKind::kControlChange, 2, 58, 20};
  }
  return s;
}

PluginSettings Decoded(const std::vector<uint8_t>& state) {
  PluginSettings s;
  std::string why;
  EXPECT_TRUE(DecodeState(state, s, why)) << why;
  return s;
}

std::string Joined(const std::vector<size_t>& numbers) {
  std::string list;
  for (size_t n : numbers) {
    if (!list.empty()) list += ',';
    list += std::to_string(n);
  }
  return list;
}

TEST(MapLoading, EveryBankAndPageOfEveryRealMapLoadsAsImportDoes) {
  int pagesLoaded = 0;
  bool paged = false, grouped = false;
  for (const RealMap& real : kRealMaps) {
    const std::vector<uint8_t> bytes = Bytes(real.text);
    MapOffer offer;
    MapLoadReport report;
    ASSERT_TRUE(InspectMapFile(real.name, bytes, offer, report)) << report.summary;
    ASSERT_EQ(offer.kind, MapFileKind::ForeignMap);

    // What `plughost import FILE OUT --bank N --pick LIST` reads.
    ForeignMap map;
    ImportError error;
    ASSERT_TRUE(ReadForeignMap(real.name, bytes, map, error)) << error.message;
    ASSERT_EQ(offer.banks.size(), map.banks.size()) << real.name;
    for (size_t b = 0; b < offer.banks.size(); ++b) {
      const MapBankOffer& bank = offer.banks[b];
      ASSERT_FALSE(bank.pages.empty()) << real.name << ": " << bank.problem;
      // The pages cover every shown articulation once, sixteen at most each.
      std::vector<size_t> covered, shown;
      for (size_t i = 0; i < map.banks[b].articulations.size(); ++i)
        if (!map.banks[b].articulations[i].hidden) shown.push_back(i + 1);
      for (const MapPage& page : bank.pages) {
        EXPECT_LE(page.numbers.size(), 16u);
        covered.insert(covered.end(), page.numbers.begin(), page.numbers.end());
      }
      if (bank.pages.size() > 1) {
        EXPECT_EQ(covered, shown) << real.name;
        paged = true;
      }
      grouped = grouped || !bank.group.empty();

      for (size_t p = 0; p < bank.pages.size(); ++p) {
        SCOPED_TRACE(std::string(real.name) + " bank " + std::to_string(b + 1) + " page " +
                     bank.pages[p].label);
        // The slots of --pick LIST, with the lines of the import of that page.
        ImportChoice choice{std::to_string(b + 1), {}};
        if (bank.pages.size() > 1) choice.pick = SplitPickList(Joined(bank.pages[p].numbers));
        ImportResult imported, paged;
        ASSERT_TRUE(ImportForeignMap(map, real.name, choice, imported, error)) << error.message;
        ImportChoice page{std::to_string(b + 1), {}};
        page.page = static_cast<int>(p);
        ASSERT_TRUE(ImportForeignMap(map, real.name, page, paged, error)) << error.message;
        EXPECT_EQ(FirstDifference(paged.settings, imported.settings), "");

        LoadedInstance instance;
        const PluginSettings before = Busy();
        instance.HostLoad(EncodeState(before));
        ASSERT_TRUE(instance.Load(offer, {b, p}, report)) << report.summary;
        PluginSettings wanted = before;
        wanted.slots = imported.settings.slots;
        const PluginSettings loaded = Decoded(instance.Save());
        EXPECT_EQ(FirstDifference(wanted, loaded), "");
        EXPECT_EQ(report.warnings, paged.warnings);
        EXPECT_EQ(report.notes, paged.notes);
        EXPECT_EQ(report.summary.rfind("Loaded \"" + bank.title + "\"", 0), 0u) << report.summary;
        EXPECT_NE(report.summary.find(" from " + std::string(real.name) + ": "), std::string::npos);
        ++pagesLoaded;
      }
    }
  }
  EXPECT_GE(pagesLoaded, 29);
  EXPECT_TRUE(paged);
  EXPECT_TRUE(grouped);
}

// A Reaticulate file of several banks in groups, one of them longer than 16
// and one with articulations its program hides.
const char kBanks[] =
    "//! g=\"Maker/Strings\" n=\"Violins\"\n"
    "Bank * * Violins long name\n"
    "//! o=note:24\n1 legato\n//! o=note:25\n2 spiccato\n"
    "//! g=\"Maker/Brass\" n=\"Horns\"\n"
    "Bank * * Horns\n"
    "//! o=cc:32,1\n1 a1\n//! o=cc:32,2\n2 a2\n//! o=cc:32,3\n3 a3\n//! o=cc:32,4\n4 a4\n"
    "//! o=cc:32,5\n5 a5\n//! o=cc:32,6\n6 a6\n//! o=cc:32,7\n7 a7\n//! o=cc:32,8\n8 a8\n"
    "//! o=cc:32,9\n9 a9\n//! o=cc:32,10\n10 a10\n//! o=cc:32,11\n11 a11\n//! o=cc:32,12\n12 a12\n"
    "//! o=cc:32,13\n13 a13\n//! o=cc:32,14\n14 a14\n//! o=cc:32,15\n15 a15\n//! o=cc:32,16\n16 "
    "a16\n"
    "//! o=cc:32,17\n17 a17\n//! o=cc:32,18\n18 a18\n"
    "Bank * * Hidden\n"
    "//! o=note:30\n1 shown\n//! f=hidden o=note:31\n2 secret\n";

TEST(MapLoading, BanksAreNamedAsListNamesThemWithGroupsAndPages) {
  MapOffer offer;
  MapLoadReport report;
  ASSERT_TRUE(InspectMapFile("C:\\maps\\banks.reabank", Bytes(kBanks), offer, report))
      << report.summary;
  EXPECT_EQ(offer.fileName, "banks.reabank");
  ASSERT_EQ(offer.banks.size(), 3u);
  EXPECT_EQ(offer.banks[0].label, "\"Violins long name\" (\"Violins\") in group \"Maker/Strings\"");
  EXPECT_EQ(offer.banks[0].group, "Maker/Strings");
  EXPECT_EQ(offer.banks[0].pages.size(), 1u);
  EXPECT_EQ(offer.banks[1].group, "Maker/Brass");
  ASSERT_EQ(offer.banks[1].pages.size(), 2u);
  EXPECT_EQ(offer.banks[1].pages[0].label,
            "1\xE2\x80\x93"
            "16");
  EXPECT_EQ(offer.banks[1].pages[1].label,
            "17\xE2\x80\x93"
            "18");
  EXPECT_EQ(offer.banks[2].articulations, 1u);
  EXPECT_EQ(offer.ChoiceCount(), 4u);

  LoadedInstance instance;
  ASSERT_TRUE(instance.Load(offer, {1, 1}, report)) << report.summary;
  EXPECT_EQ(report.summary,
            "Loaded \"Horns\" (articulations 17\xE2\x80\x93"
            "18) from banks.reabank: 2 slots");
  const PluginSettings loaded = Decoded(instance.Save());
  EXPECT_EQ(loaded.slots[0].name, "a17");
  EXPECT_EQ(loaded.slots[1].uacc, 18);
  EXPECT_TRUE(loaded.slots[2].IsDefault());

  // A file of several choices needs the composer's: LoadFile changes nothing.
  const std::vector<uint8_t> saved = instance.Save();
  EXPECT_FALSE(instance.LoadFile("banks.reabank", Bytes(kBanks), report));
  EXPECT_EQ(instance.Save(), saved);
}

// Our own map (JSON) with everything a map holds.
const char kOurMap[] = R"({
  "channel": 12, "port": 9,
  "options": {"ccGhosting": false, "preservePortChannel": true},
  "controllers": {"Dynamics": 1, "Breath": 2, "Expression": 3, "Speed": 4, "Vibrato": 5, "Hold": 6},
  "page": "articulation", "selectedSlot": 3,
  "slots": [
    {"slot": 1, "name": "Legato", "keyswitch": "C0", "keyswitchVelocity": 90, "transpose": 12,
     "noteChannels": ["plug-in", 2],
     "actions": [{"note": "D0", "velocity": 90}, {"note": "E0", "held": true},
                 {"cc": 58, "value": 20, "channel": 2}, {"program": 5}, {"pitchBend": -4096}]},
    {"slot": 2, "name": "Staccato", "uacc": 42, "modwheel": 10}
  ]
})";

TEST(MapLoading, OurMapLoadsAsAHostsLaterLoad) {
  struct Case {
    bool preserving;
    int channel;  // after the load, 0-based
    int32_t page;
  } cases[] = {{false, 11, 2}, {true, 4, 2}};  // the map sets the option: the page stays
  for (const Case& c : cases) {
    LoadedInstance instance;
    PluginSettings before = Busy();
    before.preservePortChannel = c.preserving ? 1 : 0;
    instance.HostLoad(EncodeState(before));
    MapLoadReport report;
    ASSERT_TRUE(instance.LoadFile("ours.json", Bytes(kOurMap), report)) << report.summary;
    const PluginSettings loaded = Decoded(instance.Save());
    EXPECT_EQ(loaded.channel, c.channel);
    EXPECT_EQ(loaded.pageIndex, c.page);
    EXPECT_EQ(loaded.preservePortChannel, 1);
    EXPECT_EQ(loaded.controllers[5], 6);
    EXPECT_EQ(loaded.slots[0].additions.actionCount, 5);
    EXPECT_TRUE(loaded.slots[3].IsDefault());
    EXPECT_EQ(report.summary.rfind("Loaded the map ours.json: 2 slots", 0), 0u) << report.summary;
    EXPECT_EQ(report.summary.find("kept") != std::string::npos, c.preserving) << report.summary;
  }
}

TEST(MapLoading, UndoBringsBackTheStateBeforeTheLoadByteForByte) {
  const std::vector<uint8_t> version1 = [] {
    std::vector<uint8_t> v(76, 0);
    v[0] = 1;
    v[4] = 6;        // channel 7
    v[12 + 4] = 36;  // slot 1's keyswitch
    return v;
  }();
  const std::string real = kRealMaps[0].text;
  struct File {
    const char* name;
    std::vector<uint8_t> bytes;
  } files[] = {{"ours.json", Bytes(kOurMap)},
               {"old.state", version1},
               {kRealMaps[0].name, Bytes(real)},
               {"strings.json", Bytes(kExample_strings_json)}};
  for (int start = 0; start < 3; ++start) {
    for (const File& file : files) {
      SCOPED_TRACE(std::string(file.name) + " on start " + std::to_string(start));
      LoadedInstance instance;
      if (start > 0) {
        PluginSettings before = Busy();
        before.preservePortChannel = start == 2 ? 1 : 0;
        instance.HostLoad(EncodeState(before));
      }
      const bool fresh = instance.Fresh();
      const std::vector<uint8_t> before = instance.Save();
      EXPECT_FALSE(instance.CanUndo());
      MapLoadReport report;
      MapOffer offer;
      ASSERT_TRUE(InspectMapFile(file.name, file.bytes, offer, report)) << report.summary;
      ASSERT_TRUE(instance.Load(offer, {}, report)) << report.summary;
      EXPECT_NE(instance.Save(), before);
      ASSERT_TRUE(instance.CanUndo());
      ASSERT_TRUE(instance.Undo(report)) << report.summary;
      EXPECT_EQ(report.summary, "Undid the load of " + std::string(file.name));
      EXPECT_EQ(instance.Save(), before);
      EXPECT_EQ(instance.Fresh(), fresh);
      EXPECT_FALSE(instance.CanUndo());
      EXPECT_FALSE(instance.Undo(report));
      EXPECT_EQ(instance.Save(), before);
    }
  }
}

TEST(MapLoading, AHostsLoadForgetsTheStepBack) {
  LoadedInstance instance;
  MapLoadReport report;
  ASSERT_TRUE(instance.LoadFile("ours.json", Bytes(kOurMap), report)) << report.summary;
  instance.HostLoad(EncodeState(Busy()));
  const std::vector<uint8_t> project = instance.Save();
  EXPECT_FALSE(instance.CanUndo());
  EXPECT_FALSE(instance.Undo(report));
  EXPECT_EQ(report.summary, "Nothing to undo: no map was loaded since the host's last load");
  EXPECT_EQ(instance.Save(), project);
}

TEST(MapLoading, ABadFileChangesNothingAndSaysWhyInOneLine) {
  const std::string expression = kRealMaps[0].text;
  std::vector<uint8_t> binary(3000);
  uint32_t x = 12345;
  for (uint8_t& b : binary) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
  binary[0] = 0x9F;
  std::vector<uint8_t> version3 = {3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // then cut
  std::vector<uint8_t> version5 = EncodeState(Busy());
  version5.push_back(0x42);
  std::vector<uint8_t> utf16 = {0xFF, 0xFE, 'B', 0, 'a', 0, 'n', 0, 'k', 0};
  const char* cloneOfNothing = "//! clone=\"Maker/None\"\nBank * * Copy\n";
  struct Bad {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* says;
  } bad[] = {
      {"empty.reabank", {}, "the file is empty"},
      {"notes.txt", Bytes("just some notes\n"), "not a settings file: neither a map (JSON)"},
      {"cut.expressionmap", Bytes(expression.substr(0, expression.size() / 2)), ""},
      {"cut.reabank", Bytes("//! o=note:24\n1 legato\nBank 1"), ""},
      {"random.bin", binary, "not a settings file"},
      {"huge.reabank", std::vector<uint8_t>(kMaxMapFileBytes + 1, ' '), "larger than any map"},
      {"range.json", Bytes(R"({"channel": 40})"), "channel: "},
      {"syntax.json", Bytes(R"({"channel": )"), ""},
      {"lines.json", Bytes("{\"chan\nnel\": 1}"), "control character"},
      {"cut.state", version3, "cut short"},
      {"long.state", version5, "after the end of the state"},
      {"clone.reabank", Bytes(cloneOfNothing), "cannot be imported"},
      {"wide.reabank", utf16, ""},
      {"binary.plist", Bytes("bplist00\x01\x02"), "binary property list"},
      {"other.xml", Bytes("<?xml version=\"1.0\"?><Unknown/>"), "<Unknown>"},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.name);
    LoadedInstance instance;
    instance.HostLoad(EncodeState(Busy()));
    const std::vector<uint8_t> before = instance.Save();
    MapLoadReport report;
    EXPECT_FALSE(instance.LoadFile(b.name, b.bytes, report));
    EXPECT_EQ(instance.Save(), before);
    EXPECT_FALSE(instance.CanUndo());
    EXPECT_EQ(report.summary.rfind("Not loaded: " + std::string(b.name) + ": ", 0), 0u)
        << report.summary;
    EXPECT_GT(report.summary.size(), std::string("Not loaded: ").size() + strlen(b.name) + 4);
    EXPECT_EQ(report.summary.find('\n'), std::string::npos) << report.summary;
    EXPECT_NE(report.summary.find(b.says), std::string::npos) << report.summary;
    EXPECT_TRUE(report.warnings.empty());
  }
}

TEST(MapLoading, TheHostSavesTheLoadedMapAndPlaysItBackAlike) {
  LoadedInstance loaded;
  MapLoadReport report;
  ASSERT_TRUE(loaded.LoadFile("ours.json", Bytes(kOurMap), report)) << report.summary;
  const std::vector<uint8_t> project = loaded.Save();
  // The slot additions travel in the state's block.
  EXPECT_EQ(Decoded(project).slots[0].additions.actionCount, 5);
  EXPECT_EQ(Decoded(project).slots[0].additions.noteChannels, kPluginChannelBit | 1u << 1);

  LoadedInstance reopened;
  reopened.HostLoad(project);
  EXPECT_EQ(reopened.Save(), project);
  loaded.TakeMidi();
  reopened.TakeMidi();
  for (LoadedInstance* instance : {&loaded, &reopened}) {
    for (int colour : {0, 1, 0, 5, 1}) instance->Release(instance->NoteOn(60 + colour, colour));
  }
  const std::vector<uint32_t> played = loaded.TakeMidi();
  EXPECT_GT(played.size(), 10u);
  EXPECT_EQ(reopened.TakeMidi(), played);
}

TEST(MapLoading, ANoteSoundingAcrossALoadEndsOnItsOwnChannelsAndKey) {
  LoadedInstance instance;
  MapLoadReport report;
  std::string movable = kOurMap;  // so that the next load moves the channel
  movable.replace(movable.find("\"preservePortChannel\": true"), 27,
                  "\"preservePortChannel\": false");
  ASSERT_TRUE(instance.LoadFile("ours.json", Bytes(movable), report)) << report.summary;
  instance.TakeMidi();
  // Slot 1 plays on the plug-in's channel (12) and channel 2, an octave up.
  const intptr_t voice = instance.NoteOn(60, 0);
  std::vector<uint32_t> ons;
  for (uint32_t m : instance.TakeMidi())
    if ((m & 0xF0) == 0x90 && ((m >> 8) & 0x7F) == 72) ons.push_back(m & 0x0F);
  ASSERT_EQ(ons, (std::vector<uint32_t>{1, 11}));

  // The example map: the plug-in on channel 1, slot 1 on it alone, no transpose.
  ASSERT_TRUE(instance.LoadFile("strings.json", Bytes(kExample_strings_json), report))
      << report.summary;
  EXPECT_EQ(Decoded(instance.Save()).channel, 0);
  instance.Release(voice);
  std::vector<uint32_t> offs;
  for (uint32_t m : instance.TakeMidi())
    if ((m & 0xF0) == 0x80 || ((m & 0xF0) == 0x90 && (m >> 16 & 0x7F) == 0))
      if (((m >> 8) & 0x7F) == 72) offs.push_back(m & 0x0F);
  EXPECT_EQ(offs, (std::vector<uint32_t>{1, 11}));
  instance.Kill(voice);
}

TEST(MapLoading, TheMapComesOutAsJsonAndInEveryFormatWithTheExportsWords) {
  LoadedInstance instance;
  MapLoadReport report;
  ASSERT_TRUE(instance.LoadFile("ours.json", Bytes(kOurMap), report)) << report.summary;
  std::string json;
  ASSERT_TRUE(instance.MapJson(json, report)) << report.summary;
  // Pasted back into a new instance, it is the same state.
  LoadedInstance pasted;
  ASSERT_TRUE(pasted.LoadFile("the clipboard", Bytes(json), report)) << report.summary;
  EXPECT_EQ(pasted.Save(), instance.Save());

  for (const MapFileType& format : MapSaveTypes()) {
    const std::string extension = format.extensions.front();
    const std::string out = "C:\\out\\mine" + extension;
    std::string text;
    ASSERT_TRUE(instance.MapText(out, text, report)) << report.summary;
    EXPECT_EQ(report.summary.rfind("Saved 2 slots to mine" + extension, 0), 0u) << report.summary;
    if (extension == ".json") {
      EXPECT_EQ(text, json);
      continue;
    }
    // The same words as `plughost export`.
    std::vector<std::string> losses, notes;
    std::string expected, error;
    ASSERT_TRUE(ExportForeignMap(out, Decoded(instance.Save()), expected, losses, notes, error));
    EXPECT_EQ(text, expected);
    EXPECT_EQ(report.warnings, losses);
    EXPECT_EQ(report.notes, notes);
    EXPECT_FALSE(losses.empty()) << extension;  // the held note and the latency-free rest
  }
  std::string text;
  EXPECT_FALSE(instance.MapText("mine.doricolib", text, report));
  EXPECT_EQ(report.summary.rfind("Not saved: mine.doricolib: ", 0), 0u) << report.summary;
}

}  // namespace
