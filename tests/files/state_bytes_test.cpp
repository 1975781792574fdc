// The host's reading and writing of the plug-in's version-5 state.
#include "maps/state_bytes.h"

#include <gtest/gtest.h>

namespace {

TEST(StateBytes, NewInstanceStateIs346Bytes) {
  const std::vector<uint8_t> bytes = EncodeState(PluginSettings());
  ASSERT_EQ(bytes.size(), 346u);
  EXPECT_EQ(bytes[0], 5);
  EXPECT_EQ(bytes[24], 0xFF);       // slot 0's keyswitch: unset
  EXPECT_EQ(bytes[216], 55);        // slot 0's icon
  EXPECT_EQ(bytes[280 + 32], 6);    // the controller count after 16 empty names
  EXPECT_EQ(bytes[280 + 34], 127);  // CC 1
  EXPECT_EQ(bytes[338], 1);         // pageIndex
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), std::vector<uint8_t>(4, 0));
}

TEST(StateBytes, DecodeReadsWhatEncodeWrote) {
  PluginSettings s;
  s.channel = 15;
  s.port = 200;
  s.preservePortChannel = 1;
  s.slots[3] = {"Tremolo", 12, 24, 11, 100};
  s.slots[15].name = std::string(255, 'x');
  s.controllers = {1, 2, 3, 4, 5, 6};
  s.pageIndex = 2;
  s.selectedSlot = 3;
  PluginSettings back;
  std::string error;
  ASSERT_TRUE(DecodeState(EncodeState(s), back, error)) << error;
  EXPECT_EQ(back, s);
}

TEST(StateBytes, DecodeRefusesWhatThePluginWouldNotWrite) {
  const std::vector<uint8_t> good = EncodeState(PluginSettings());
  PluginSettings out;
  std::string error;
  auto refused = [&](std::vector<uint8_t> bytes, const char* words) {
    out.port = 99;
    EXPECT_FALSE(DecodeState(bytes, out, error));
    EXPECT_NE(error.find(words), std::string::npos) << error;
    EXPECT_EQ(out.port, 99);
  };
  refused({}, "ends early");
  refused(std::vector<uint8_t>(good.begin(), good.end() - 1), "ends early");
  auto longer = good;
  longer.push_back(0);
  refused(longer, "after the end of the state");
  auto v4 = good;
  v4[0] = 4;
  refused(v4, "version 4");
  auto count = good;
  count[280 + 32] = 5;
  refused(count, "5 controllers");
}

}  // namespace
