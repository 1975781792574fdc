// The articulation map: what it accepts, what it refuses and with which
// words, and that writing then reading gives the same settings.
#include "maps/articulation_map.h"

#include <gtest/gtest.h>

#include "engine/note_names.h"
#include "maps/text_encoding.h"

namespace {

PluginSettings Parse(const std::string& text) {
  PluginSettings settings;
  MapError error;
  EXPECT_TRUE(ParseArticulationMap(text, settings, error)) << error.field << ": " << error.message;
  return settings;
}

MapError Refuse(const std::string& text) {
  PluginSettings settings;
  settings.port = 77;
  MapError error;
  EXPECT_FALSE(ParseArticulationMap(text, settings, error)) << text;
  EXPECT_EQ(settings.port, 77) << "a refused map changes nothing";
  return error;
}

TEST(NoteNames, MatchThePanel) {
  EXPECT_EQ(NoteName(0), "C-2");
  EXPECT_EQ(NoteName(60), "C3");
  EXPECT_EQ(NoteName(127), "G8");
  EXPECT_EQ(NoteName(25), "C#0");
  EXPECT_EQ(NoteName(128), "?");
  for (int n = 0; n < 128; ++n) {
    int back = -1;
    EXPECT_TRUE(ParseNoteName(NoteName(n), back)) << n;
    EXPECT_EQ(back, n);
  }
  int note = 0;
  EXPECT_TRUE(ParseNoteName("Bb-1", note));
  EXPECT_EQ(note, 22);
  EXPECT_TRUE(ParseNoteName("c3", note));
  EXPECT_EQ(note, 60);
  for (const char* bad : {"", "H3", "C", "C9", "C-3", "Cb-2", "G#8", "C#", "C 3", "C33", "C#-"})
    EXPECT_FALSE(ParseNoteName(bad, note)) << bad;
}

TEST(ArticulationMap, EmptyMapIsANewInstance) { EXPECT_EQ(Parse("{}"), PluginSettings()); }

TEST(ArticulationMap, ReadsEveryField) {
  const PluginSettings s = Parse(R"({
    "channel": 16, "port": 255,
    "options": {"ccGhosting": true, "preservePortChannel": true},
    "controllers": {"Dynamics": 1, "Breath": 2, "Expression": 3, "Speed": 4, "Vibrato": 5, "Hold": 127},
    "page": "settings", "selectedSlot": 16,
    "slots": [
      {"slot": 16, "name": "Col legno", "icon": 127, "keyswitch": "G8", "uacc": 0, "modwheel": 127},
      {"slot": 1, "keyswitch": 0, "uacc": null}
    ]})");
  EXPECT_EQ(s.channel, 15);
  EXPECT_EQ(s.port, 255);
  EXPECT_EQ(s.ccGhosting, 1);
  EXPECT_EQ(s.preservePortChannel, 1);
  EXPECT_EQ(s.controllers, (std::array<int32_t, 6>{1, 2, 3, 4, 5, 127}));
  EXPECT_EQ(s.pageIndex, 2);
  EXPECT_EQ(s.selectedSlot, 15);
  EXPECT_EQ(s.slots[15].name, "Col legno");
  EXPECT_EQ(s.slots[15].icon, 127);
  EXPECT_EQ(s.slots[15].keyswitch, 127);
  EXPECT_EQ(s.slots[15].uacc, 0);
  EXPECT_EQ(s.slots[15].modwheel, 127);
  EXPECT_EQ(s.slots[0].keyswitch, 0);
  EXPECT_EQ(s.slots[0].uacc, kUnset);
  EXPECT_EQ(s.slots[0].icon, kDefaultIcon);
  EXPECT_TRUE(s.slots[1].IsDefault());
}

TEST(ArticulationMap, RefusesWithFieldAndReason) {
  struct Case {
    const char* text;
    const char* field;
    const char* words;
  };
  const Case cases[] = {
      {R"({"chanel": 1})", "chanel", "unknown field"},
      {R"({"channel": 0})", "channel", "out of range"},
      {R"({"channel": 17})", "channel", "from 1 to 16"},
      {R"({"channel": 1.5})", "channel", "whole number"},
      {R"({"port": "3"})", "port", "not \"3\""},
      {R"({"port": 18446744073709551615})", "port", "out of range"},
      {R"({"options": {"ghosting": true}})", "options.ghosting", "unknown field"},
      {R"({"options": {"ccGhosting": 1}})", "options.ccGhosting", "true or false"},
      {R"({"controllers": {"Release": 3}})", "controllers.Release", "Dynamics"},
      {R"({"controllers": {"Hold": 128}})", "controllers.Hold", "out of range"},
      {R"({"page": 2})", "page", "\"settings\""},
      {R"({"selectedSlot": 0})", "selectedSlot", "out of range"},
      {R"({"slots": {}})", "slots", "list"},
      {R"({"slots": [{"name": "x"}]})", "slots[0].slot", "missing"},
      {R"({"slots": [{"slot": 2}, {"slot": 2}]})", "slots[1].slot", "listed twice"},
      {R"({"slots": [{"slot": 1, "uacc": 128}]})", "slots[0].uacc", "out of range"},
      {R"({"slots": [{"slot": 1, "modwheel": -1}]})", "slots[0].modwheel", "out of range"},
      {R"({"slots": [{"slot": 1, "keyswitch": "H2"}]})", "slots[0].keyswitch", "not a note name"},
      {R"({"slots": [{"slot": 1, "keyswitch": 128}]})", "slots[0].keyswitch", "out of range"},
      {R"({"slots": [{"slot": 1, "icon": 128}]})", "slots[0].icon", "out of range"},
      {R"({"slots": [{"slot": 1, "articulation": "x"}]})", "slots[0].articulation", "unknown"},
      {R"({"slots": [{"slot": 1, "name": "\u4e2d"}]})", "slots[0].name", "U+4E2D"},
      {R"({"slots": [{"slot": 1, "name": "a\u0000b"}]})", "slots[0].name", "NUL"},
      {R"({"slots": [{"slot": 1, "uacc": 1, "uacc": 2}]})", "uacc", "twice"},
      {R"([1, 2])", "(top level)", "object"},
  };
  for (const Case& c : cases) {
    const MapError error = Refuse(c.text);
    EXPECT_EQ(error.field, c.field) << c.text;
    EXPECT_NE(error.message.find(c.words), std::string::npos) << c.text << " -> " << error.message;
  }
}

TEST(ArticulationMap, SyntaxErrorsGiveTheLine) {
  const MapError error = Refuse("{\n  \"channel\": 1,\n}");
  EXPECT_EQ(error.field, "");
  EXPECT_NE(error.message.find("line 3"), std::string::npos) << error.message;
}

TEST(ArticulationMap, NamesLongerThan255BytesAreRefused) {
  const std::string ok(255, 'a');
  EXPECT_EQ(Parse(R"({"slots": [{"slot": 1, "name": ")" + ok + "\"}]}").slots[0].name, ok);
  const MapError error = Refuse(R"({"slots": [{"slot": 1, "name": ")" + ok + "a\"}]}");
  EXPECT_EQ(error.field, "slots[0].name");
}

TEST(ArticulationMap, FormattedMapReadsBackToTheSameSettings) {
  PluginSettings s;
  s.channel = 9;
  s.port = 3;
  s.ccGhosting = 1;
  s.pageIndex = 0;
  s.selectedSlot = 4;
  s.controllers = {0, 1, 2, 3, 126, 127};
  s.slots[4] = {"D\xE9tach\xE9 \x80", 12, 36, kUnset, 0};
  s.slots[9].icon = 0;
  std::string text;
  MapError error;
  ASSERT_TRUE(FormatArticulationMap(s, text, error)) << error.message;
  EXPECT_NE(text.find("\"keyswitch\": \"C1\""), std::string::npos);
  EXPECT_NE(text.find("D\xC3\xA9tach\xC3\xA9 \xE2\x82\xAC"), std::string::npos)
      << "UTF-8 in the file";
  EXPECT_EQ(text.find("\"uacc\""), std::string::npos) << "unset values are left out";
  EXPECT_EQ(Parse(text), s);
  std::string again;
  ASSERT_TRUE(FormatArticulationMap(Parse(text), again, error));
  EXPECT_EQ(again, text);
}

TEST(ArticulationMap, SettingsAMapCannotExpressAreRefusedByName) {
  PluginSettings s;
  s.slots[2].uacc = 300;
  std::string text = "unchanged";
  MapError error;
  EXPECT_FALSE(FormatArticulationMap(s, text, error));
  EXPECT_EQ(error.field, "slot 3.uacc");
  EXPECT_EQ(text, "unchanged");
  s = PluginSettings();
  s.ccGhosting = 2;
  EXPECT_FALSE(FormatArticulationMap(s, text, error));
  EXPECT_EQ(error.field, "options.ccGhosting");
  s = PluginSettings();
  s.pageIndex = 3;
  EXPECT_FALSE(FormatArticulationMap(s, text, error));
  EXPECT_EQ(error.field, "page");
}

TEST(TextEncoding, AllBytesSurviveTheTripThroughUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  std::string back, bad;
  ASSERT_TRUE(Utf8ToWindows1252(Windows1252ToUtf8(all), back, bad)) << bad;
  EXPECT_EQ(back, all);
  EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_FALSE(Utf8ToWindows1252("\xC3", back, bad));
  EXPECT_FALSE(Utf8ToWindows1252("\xFF", back, bad));
  EXPECT_FALSE(Utf8ToWindows1252("\xF0\x9F\x8E\xBB", back, bad));  // a violin emoji
  EXPECT_EQ(bad, "U+1F3BB");
}

}  // namespace
