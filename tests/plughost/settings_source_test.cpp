// Any settings file: which kind each content is read as, whatever its
// name, and what a file of no known kind is told.
#include "tools/plughost/settings_source.h"

#include <gtest/gtest.h>

#include "example_maps.h"
#include "maps/state_bytes.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> StateOfVersion(int32_t version) {
  std::vector<uint8_t> bytes = EncodeState(PluginSettings());
  bytes[0] = static_cast<uint8_t>(version);
  return bytes;
}

// A whole version-1 state: channel, port and sixteen keyswitches.
std::vector<uint8_t> OldState() {
  std::vector<uint8_t> bytes(76, 0);
  bytes[0] = 1;
  return bytes;
}

TEST(SettingsSource, TheContentDecidesTheKind) {
  const std::string bank =
      "//! g=\"Lib/Strings\" n=\"Violins\"\nBank * * V\n//! o=note:24\n1 Legato\n";
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* kind;  // MapFileKindName, or the error after the file's name
  };
  const Case cases[] = {
      {"m.reabank", Bytes(" {\"slots\": [{\"slot\": 2, \"name\": \"Legato\"}]}"), "a map (JSON)"},
      {"m.json", Bytes("\xEF\xBB\xBF{}"), "a map (JSON)"},
      {"s.json", EncodeState(PluginSettings()), "a plug-in state"},
      {"old", OldState(), "a plug-in state"},
      {"bank.txt", Bytes(bank), "a Reaticulate bank (.reabank)"},
      {"x.state", Bytes(kExample_strings_expressionmap),
       "a Cubase expression map (.expressionmap)"},
      {"k.txt", Bytes(kExample_strings_keyswitch),
       "a Studio One sound variation list (.keyswitch)"},
      {"b.plist", Bytes("bplist00\x01\x02"),
       "a binary property list; save the articulation set as an XML property list and import "
       "that"},
      {"e.json", {}, "the file is empty"},
      {"n.txt", Bytes("just some notes\nmore"),
       "not a settings file: neither a map (JSON), a plug-in state or another program's map "
       "(.reabank, .expressionmap, .plist, .doricolib, .yaml, .keyswitch); it begins \"just some "
       "notes\""},
      {"new.state", StateOfVersion(6),
       "not a settings file: neither a map (JSON), a plug-in state or another program's map "
       "(.reabank, .expressionmap, .plist, .doricolib, .yaml, .keyswitch); it begins like a "
       "plug-in state of "
       "version 6, and this plug-in reads versions 1 to 5"},
      {"z.bin",
       {0, 0, 0, 0, 1},
       "not a settings file: neither a map (JSON), a plug-in state or "
       "another program's map (.reabank, .expressionmap, .plist, "
       ".doricolib, .yaml, .keyswitch); it is binary data of none of these kinds"},
      {"t.state",
       {5, 0},
       "not a settings file: neither a map (JSON), a plug-in state or another "
       "program's map (.reabank, .expressionmap, .plist, .doricolib, .yaml, .keyswitch); it holds "
       "2 bytes, too short for a state's version word"},
      {"bad.json", Bytes("{\"channel\": 17}"),
       "channel: 17 is out of range: must be a whole number from 1 to 16"},
  };
  for (const Case& c : cases) {
    SettingsSource source;
    std::string error;
    const bool read = ReadSettingsSource(c.name, c.bytes, source, error) &&
                      ChooseSettings(c.name, {}, source, error);
    const std::string got = read ? MapFileKindName(source) : error;
    EXPECT_EQ(got, read ? c.kind : c.name + std::string(": ") + c.kind) << c.name;
  }
}

TEST(SettingsSource, AChoiceImportsAProgramsMapAndIsRefusedForOurOwn) {
  const std::string text =
      "//! g=\"Lib/Strings Chamber\" n=\"01 Violins\"\nBank * * A\n//! o=note:24\n1 Legato\n"
      "//! o=note:25\n2 Staccato\n"
      "//! g=\"Lib/Strings Solo\" n=\"01 Violins\"\nBank * * B\n//! o=note:30\n1 Sus\n";
  SettingsSource source;
  std::string error;
  ASSERT_TRUE(ReadSettingsSource("v.reabank", Bytes(text), source, error)) << error;
  EXPECT_FALSE(ChooseSettings("v.reabank", {}, source, error));
  EXPECT_NE(error.find("holds 2 banks"), std::string::npos) << error;
  ASSERT_TRUE(ChooseSettings("v.reabank", {"Strings Chamber/01 Violins", {"2-1"}}, source, error))
      << error;
  EXPECT_EQ(source.settings.slots[0].name, "Staccato");
  EXPECT_EQ(source.settings.slots[1].keyswitch, 24);
  EXPECT_EQ(source.state, EncodeState(source.settings));

  SettingsSource own;
  ASSERT_TRUE(ReadSettingsSource("m.json", Bytes("{}"), own, error));
  EXPECT_FALSE(ChooseSettings("m.json", {"", {"1"}, "--bank", "--to-pick"}, own, error));
  EXPECT_EQ(error,
            "m.json: --to-pick chooses from another program's map, and this is a map (JSON) of the "
            "plug-in's own");
}

}  // namespace
