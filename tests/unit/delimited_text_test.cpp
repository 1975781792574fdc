// Delimiter-separated text as spreadsheets write and read it.
#include <gtest/gtest.h>

#include "editor/delimited_text.h"

namespace {

using Records = std::vector<DelimitedRecord>;

TEST(DelimitedText, ReadsQuotedFieldsAndEveryLineEnd) {
  EXPECT_EQ(ReadDelimited("a\tb\r\nc\td\n", '\t'), (Records{{"a", "b"}, {"c", "d"}}));
  EXPECT_EQ(ReadDelimited("a\tb\rc\td", '\t'), (Records{{"a", "b"}, {"c", "d"}}));
  EXPECT_EQ(ReadDelimited("\xEF\xBB\xBF"
                          "a,,\n",
                          ','),
            (Records{{"a", "", ""}}));
  EXPECT_EQ(ReadDelimited("\"x, \"\"y\"\"\",\"two\r\nlines\"\n", ','),
            (Records{{"x, \"y\"", "two\r\nlines"}}));
  EXPECT_EQ(ReadDelimited("a\n\nb", ';'), (Records{{"a"}, {""}, {"b"}}));
  EXPECT_EQ(ReadDelimited("", '\t'), Records{});
  // Forgiving as spreadsheets are.
  EXPECT_EQ(ReadDelimited("\"ab\"cd\te\"f\n", '\t'), (Records{{"abcd", "e\"f"}}));
  EXPECT_EQ(ReadDelimited("\"open\tto the end\nstill", '\t'),
            (Records{{"open\tto the end\nstill"}}));
  // No delimiter: one field a line, commas and all.
  EXPECT_EQ(ReadDelimited("D0 v90, CC 1 = 2\n", '\0'), (Records{{"D0 v90, CC 1 = 2"}}));
}

TEST(DelimitedText, WritesWhatItReads) {
  const Records records = {{"plain", "tab\there", "quote \"q\"", ""},
                           {"line\nbreak", "cr\r", "comma,semi;", "é"}};
  const std::string tsv = WriteDelimited(records, '\t');
  EXPECT_EQ(tsv,
            "plain\t\"tab\there\"\t\"quote \"\"q\"\"\"\t\r\n"
            "\"line\nbreak\"\t\"cr\r\"\tcomma,semi;\té\r\n");
  EXPECT_EQ(ReadDelimited(tsv, '\t'), records);
  const std::string csv = WriteDelimited(records, ',', "\n");
  EXPECT_EQ(ReadDelimited(csv, ','), records);
  EXPECT_NE(csv.find("\"comma,semi;\""), std::string::npos);
}

TEST(DelimitedText, GuessesTheDelimiterOfPastedText) {
  EXPECT_EQ(GuessDelimiter("a,b\tc\n"), '\t');
  EXPECT_EQ(GuessDelimiter("a;b;c\n1,5;2;3\n"), ';');
  EXPECT_EQ(GuessDelimiter("a,b\n1,2"), ',');
  EXPECT_EQ(GuessDelimiter("\"x;y;z\",b\n1,2\n"), ',');     // quoted ones do not count
  EXPECT_EQ(GuessDelimiter("D0 v90, CC 1 = 2\r\n"), '\0');  // one line: one value
  EXPECT_EQ(GuessDelimiter("Name\nLegato, soft\n"), '\0');
  EXPECT_EQ(WithoutByteOrderMark("\xEF\xBB\xBFx"), "x");
}

}  // namespace
