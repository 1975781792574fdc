// Our maps written in the XML formats come back unchanged through import
// (icons aside in expression maps and key switch lists, which have no place
// for them); the example files of those formats import with a line for each
// extra.
#include <gtest/gtest.h>

#include <algorithm>

#include "example_maps.h"
#include "maps/articulation_map.h"
#include "maps/formats/articulation_plist.h"
#include "maps/formats/doricolib.h"
#include "maps/formats/expression_map.h"
#include "maps/formats/keyswitch_list.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"

namespace {

using Reader = bool (*)(const std::string&, ForeignMap&, ImportError&);
using Writer = std::string (*)(const PluginSettings&, const std::string&, ExportLosses*);

struct Format {
  const char* file;
  Writer write;
  Reader read;
  bool keepsIcons;
};
const Format kFormats[] = {{"x.expressionmap", WriteExpressionMap, ReadExpressionMap, false},
                           {"x.plist", WriteArticulationPlist, ReadArticulationPlist, true},
                           {"x.keyswitch", WriteKeySwitchList, ReadKeySwitchList, false}};

ImportResult Import(Reader read, const std::string& text, const char* file,
                    const ImportChoice& choice = {}) {
  ForeignMap map;
  ImportError error;
  ImportResult result;
  EXPECT_TRUE(read(text, map, error)) << file << ": " << error.where << ": " << error.message;
  EXPECT_TRUE(ImportForeignMap(map, file, choice, result, error)) << file << ": " << error.message;
  return result;
}

void ExpectRoundTrip(const PluginSettings& settings) {
  for (const Format& format : kFormats) {
    const std::string text = format.write(settings, "Strings & Co", nullptr);
    ImportResult back = Import(format.read, text, format.file);
    if (!format.keepsIcons)
      for (int i = 0; i < kSlotCount; ++i) back.settings.slots[i].icon = settings.slots[i].icon;
    EXPECT_EQ(back.settings.slots, settings.slots) << format.file << "\n" << text;
    EXPECT_TRUE(back.warnings.empty()) << format.file << ": " << back.warnings.front();
  }
}

TEST(XmlMapExport, ExampleMapComesBackUnchanged) {
  PluginSettings settings;
  MapError error;
  ASSERT_TRUE(ParseArticulationMap(kExample_strings_json, settings, error)) << error.message;
  ExpectRoundTrip(settings);
}

TEST(XmlMapExport, EmptySlotsAndEdgeValuesKeepTheirPlaces) {
  PluginSettings settings;
  settings.slots[2] = {"Sul pont. \"<&>\" \xE9t\xE9 \x80", 127, 0, 0, 127};
  settings.slots[5] = {"", 60, kUnset, 42, kUnset};
  settings.slots[15] = {std::string(255, 'x'), kDefaultIcon, 127, kUnset, 0};
  ExpectRoundTrip(settings);
}

TEST(XmlMapExport, WhatAnExportCannotHoldIsNamedItemByItem) {
  // What changes the instrument's input is a warning; an icon the format
  // has no place for, a note. The map's channel and port have no place in any.
  PluginSettings settings;
  settings.channel = 4;
  settings.port = 2;
  settings.slots[0].name = "Legato";
  settings.slots[0].icon = 9;  // pizz: the name gives legato back
  settings.slots[0].keyswitch = 24;
  settings.slots[0].additions.keyswitchVelocity = 100;  // the format holds this
  settings.slots[0].additions.noteChannels = kPluginChannelBit | 1u << 1;
  settings.slots[0].additions.actionCount = 1;
  settings.slots[0].additions.actions[0] = {ActionKind::kPitchBend, 0, 0, 0};
  std::string text, error;
  std::vector<std::string> losses, notes;
  ASSERT_TRUE(ExportForeignMap("x.expressionmap", settings, text, losses, notes, error)) << error;
  const std::string slot = "x.expressionmap: slot 1 \"Legato\": ";
  EXPECT_EQ(losses, (std::vector<std::string>{
                        "x.expressionmap: channel 5 not kept: an .expressionmap has no channel of "
                        "the map's own; what the plug-in sends on its channel goes to the track's",
                        "x.expressionmap: port 2 not kept: an .expressionmap has no MIDI port",
                        slot + "pitch bend -8192 not kept: an .expressionmap sends no pitch bends",
                        slot + "notes on channel 2 not kept: an .expressionmap plays a slot's "
                               "notes on one channel; this slot's play on the track's",
                    }));
  EXPECT_EQ(notes, std::vector<std::string>{slot + "icon 9 (pizz) comes back as icon 1 (legato): "
                                                   "an .expressionmap holds no icon"});
}

SlotSettings WithActions(std::string name, std::vector<SlotAction> actions) {
  SlotSettings slot;
  slot.name = std::move(name);
  slot.additions.actionCount = static_cast<uint8_t>(actions.size());
  std::copy(actions.begin(), actions.end(), slot.additions.actions.begin());
  return slot;
}

// Export, then import of what was written, gives back every addition the
// format holds: ExportForeignMap reads its own text back and names each
// difference.
TEST(XmlMapExport, AdditionsComeBackWhereTheFormatHoldsThem) {
  using K = ActionKind;
  // Reaticulate holds everything: layers, channels, held notes, bends.
  PluginSettings reaticulate;
  SlotSettings& matrix = reaticulate.slots[0] =
      WithActions("Matrix", {{K::kNoteTap, 0, 26, 90},
                             {K::kNoteHeld, 5, 31, 80},
                             {K::kControlChange, 3, 58, 9},
                             {K::kProgramChange, 0, 5, 0},
                             {K::kPitchBend, 2, 0, 4096}});
  matrix.keyswitch = 24;
  matrix.additions.keyswitchVelocity = 100;
  matrix.additions.noteChannels = kPluginChannelBit | 1u << 2 | 1u << 15;
  matrix.additions.transpose = -12;
  reaticulate.slots[1] = WithActions("Away", {{K::kControlChange, 4, 84, 2}});
  reaticulate.slots[1].additions.noteChannels = 1u << 3;
  reaticulate.slots[2] = WithActions("Routed only", {});
  reaticulate.slots[2].additions.noteChannels = 1u << 6;
  // Cubase: one channel per slot, which carries its messages too.
  PluginSettings cubase;
  SlotSettings& onFive = cubase.slots[0] = WithActions(
      "On five",
      {{K::kNoteTap, 5, 26, 90}, {K::kControlChange, 5, 58, 9}, {K::kProgramChange, 5, 3, 0}});
  onFive.additions.noteChannels = 1u << 4;
  onFive.additions.transpose = 12;
  cubase.slots[1] = WithActions("Plain", {{K::kNoteTap, 0, 27, 1}, {K::kControlChange, 0, 3, 20}});
  cubase.slots[1].keyswitch = 25;
  cubase.slots[1].additions.keyswitchVelocity = 64;
  // Logic: three outputs, on no channel of their own.
  PluginSettings logic;
  logic.slots[0] = WithActions("Three", {{K::kNoteTap, 0, 26, 90}, {K::kProgramChange, 0, 7, 0}});
  logic.slots[0].keyswitch = 24;
  logic.slots[0].additions.keyswitchVelocity = 100;
  logic.slots[1] = WithActions("Bend", {{K::kPitchBend, 0, 0, 0}, {K::kControlChange, 0, 3, 1}});
  // Studio One: notes, CCs and programs in any number, on the track's channel.
  PluginSettings studio;
  studio.slots[0] = WithActions("Many", {{K::kNoteTap, 0, 26, 90},
                                         {K::kProgramChange, 0, 7, 0},
                                         {K::kControlChange, 0, 0, 2},
                                         {K::kControlChange, 0, 32, 3},
                                         {K::kNoteTap, 0, 27, 127}});
  studio.slots[0].keyswitch = 24;
  studio.slots[0].additions.keyswitchVelocity = 1;
  studio.slots[0].uacc = 40;
  studio.slots[0].modwheel = 0;

  const std::pair<const char*, const PluginSettings*> cases[] = {{"x.reabank", &reaticulate},
                                                                 {"x.expressionmap", &cubase},
                                                                 {"x.plist", &logic},
                                                                 {"x.keyswitch", &studio}};
  for (const auto& [file, settings] : cases) {
    std::string text, error;
    std::vector<std::string> losses, notes;
    ASSERT_TRUE(ExportForeignMap(file, *settings, text, losses, notes, error)) << error;
    EXPECT_TRUE(losses.empty()) << file << ": " << losses.front() << "\n" << text;
  }
  // What the others cannot hold is named one item at a time: in Cubase the
  // layers, the held note and the bend of one slot.
  std::string text, error;
  std::vector<std::string> losses, notes;
  ASSERT_TRUE(ExportForeignMap("x.expressionmap", reaticulate, text, losses, notes, error));
  const std::string matrixSlot = "x.expressionmap: slot 1 \"Matrix\": ";
  EXPECT_EQ(losses, (std::vector<std::string>{
                        matrixSlot + "held note G0 v80 on channel 5 not kept: an .expressionmap "
                                     "has no held notes; it is written as a plain note-on",
                        matrixSlot + "pitch bend -4096 on channel 2 not kept: an .expressionmap "
                                     "sends no pitch bends",
                        matrixSlot + "notes on channel 3 not kept: an .expressionmap plays a "
                                     "slot's notes on one channel; this slot's play on the track's",
                        matrixSlot + "notes on channel 16 not kept: an .expressionmap plays a "
                                     "slot's notes on one channel; this slot's play on the track's",
                    }));
  // In Logic: past three outputs, channels, note channels and the transpose.
  ASSERT_TRUE(ExportForeignMap("x.plist", reaticulate, text, losses, notes, error));
  EXPECT_EQ(losses.size(), 10u);
  EXPECT_EQ(losses[1],
            "x.plist: slot 1 \"Matrix\": CC 58 = 9 on channel 3 not kept: a .plist "
            "articulation holds at most three outputs");
}

TEST(XmlMapExport, ExamplesImportWithALinePerExtra) {
  struct Case {
    Reader read;
    const char* text;
    const char* file;
    const char* bank;
    std::vector<std::string> expected;  // parts of warnings or notes, each must appear
  };
  const Case cases[] = {
      {ReadExpressionMap,
       kExample_strings_expressionmap,
       "strings.expressionmap",
       "",
       {"remote key C-1", "in group 2"}},
      {ReadArticulationPlist, kExample_strings_plist, "strings.plist", "", {"input switch"}},
      {ReadKeySwitchList,
       kExample_strings_keyswitch,
       "strings.keyswitch",
       "",
       {"input key C6 (pitch=96)", "colour FFDD6105", "score symbol \"circ\""}},
      {ReadDoricoLibrary,
       kExample_strings_doricolib,
       "strings.doricolib",
       "Example Violins",
       {"switch-off action"}},
  };
  for (const Case& c : cases) {
    const ImportResult result = Import(c.read, c.text, c.file, {c.bank, {}});
    EXPECT_EQ(result.settings.slots[0].name, "Legato") << c.file;
    EXPECT_EQ(result.settings.slots[0].keyswitch, 24) << c.file;
    for (const std::string& part : c.expected) {
      bool found = false;
      for (const auto* lines : {&result.warnings, &result.notes})
        for (const std::string& line : *lines)
          found = found || line.find(part) != std::string::npos;
      EXPECT_TRUE(found) << c.file << ": no line about " << part;
    }
  }
}

}  // namespace
