// The send path, the two message builders and the controller broadcast.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/support/recording_host.h"

namespace {

class MidiOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.InitState();
    host.ClearRecords();
  }
  const MidiOutput& out() const { return engine.output(); }

  RecordingHost host;
  ArticulationEngine engine{&host, 31};
};

TEST(MidiOutputInit, InitStateSendsTheNineMessagesOfTheFullBroadcast) {
  RecordingHost host;
  ArticulationEngine engine(&host, 5);
  engine.model.output.channel = 7;  // InitState returns them to 0 on a fresh instance
  engine.model.output.port = 9;
  engine.InitState();
  const std::vector<uint32_t> expected = {
      Msg(0xB0, 10, 0),   Msg(0xB0, 7, 0),    Msg(0xE0, 0, 64),
      Msg(0xB0, 1, 127),  Msg(0xB0, 2, 127),  Msg(0xB0, 11, 127),
      Msg(0xB0, 16, 127), Msg(0xB0, 21, 127), Msg(0xB0, 64, 0)};
  EXPECT_EQ(Describe(host.midi), Describe(expected));
  EXPECT_EQ(host.midiSenders, std::vector<int32_t>(9, 5));
}

TEST_F(MidiOutputTest, FullBroadcastUsesCurrentValuesAndAddress) {
  engine.model.output.channel = 2;
  engine.model.output.port = 6;
  engine.model.pan = 20;
  engine.model.volume = 90;
  engine.model.controllers.value = {1, 2, 3, 4, 5, 6};
  out().BroadcastControllers(0, -1);
  const std::vector<uint32_t> expected = {
      Msg(0xB2, 10, 20, 6), Msg(0xB2, 7, 90, 6), Msg(0xE2, 0, 64, 6),
      Msg(0xB2, 1, 1, 6),   Msg(0xB2, 2, 2, 6),  Msg(0xB2, 11, 3, 6),
      Msg(0xB2, 16, 4, 6),  Msg(0xB2, 21, 5, 6), Msg(0xB2, 64, 6, 6)};
  EXPECT_EQ(Describe(host.midi), Describe(expected));
}

TEST_F(MidiOutputTest, KindFiveNarrowedToOneController) {
  out().BroadcastControllers(5, 63);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0xB0, 64, 0)}));
  host.ClearRecords();
  out().BroadcastControllers(5, 0);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0xB0, 1, 127)}));
  host.ClearRecords();
  out().BroadcastControllers(5, 2);  // CC 3 is not one of the six
  EXPECT_TRUE(host.midi.empty());
}

TEST_F(MidiOutputTest, KindFiveWithMinusOneSendsAllSixAndNothingElse) {
  out().BroadcastControllers(5, -1);
  EXPECT_EQ(Describe(host.midi),
            Describe({Msg(0xB0, 1, 127), Msg(0xB0, 2, 127), Msg(0xB0, 11, 127), Msg(0xB0, 16, 127),
                      Msg(0xB0, 21, 127), Msg(0xB0, 64, 0)}));
}

TEST_F(MidiOutputTest, SingleKinds) {
  engine.model.pan = 3;
  engine.model.volume = 4;
  out().BroadcastControllers(2, -1);
  out().BroadcastControllers(3, 63);  // the parameter narrows kind 5 only
  out().BroadcastControllers(4, -1);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0xB0, 10, 3), Msg(0xB0, 7, 4), Msg(0xE0, 0, 64)}));
}

TEST_F(MidiOutputTest, KindZeroNarrowsItsControllersByTheParameter) {
  out().BroadcastControllers(0, 20);
  EXPECT_EQ(Describe(host.midi),
            Describe({Msg(0xB0, 10, 0), Msg(0xB0, 7, 0), Msg(0xE0, 0, 64), Msg(0xB0, 21, 127)}));
}

TEST_F(MidiOutputTest, UnknownKindsSendNothing) {
  for (int32_t kind : {1, 6, 7, -1, 255, 0x7FFFFFFF}) out().BroadcastControllers(kind, -1);
  EXPECT_TRUE(host.midi.empty());
}

TEST_F(MidiOutputTest, GhostingSilencesEveryKind) {
  engine.model.output.ccGhosting = 1;
  for (int32_t kind : {0, 2, 3, 4, 5}) out().BroadcastControllers(kind, -1);
  out().BroadcastControllers(5, 0);
  EXPECT_TRUE(host.midi.empty());
  // The builders themselves do not look at ghosting.
  out().SendControlChange(0, 0, 32, 10);
  out().SendNote(0, 0, false, 24, 127);
  EXPECT_EQ(host.midi.size(), 2u);
}

TEST_F(MidiOutputTest, OnlyTheLowFourBitsOfTheChannelCount) {
  engine.model.output.channel = 17;
  out().BroadcastControllers(4, -1);
  out().BroadcastControllers(5, 0);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0xE1, 0, 64), Msg(0xB1, 1, 127)}));
}

TEST_F(MidiOutputTest, OnlyTheLowByteOfThePortCounts) {
  engine.model.output.port = 0x305;
  out().BroadcastControllers(2, -1);
  EXPECT_EQ(host.midi[0], Msg(0xB0, 10, 0, 0x05));
}

TEST_F(MidiOutputTest, NoteOnPacking) {
  out().SendNote(3, 9, false, 60, 100);
  ASSERT_EQ(host.midi.size(), 1u);
  EXPECT_EQ(host.midi[0], 0x03643C99u);
  EXPECT_EQ(host.midiSenders[0], 31);
}

TEST_F(MidiOutputTest, NoteOffCarriesVelocityZeroWhateverIsPassed) {
  out().SendNote(1, 2, true, 60, 100);
  EXPECT_EQ(host.midi[0], Msg(0x82, 60, 0, 1));
}

TEST_F(MidiOutputTest, BuildersReduceTheChannelModulo16) {
  out().SendNote(0, 0x1F, false, 60, 1);
  out().SendControlChange(0, 0x13, 7, 1);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x9F, 60, 1), Msg(0xB3, 7, 1)}));
}

TEST_F(MidiOutputTest, NoDataByteAbove127LeavesThePlugIn) {
  // Values stored out of range (a state load keeps the words it reads) are
  // limited when they are sent.
  engine.model.controllers.value = {128, 255, 256, -1, 1000, -1000};
  engine.model.pan = 200;
  engine.model.volume = 255;
  out().BroadcastControllers(0, -1);
  out().SendNote(0, 0, false, 300, 200);
  out().SendControlChange(0, 0, 200, -5);
  ASSERT_EQ(host.midi.size(), 11u);
  for (uint32_t m : host.midi) {
    EXPECT_LE(midi::Data1(m), 127) << DescribeMidi(m);
    EXPECT_LE(midi::Data2(m), 127) << DescribeMidi(m);
  }
  EXPECT_EQ(Describe({host.midi[0], host.midi[1], host.midi[3], host.midi[6], host.midi[8]}),
            Describe({Msg(0xB0, 10, 127), Msg(0xB0, 7, 127), Msg(0xB0, 1, 127), Msg(0xB0, 16, 0),
                      Msg(0xB0, 64, 0)}));
}

}  // namespace
