#include <gtest/gtest.h>

#include <cstring>

#include "engine/note_names.h"
#include "engine/engine.h"
#include "tests/support/recording_host.h"

namespace {

TEST(DataModel, NewInstanceHasTheDefaults) {
  RecordingHost host;
  ArticulationEngine engine(&host, 3);
  engine.InitState();
  const DataModel& m = engine.model;
  EXPECT_EQ(m.output.channel, 0);
  EXPECT_EQ(m.output.port, 0);
  EXPECT_EQ(m.output.ccGhosting, 0);
  EXPECT_EQ(m.output.midiExtend, 0);
  EXPECT_EQ(m.output.preservePortChannel, 0);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(m.bank.iconId[slot], 55);
    EXPECT_EQ(m.bank.keyswitch[slot], -1);
    EXPECT_EQ(m.bank.uacc[slot], -1);
    EXPECT_EQ(m.bank.modwheel[slot], -1);
    EXPECT_TRUE(m.bank.name[slot].empty());
  }
  EXPECT_EQ(Plain(m.controllers.value), (std::array<int32_t, 6>{127, 127, 127, 127, 127, 0}));
  EXPECT_EQ(m.pan, 0);
  EXPECT_EQ(m.volume, 0);
  EXPECT_EQ(m.pageIndex, kControllerPage);
  EXPECT_EQ(m.selectedSlot, 0);
  EXPECT_EQ(m.freshInstance, 1);
  EXPECT_EQ(host.midi.size(), 9u) << "one full broadcast";
}

struct ResetCase {
  uint8_t fresh;
  int32_t preserve;
  bool keepsAddress;
};

class ResetKeepsAddress : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ResetKeepsAddress, OnlyAFreshUnpreservedInstanceZeroesChannelAndPort) {
  DataModel m;
  m.freshInstance = GetParam().fresh;
  m.output.preservePortChannel = GetParam().preserve;
  m.output.channel = 9;
  m.output.port = 4;
  m.pageIndex = kSettingsPage;
  m.selectedSlot = 7;
  m.output.ccGhosting = 1;
  m.bank.name.Set(2, "Legato");
  m.bank.keyswitch[2] = 24;
  m.sent.lastUacc = 10;
  m.currentSlot = 5;
  m.pan = 40;
  m.ResetToDefaults();
  EXPECT_EQ(m.output.channel, GetParam().keepsAddress ? 9 : 0);
  EXPECT_EQ(m.output.port, GetParam().keepsAddress ? 4 : 0);
  // Kept by every reset:
  EXPECT_EQ(m.pageIndex, kSettingsPage);
  EXPECT_EQ(m.selectedSlot, 7);
  EXPECT_EQ(m.output.preservePortChannel, GetParam().preserve);
  EXPECT_EQ(m.freshInstance, GetParam().fresh);
  // Reset by every reset:
  EXPECT_EQ(m.output.ccGhosting, 0);
  EXPECT_TRUE(m.bank.name[2].empty());
  EXPECT_EQ(m.bank.keyswitch[2], -1);
  EXPECT_EQ(m.sent.lastUacc, 255);
  EXPECT_EQ(m.currentSlot, 0);
  EXPECT_EQ(m.pan, 0);
}

INSTANTIATE_TEST_SUITE_P(FreshAndPreserve, ResetKeepsAddress,
                         ::testing::Values(ResetCase{1, 0, false}, ResetCase{1, 1, true},
                                           ResetCase{0, 0, true}, ResetCase{0, 1, true}));

TEST(DataModel, ControllerOfAParameterIsTheOneWhoseCcIsOneHigher) {
  EXPECT_EQ(DataModel::ControllerForParameter(0), 0);
  EXPECT_EQ(DataModel::ControllerForParameter(1), 1);
  EXPECT_EQ(DataModel::ControllerForParameter(10), 2);
  EXPECT_EQ(DataModel::ControllerForParameter(15), 3);
  EXPECT_EQ(DataModel::ControllerForParameter(20), 4);
  EXPECT_EQ(DataModel::ControllerForParameter(63), 5);
  for (int32_t p : {-1, 2, 6, 16, 64, 126, INT32_MAX, INT32_MIN})
    EXPECT_EQ(DataModel::ControllerForParameter(p), -1) << p;
}

TEST(NoteNames, CoverEveryNoteWithinFourCharacters) {
  const NoteNameTable table = BuildNoteNameTable();
  const std::pair<int, const char*> expected[] = {{0, "C-2"},  {1, "C#-2"}, {11, "B-2"},
                                                  {12, "C-1"}, {59, "B2"},  {60, "C3"},
                                                  {61, "C#3"}, {120, "C8"}, {127, "G8"}};
  for (auto [note, name] : expected) EXPECT_STREQ(table[note].data(), name) << note;
  for (const auto& entry : table) EXPECT_LE(std::strlen(entry.data()), 4u);
  EXPECT_STREQ(KeyswitchText(table, -1), "----");
  EXPECT_STREQ(KeyswitchText(table, 0), "C-2");
  EXPECT_STREQ(KeyswitchText(table, 500), "G8") << "never past the table";
}

}  // namespace
