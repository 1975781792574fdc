// The readable text of a MIDI message: a UACC value carries its name.
#include "tools/plughost/midi_text.h"

#include <gtest/gtest.h>

TEST(MidiText, UaccValuesCarryTheirName) {
  EXPECT_EQ(DescribeMessage(0xB0 | 32 << 8 | 42 << 16),
            "CC 32     ch 1  value  42  UACC (very short)   [B0 20 2A] port 0");
  EXPECT_EQ(DescribeMessage(0xB1 | 32 << 8 | 19 << 16),  // unassigned: no name
            "CC 32     ch 2  value  19  UACC   [B1 20 13] port 0");
  EXPECT_EQ(DescribeMessage(0xB0 | 1 << 8 | 42 << 16),
            "CC 1      ch 1  value  42  Modwheel   [B0 01 2A] port 0");
}
