// The Universal Definition reader: our own small files (definitions/) for
// what real files do and what they get wrong, and every file of the factory
// collection when it lies beside the repository.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "definition_files.h"
#include "maps/formats/universal_definition.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"

namespace {

using Kind = ForeignOutput::Kind;

std::string Definition(const std::string& name) {
  for (const DefinitionFile& file : kDefinitions)
    if (name == file.name) return file.text;
  ADD_FAILURE() << name << " is not among tests/files/definitions";
  return "";
}

ForeignMap Read(const std::string& text) {
  ForeignMap map;
  ImportError error;
  EXPECT_TRUE(ReadUniversalDefinition(text, map, error)) << error.where << ": " << error.message;
  return map;
}

ImportResult Import(const ForeignMap& map, const ImportChoice& choice = {}) {
  ImportResult result;
  ImportError error;
  EXPECT_TRUE(ImportForeignMap(map, "test.yaml", choice, result, error))
      << error.where << ": " << error.message;
  return result;
}

bool AnyContains(const std::vector<std::string>& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.find(part) != line.npos; });
}

std::vector<std::string> Names(const ForeignBank& bank) {
  std::vector<std::string> names;
  for (const ForeignArticulation& a : bank.articulations) names.push_back(a.name);
  return names;
}

TEST(UniversalDefinition, ScalarsAreTextFirst) {
  const ForeignMap map = Read(Definition("names_as_text.yaml"));
  ASSERT_EQ(map.banks.size(), 1u);
  const ForeignBank& bank = map.banks[0];
  EXPECT_EQ(bank.name, "Main");
  EXPECT_EQ(bank.library,
            (std::vector<std::string>{"Example Maker", "Example Strings", "Violins"}));
  EXPECT_EQ(Names(bank), (std::vector<std::string>{"Idle", "NO", "yes", "G#0(Vel:16)", "0x10", "~",
                                                   "\u2018Sul tasto\u2019"}));
  // Numbers may be quoted or hex; they are numbers all the same.
  const ForeignOutput& hex = bank.articulations[4].outputs.at(0);
  EXPECT_EQ(hex.kind, Kind::Note);
  EXPECT_EQ(hex.data1, 27);
  EXPECT_EQ(hex.data2, 100);
  EXPECT_EQ(bank.articulations[6].notes,
            std::vector<std::string>{"Cubase.ArticulationType \"Direction\" (Extra)"});

  const ImportResult result = Import(map);
  EXPECT_EQ(result.settings.slots[0].name, "NO");
  EXPECT_EQ(result.settings.slots[0].keyswitch, 24);
  EXPECT_EQ(result.settings.slots[4].uacc, 42) << "a flow mapping reads as a block one";
  EXPECT_EQ(result.settings.slots[5].name, "\x91Sul tasto\x92") << "curly quotes in Windows-1252";
  EXPECT_TRUE(result.warnings.empty()) << result.warnings.front();
  EXPECT_TRUE(AnyContains(result.notes,
                          "articulation 1 \"Idle\" (line 10): left out, as it "
                          "sends nothing"));
}

TEST(UniversalDefinition, MessagesInOrderWithTheirVelocities) {
  const ImportResult result = Import(Read(Definition("velocity_keyswitches.yaml")));
  const auto& slots = result.settings.slots;
  // One key, three articulations: the velocity chooses.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(slots[i].keyswitch, 12) << i;
  EXPECT_EQ(slots[0].additions.keyswitchVelocity, 1);
  EXPECT_EQ(slots[1].additions.keyswitchVelocity, 16);
  EXPECT_EQ(slots[2].additions.keyswitchVelocity, 32);
  // The second message follows the keyswitch.
  ASSERT_EQ(slots[2].additions.actionCount, 1);
  EXPECT_EQ(slots[2].additions.actions[0].kind, ActionKind::kControlChange);
  EXPECT_EQ(slots[2].additions.actions[0].number, 21);
  EXPECT_EQ(slots[2].additions.actions[0].value, 127);
  EXPECT_EQ(slots[2].additions.actions[0].channel, 0) << "the plug-in's channel";
  EXPECT_TRUE(slots[3].IsDefault());
}

TEST(UniversalDefinition, ChannelsFromTheNibbleOrTheOlderField) {
  struct Case {
    const char* file;
    std::vector<int> channels;  // of each articulation's first output; -1 the track's
  };
  for (const Case& c :
       {Case{"channels.yaml", {-1, 1, 15}}, Case{"older_schema.yaml", {-1, 3, -1}}}) {
    const ForeignMap map = Read(Definition(c.file));
    ASSERT_EQ(map.banks.size(), 1u) << c.file;
    std::vector<int> channels;
    for (const ForeignArticulation& a : map.banks[0].articulations) {
      channels.push_back(a.outputs.at(0).channel);
      EXPECT_FALSE(a.outputs[0].routes) << c.file << ": the played notes stay where they are";
    }
    EXPECT_EQ(channels, c.channels) << c.file;
  }
  EXPECT_EQ(Read(Definition("older_schema.yaml")).banks[0].name, "Guitar 1");

  // A keyswitch on a channel of its own is sent there, as an action.
  const SlotSettings second = Import(Read(Definition("channels.yaml"))).settings.slots[1];
  EXPECT_EQ(second.keyswitch, kUnset);
  ASSERT_EQ(second.additions.actionCount, 1);
  EXPECT_EQ(second.additions.actions[0].kind, ActionKind::kNoteTap);
  EXPECT_EQ(second.additions.actions[0].channel, 2) << "1-based";
  EXPECT_EQ(second.additions.noteChannels, kPluginChannelBit);
}

TEST(UniversalDefinition, GroupsAreBanks) {
  const ForeignMap map = Read(Definition("several_groups.yaml"));
  ASSERT_EQ(map.banks.size(), 2u);
  EXPECT_EQ(map.banks[0].name, "Playing");
  EXPECT_EQ(map.banks[1].name, "Strumming");
  EXPECT_EQ(map.banks[1].where, "line 24");
  EXPECT_EQ(map.banks[1].library[2], "Guitar 2");

  ImportResult result;
  ImportError error;
  EXPECT_FALSE(ImportForeignMap(map, "g.yaml", {}, result, error));
  EXPECT_NE(error.message.find("holds 2 banks"), std::string::npos) << error.message;
  result = Import(map, {"strumming", {}});
  EXPECT_EQ(result.settings.slots[0].name, "Down");
  EXPECT_EQ(result.settings.slots[1].keyswitch, 37);
  // A heading can be picked, and then sends nothing.
  result = Import(map, {"1", {"Palm mute", "2"}});
  EXPECT_EQ(result.settings.slots[0].keyswitch, 25);
  EXPECT_EQ(result.settings.slots[1].name, "##### single note");
  EXPECT_EQ(result.settings.slots[1].keyswitch, kUnset);
}

TEST(UniversalDefinition, WhatItCannotKeepIsReported) {
  const ForeignMap map = Read(
      "FormatVersion: 0\nManufacturerName: M\nPatchName: P\nColour: red\n"
      "Extra:\n  Where: here\nArticulationGroups:\n"
      "  - Name: G\n    Articulations:\n"
      "      - Name: A\n        Velocity: 3\n        MidiMessages:\n"
      "          - {Status: 144, Data1: 1, Data2: 2, Port: 1}\n"
      "          - {Status: 208, Data1: 5, Data2: 0}\n"
      "          - {Status: 224, Data1: 0, Data2: 64}\n"
      "          - {Status: 192, Data1: 7}\n");
  const ImportResult result = Import(map);
  EXPECT_TRUE(AnyContains(result.warnings, "dropped key \"Velocity\" (line 11)")) << "an entry's";
  EXPECT_TRUE(AnyContains(result.warnings,
                          "dropped key \"Port\" (line 13), which the format "
                          "does not have in a MIDI message"));
  EXPECT_TRUE(AnyContains(result.warnings, "dropped \"Status 208, Data1 5, Data2 0\""));
  EXPECT_TRUE(AnyContains(result.notes, "bank \"G\": dropped key \"Colour\" (line 4)"));
  EXPECT_TRUE(AnyContains(result.notes, "bank \"G\": dropped Where \"here\" (Extra)"));
  const SlotAdditions& add = result.settings.slots[0].additions;
  ASSERT_EQ(add.actionCount, 2) << "the bend, then the program change";
  EXPECT_EQ(add.actions[0].kind, ActionKind::kPitchBend);
  EXPECT_EQ(add.actions[0].value, 8192) << "Data2 64, Data1 0: the centre";
  EXPECT_EQ(add.actions[1].kind, ActionKind::kProgramChange);
  EXPECT_EQ(add.actions[1].number, 7);
}

TEST(UniversalDefinition, ManyKeysAndEmptyGroupsStayBounded) {
  std::string text = "FormatVersion: 0\n";
  for (int i = 0; i < 100; ++i) text += "Key" + std::to_string(i) + ": x\n";
  text += "ArticulationGroups:\n  - Name: Empty\n    Articulations: []\n";
  text +=
      "  - Name: G\n    Articulations:\n      - {Name: A, MidiMessages: [{Status: 176, "
      "Data1: 7, Data2: 1}]}\n";
  const ForeignMap map = Read(text);
  ASSERT_EQ(map.banks.size(), 2u);
  EXPECT_EQ(map.banks[0].problem, "it holds no articulations") << "listed, with its reason";
  const std::vector<std::string>& notes = map.banks[1].notes;
  ASSERT_EQ(notes.size(), 16u) << "the file's notes, repeated on each bank, are bounded";
  EXPECT_EQ(notes.back(), "85 more keys, Extra pairs or a description of the file");
  ImportResult result;
  ImportError error;
  EXPECT_FALSE(ImportForeignMap(map, "e.yaml", {"Empty", {}}, result, error));
  EXPECT_NE(error.message.find("cannot be imported: it holds no articulations"), std::string::npos)
      << error.message;
}

TEST(UniversalDefinition, RefusesWithTheLine) {
  const std::string head =
      "FormatVersion: 0\nArticulationGroups:\n  - Name: G\n    Articulations:\n";
  const std::string art = "      - Name: A\n        MidiMessages:\n";
  struct Case {
    std::string text;
    std::string where;
    std::string message;  // a part of it
  };
  // Sixty groups of sixty entries of sixty messages, from one of each.
  std::string sixty = "[";
  for (int i = 0; i < 60; ++i) sixty += std::string(i ? ", " : "") + "*X";
  sixty += "]";
  std::string bomb = "FormatVersion: 0\nM: &M {Status: 144, Data1: 1, Data2: 2}\n";
  bomb +=
      "A: &A {Name: A, MidiMessages: " + std::regex_replace(sixty, std::regex("X"), "M") + "}\n";
  bomb +=
      "G: &G {Name: G, Articulations: " + std::regex_replace(sixty, std::regex("X"), "A") + "}\n";
  bomb += "ArticulationGroups: " + std::regex_replace(sixty, std::regex("X"), "G") + "\n";
  const Case cases[] = {
      {Definition("unknown_version.yaml"), "line 1",
       "FormatVersion \"2\" is not one this reader knows"},
      {Definition("bad_yaml.yaml"), "line 11, column 12", "damaged YAML"},
      {Definition("truncated.yaml"), "line 14", "Status 144 needs Data1"},
      {head + "      - Name: \"Sus", "line 5, column 19", "YAML cut short"},
      {"", "", "the file is empty"},
      {"- a\n- b\n", "line 1", "the file must be a mapping"},
      {"Name: x\n", "", "neither ArticulationGroups nor Articulations"},
      {"FormatVersion: 0\nArticulations: []\n", "line 1", "0 needs ArticulationGroups"},
      {"FormatVersion: 0\nArticulationGroups: []\n", "line 2", "holds no group"},
      {head + art + "          - {Status: 300, Data1: 1, Data2: 2}\n", "line 7",
       "Status 300 is no MIDI status"},
      {head + art + "          - {Status: 144, Data1: 1, Data2: 128}\n", "line 7",
       "Data2 128 is outside 0..127"},
      {head + art + "          - {Status: 144, Data1: 1, Data2: 2, Channel: 16}\n", "line 7",
       "Channel 16 is outside -1..15"},
      {head + art + "          - {Status: 176, Data1: 1}\n", "line 7", "needs Data2"},
      {head + art + "          - {Status: abc, Data1: 1, Data2: 2}\n", "line 7",
       "Status \"abc\" is not a whole number"},
      {head + art + "          - {Data1: 1, Data2: 2}\n", "line 7", "needs a Status"},
      {head + "      - Name: A\n", "line 5", "needs MidiMessages"},
      {head + "      - MidiMessages: []\n", "line 5", "needs a Name"},
      {head + "      - Name: [A]\n        MidiMessages: []\n", "line 5",
       "Name must be a single value, not a list"},
      {head + "      - Name: A\n        Name: B\n        MidiMessages: []\n", "line 6",
       "Name is given twice (first at line 5)"},
      {head + art + "          - {Status: 144, Data1: 1, Data2: 2}\n---\nx: 1\n", "line 8",
       "a second YAML document"},
      {"FormatVersion: 0\nName: \"\xC3\x28\"\n", "line 2", "not UTF-8 text"},
      {bomb, "line 2", "aliases repeat its content too often"},
  };
  for (const Case& c : cases) {
    ForeignMap map;
    map.banks.resize(1);
    ImportError error;
    EXPECT_FALSE(ReadUniversalDefinition(c.text, map, error)) << c.text;
    EXPECT_EQ(error.where, c.where) << c.text << "\n" << error.message;
    EXPECT_NE(error.message.find(c.message), std::string::npos)
        << "\"" << error.message << "\" lacks \"" << c.message << "\"";
    EXPECT_EQ(map.banks.size(), 1u) << "a refused file leaves the map as it was";
  }
}

TEST(UniversalDefinition, FoundByContent) {
  const auto bytes = [](const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
  };
  const std::string text = Definition("channels.yaml");
  EXPECT_EQ(DetectMapFormat("horns.txt", bytes(text)), MapFormat::UniversalDefinition);
  EXPECT_EQ(DetectMapFormat("horns.reabank", bytes(text)), MapFormat::UniversalDefinition);
  EXPECT_EQ(DetectMapFormat("a", bytes("\xEF\xBB\xBF\"PatchName\": x\n")),
            MapFormat::UniversalDefinition);
  EXPECT_EQ(DetectMapFormat("a.yaml", bytes("//! g=x\nBank * * A\n1 B\n")), MapFormat::Reabank);
  EXPECT_EQ(DetectMapFormat("a.txt", bytes("  PatchName: x\n")), MapFormat::Unknown);
  EXPECT_STREQ(MapFormatName(MapFormat::UniversalDefinition), "Universal Definition (.yaml)");

  // A .yaml of another kind is answered by the reader, which says why.
  ForeignMap map;
  ImportError error;
  EXPECT_FALSE(ReadForeignMap("config.yml", bytes("name: x\n"), map, error));
  EXPECT_NE(error.message.find("not a Universal Definition"), std::string::npos) << error.message;
  ASSERT_TRUE(ReadForeignMap("horns.txt", bytes(text), map, error)) << error.message;
  EXPECT_EQ(map.banks[0].articulations.size(), 3u);
}

// The factory collection: every file reads, and every group imports whole,
// sixteen articulations at a time. The counts are those of the collection at
// the commit its SOURCES.md names.
TEST(UniversalDefinition, EveryFactoryFileReads) {
  namespace fs = std::filesystem;
  const fs::path root = ARTSW_FACTORY_YAML_DIR;
  std::error_code missing;
  if (!fs::is_directory(root, missing))
    GTEST_SKIP() << "the factory collection is not at " << root.string()
                 << " (../shared beside the repository)";
  std::vector<fs::path> paths;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file() && entry.path().extension() == ".yaml")
      paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());

  size_t groups = 0, entries = 0, leftOut = 0, outputs = 0, slots = 0, warnings = 0, notes = 0;
  size_t velocityFiles = 0;
  for (const fs::path& path : paths) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const std::string name = path.filename().string();
    ASSERT_EQ(DetectMapFormat(name, bytes), MapFormat::UniversalDefinition) << path;
    ForeignMap map;
    ImportError error;
    ASSERT_TRUE(ReadForeignMap(name, bytes, map, error))
        << path << ": " << error.where << ": " << error.message;
    bool velocityCoded = false;
    for (const ForeignBank& bank : map.banks) {
      ++groups;
      EXPECT_TRUE(bank.problem.empty()) << path << ": " << bank.problem;
      EXPECT_EQ(bank.library.size(), 3u);
      std::vector<std::string> visible;
      std::vector<std::pair<int, int>> keys;  // key, velocity
      for (size_t i = 0; i < bank.articulations.size(); ++i) {
        const ForeignArticulation& a = bank.articulations[i];
        ++entries;
        outputs += a.outputs.size();
        if (a.hidden)
          ++leftOut;
        else
          visible.push_back(std::to_string(i + 1));
        // A key another entry sends at another velocity.
        if (!a.outputs.empty() && a.outputs[0].kind == Kind::Note) {
          const int key = a.outputs[0].data1, velocity = a.outputs[0].data2;
          for (const auto& [k, v] : keys)
            velocityCoded = velocityCoded || (k == key && v != velocity);
          keys.emplace_back(key, velocity);
        }
      }
      for (size_t first = 0; first < visible.size(); first += kSlotCount) {
        ImportChoice choice{std::to_string(&bank - map.banks.data() + 1), {}};
        for (size_t i = first; i < first + kSlotCount && i < visible.size(); ++i)
          choice.pick.push_back(visible[i]);
        ImportResult result;
        ASSERT_TRUE(ImportForeignMap(map, name, choice, result, error))
            << path << ": " << error.where << ": " << error.message;
        slots += choice.pick.size();
        warnings += result.warnings.size();
        notes += result.notes.size();
      }
    }
    velocityFiles += velocityCoded;
  }
  std::printf(
      "factory collection: %zu files, %zu groups, %zu entries (%zu with no messages left out), "
      "%zu messages; %zu slots imported with %zu warnings and %zu notes; %zu files choose by "
      "velocity\n",
      paths.size(), groups, entries, leftOut, outputs, slots, warnings, notes, velocityFiles);
  EXPECT_EQ(paths.size(), 352u);
  EXPECT_EQ(groups, 396u);
  EXPECT_EQ(entries, 3797u);
  EXPECT_EQ(leftOut, 400u);
  EXPECT_EQ(outputs, 3494u);
  EXPECT_EQ(slots, entries - leftOut);
  EXPECT_EQ(velocityFiles, 17u);
}

}  // namespace
