// Map files in the encodings editors save, the messages for text that is in
// none of them, and error text that is safe to print.
#include "maps/map_file.h"

#include <gtest/gtest.h>

#include "maps/map_reading.h"
#include "maps/text_file.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// UTF-16 of either byte order, with its mark, from ASCII and \uXXXX units.
std::vector<uint8_t> Utf16(const std::u16string& text, bool bigEndian) {
  std::vector<uint8_t> out;
  for (char16_t unit : std::u16string(u"\uFEFF") + text) {
    out.push_back(static_cast<uint8_t>(bigEndian ? unit >> 8 : unit));
    out.push_back(static_cast<uint8_t>(bigEndian ? unit : unit >> 8));
  }
  return out;
}

std::string Refusal(const std::vector<uint8_t>& bytes) {
  PluginSettings settings;
  MapError error;
  EXPECT_FALSE(ParseMapFile(bytes, settings, error));
  EXPECT_EQ(settings, PluginSettings());
  return error.message;
}

TEST(MapFile, ReadsUtf8WithOrWithoutMarkAndUtf16EitherOrder) {
  const std::u16string map =
      u"{\"channel\": 3,\n \"slots\": [{\"slot\": 2, \"name\": \"D\u00e9tach\u00e9\"}]}";
  const std::string utf8 =
      "{\"channel\": 3,\n \"slots\": [{\"slot\": 2, \"name\": \"D\xC3\xA9tach\xC3\xA9\"}]}";
  for (const auto& bytes :
       {Bytes(utf8), Bytes("\xEF\xBB\xBF" + utf8), Utf16(map, false), Utf16(map, true)}) {
    PluginSettings settings;
    MapError error;
    ASSERT_TRUE(ParseMapFile(bytes, settings, error)) << error.message;
    EXPECT_EQ(settings.channel, 2);
    EXPECT_EQ(settings.slots[1].name, "D\xE9tach\xE9");
    MapFileContent content;
    ImportError problem;
    ASSERT_TRUE(ReadMapFile("m", bytes, content, problem)) << problem.message;
    EXPECT_EQ(content.kind, MapFileKind::OurMap);
  }
  std::string text, error;
  ASSERT_TRUE(DecodeTextFile(Utf16(u"\"\U0001F3BB\"", false), text, error)) << error;
  EXPECT_EQ(text, "\"\xF0\x9F\x8E\xBB\"") << "a surrogate pair is one character";
}

TEST(MapFile, SaysWhatTheEncodingProblemIs) {
  EXPECT_EQ(Refusal(Bytes("{\n\n \"name\": \"D\xE9tach\xE9\"}")),
            "not UTF-8: byte 0xE9 at line 3 column 12 (Windows-1252 text? save the file as UTF-8)");
  EXPECT_NE(
      Refusal(Bytes("{\"a\": \"\xC3\xA9\xED\xA0\x80\"}")).find("byte 0xED at line 1 column 9"),
      std::string::npos)
      << "a surrogate written as UTF-8 is no character";
  EXPECT_NE(Refusal(Bytes(std::string("{\0\"\0}\0", 6))).find("NUL character at line 1 column 2"),
            std::string::npos);
  EXPECT_NE(Refusal(Bytes(std::string("{\0\"\0}\0", 6))).find("without a byte order mark"),
            std::string::npos);
  EXPECT_NE(Refusal(Bytes("\xFF\xFE{\x00}")).find("odd number of bytes"), std::string::npos);
  EXPECT_NE(Refusal(Utf16(u"{\n\xDC00}", false)).find("lone surrogate 0xDC00 at line 2 column 1"),
            std::string::npos);
  EXPECT_NE(Refusal(Bytes(std::string("\xFF\xFE\0\0{\0\0\0", 8))).find("UTF-32"),
            std::string::npos);
  MapFileContent content;
  ImportError problem;
  EXPECT_FALSE(ReadMapFile("m", {5, 0, 0, 0, '{'}, content, problem))
      << "a state's version word: read as a state, and too short for one";
  EXPECT_NE(content.kind, MapFileKind::OurMap);
  EXPECT_FALSE(
      ReadMapFile("m.keyswitch", Bytes("\xEF\xBB\xBF<?xml version=\"1.0\"?>"), content, problem));
  EXPECT_EQ(problem.message.find("parse error"), std::string::npos)
      << "another program's XML with the mark is no JSON map: " << problem.message;
}

TEST(MapFile, TextOfAnyMapFormatBecomesUtf8) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string text;  // what the readers get; the bytes themselves when kept as they are
  } cases[] = {
      {"a UTF-8 mark is dropped", Bytes("\xEF\xBB\xBF<x/>"), "<x/>"},
      {"UTF-16LE without a mark", Bytes(std::string("B\0a\0n\0k\0 \0\xE9\0", 12)), "Bank \xC3\xA9"},
      {"UTF-16BE without a mark", Bytes(std::string("\0{\0}", 4)), "{}"},
      {"a state's version word is no UTF-16", Bytes(std::string("\5\0\0\0", 4)),
       std::string("\5\0\0\0", 4)},
      {"nor is an odd length", Bytes(std::string("{\0}", 3)), std::string("{\0}", 3)},
      {"nor a zero high byte that stops", Bytes(std::string("<\0?\0xm", 6)),
       std::string("<\0?\0xm", 6)},
      {"other bytes stay as they are", Bytes("D\xE9tach\xE9"), "D\xE9tach\xE9"},
  };
  for (const Case& c : cases) {
    std::string text, error;
    ASSERT_TRUE(TextInUtf8(c.bytes, text, error)) << c.what << ": " << error;
    EXPECT_EQ(text, c.text) << c.what;
  }
  std::string text, error;
  EXPECT_FALSE(TextInUtf8(Bytes(std::string("\xFF\xFE\0\0{\0\0\0", 8)), text, error));
  EXPECT_NE(error.find("UTF-32"), std::string::npos) << error;
}

TEST(MapFile, ErrorsQuoteTheFileReadably) {
  PluginSettings settings;
  MapError error;
  ASSERT_FALSE(ParseMapFile(Bytes(R"({"a\u001b[31m": 1})"), settings, error));
  EXPECT_EQ(error.field, "a\\x1B[31m") << "an escape sequence does not reach the terminal";
  EXPECT_EQ(Refusal(Bytes("{\"channel\": 1e999}")).find("number overflow"), 0u)
      << "a number beyond any type is refused, not thrown";
  const std::string raw = "ok \xC3\xA9 \xFF\x01\r\n\t\xC2\x85";
  EXPECT_EQ(ReadableText(raw), "ok \xC3\xA9 \\xFF\\x01\\x0D\n\t\\xC2\\x85");
  EXPECT_EQ(ReadableText(ReadableText(raw)), ReadableText(raw));
}

}  // namespace
