// Parameters, host events, names and the percentage hint.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/support/recording_host.h"

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct RepaintSpy : EditorRepaint {
  const RecordingHost* host = nullptr;
  std::vector<bool> gridOnly;
  std::vector<size_t> midiBefore;
  void InvalidateEditor(bool grid) override {
    gridOnly.push_back(grid);
    midiBefore.push_back(host->midi.size());
  }
};

uint32_t Cc(uint8_t controller, uint8_t value, uint8_t channel = 0, uint8_t port = 0) {
  return (0xB0u | channel) | controller << 8 | value << 16 | static_cast<uint32_t>(port) << 24;
}

class ParametersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.InitState();
    spy.host = &host;
    engine.SetRepaint(&spy);
    host.ClearRecords();
  }

  std::array<int32_t, kControllerCount> Controllers() const {
    return Plain(engine.model.controllers.value);
  }

  std::string Name(int32_t section, int32_t index, int32_t value = 0) const {
    char text[512];
    std::memset(text, '#', sizeof text);
    text[sizeof text - 1] = 0;
    engine.GetName(section, index, value, text);
    return text;
  }

  RecordingHost host;
  RepaintSpy spy;
  ArticulationEngine engine{&host, 7};
};

const std::array<int32_t, kControllerCount> kDefaults = {127, 127, 127, 127, 127, 0};

// --- ProcessParam ---------------------------------------------------------------

TEST_F(ParametersTest, LiveControllerIsStoredAndSent) {
  EXPECT_EQ(engine.ProcessParam(0, 100, 0x01), 100);
  EXPECT_EQ(Controllers()[0], 100);
  EXPECT_EQ(Describe(host.midi), Describe({Cc(1, 100)}));
  EXPECT_TRUE(host.hints.empty());
  EXPECT_TRUE(spy.gridOnly.empty());
}

TEST_F(ParametersTest, EachLiveParameterReachesItsController) {
  const int32_t parameters[] = {0, 1, 10, 15, 20, 63};
  for (int i = 0; i < kControllerCount; ++i) {
    host.ClearRecords();
    EXPECT_EQ(engine.ProcessParam(parameters[i], 40 + i, 0x01), 40 + i);
    EXPECT_EQ(Controllers()[i], 40 + i);
    EXPECT_EQ(Describe(host.midi), Describe({Cc(controllerCcNumbers[i], 40 + i)}));
  }
}

TEST_F(ParametersTest, RescaledHoldIsStoredSentAndReturned) {
  EXPECT_EQ(engine.ProcessParam(63, 65536, 0x21), 127);
  EXPECT_EQ(Controllers()[5], 127);
  EXPECT_EQ(Describe(host.midi), Describe({Cc(64, 127)}));
}

TEST_F(ParametersTest, RescaleTruncatesTowardZero) {
  EXPECT_EQ(engine.ProcessParam(2, 65535, 0x20), 126);
  EXPECT_EQ(engine.ProcessParam(2, 32768, 0x20), 63);
  EXPECT_EQ(engine.ProcessParam(2, 516, 0x20), 0);  // 0.99..
  EXPECT_EQ(engine.ProcessParam(2, 517, 0x20), 1);  // 1.0018..
  EXPECT_EQ(engine.ProcessParam(2, -517, 0x20), -1);
  EXPECT_EQ(engine.ProcessParam(2, -65536, 0x20), -127);
  // The whole 32-bit range rescales without overflow.
  EXPECT_EQ(engine.ProcessParam(2, kMax, 0x20), 4161535);
  EXPECT_EQ(engine.ProcessParam(2, kMin, 0x20), -4161536);
  // Rescaling happens even for an index past the count.
  EXPECT_EQ(engine.ProcessParam(500, 65536, 0x20), 127);
  EXPECT_TRUE(host.midi.empty());
}

TEST_F(ParametersTest, ParameterThatIsNotLiveStoresAndSendsNothing) {
  EXPECT_EQ(engine.ProcessParam(2, 50, 0x01), 50);
  EXPECT_EQ(Controllers(), kDefaults);
  EXPECT_TRUE(host.midi.empty());
  EXPECT_TRUE(host.hints.empty());
}

TEST_F(ParametersTest, HintIsShownForAParameterThatIsNotLive) {
  EXPECT_EQ(engine.ProcessParam(2, 50, 0x05), 50);
  EXPECT_EQ(host.hints, std::vector<std::string>{"39%"});
  EXPECT_TRUE(host.midi.empty());
  EXPECT_EQ(Controllers(), kDefaults);
}

TEST_F(ParametersTest, HintNeedsUpdateValue) {
  EXPECT_EQ(engine.ProcessParam(0, 64, 0x04), 64);
  EXPECT_TRUE(host.hints.empty());
  EXPECT_TRUE(host.midi.empty());
  EXPECT_EQ(Controllers(), kDefaults);
}

TEST_F(ParametersTest, HintFollowsTheSentController) {
  engine.ProcessParam(10, 64, 0x05);
  EXPECT_EQ(Describe(host.midi), Describe({Cc(11, 64)}));
  EXPECT_EQ(host.hints, std::vector<std::string>{"50%"});
}

TEST_F(ParametersTest, IndexAtOrPastTheCountDoesNothing) {
  engine.model.pageIndex = kControllerPage;
  for (int32_t index : {127, 128, 1000, kMax}) {
    EXPECT_EQ(engine.ProcessParam(index, 5, 0x11), 5);
    EXPECT_EQ(engine.ProcessParam(index, 5, 0x15), 5);
  }
  EXPECT_TRUE(host.midi.empty());
  EXPECT_TRUE(host.hints.empty());
  EXPECT_TRUE(spy.gridOnly.empty());
  EXPECT_EQ(Controllers(), kDefaults);
}

TEST_F(ParametersTest, IndexMinusOneBroadcastsAllSixAndStoresNothing) {
  engine.model.output.channel = 3;
  engine.model.controllers.value = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(engine.ProcessParam(-1, 99, 0x01), 99);
  EXPECT_EQ(Describe(host.midi), Describe({Cc(1, 1, 3), Cc(2, 2, 3), Cc(11, 3, 3), Cc(16, 4, 3),
                                           Cc(21, 5, 3), Cc(64, 6, 3)}));
  EXPECT_EQ(Controllers(), (std::array<int32_t, kControllerCount>{1, 2, 3, 4, 5, 6}));
}

TEST_F(ParametersTest, OtherNegativeIndexesSendNothing) {
  for (int32_t index : {-2, -64, kMin}) EXPECT_EQ(engine.ProcessParam(index, 9, 0x01), 9);
  EXPECT_TRUE(host.midi.empty());
  EXPECT_EQ(Controllers(), kDefaults);
}

TEST_F(ParametersTest, UpdateControlRepaintsTheWholePanelOnlyOnTheControllerPage) {
  engine.model.pageIndex = kControllerPage;
  engine.ProcessParam(0, 10, 0x11);
  ASSERT_EQ(spy.gridOnly.size(), 1u);
  EXPECT_FALSE(spy.gridOnly[0]);
  EXPECT_EQ(spy.midiBefore[0], 1u);  // after the controller went out
  engine.ProcessParam(2, 10, 0x10);  // without update value, and not live: still repaints
  EXPECT_EQ(spy.gridOnly.size(), 2u);

  engine.model.pageIndex = kArticulationPage;
  engine.ProcessParam(0, 10, 0x11);
  engine.model.pageIndex = kSettingsPage;
  engine.ProcessParam(0, 10, 0x11);
  EXPECT_EQ(spy.gridOnly.size(), 2u);

  engine.model.pageIndex = kControllerPage;
  engine.ProcessParam(0, 10, 0x01);  // no update-control flag
  EXPECT_EQ(spy.gridOnly.size(), 2u);
}

TEST_F(ParametersTest, OtherFlagBitsAreIgnored) {
  EXPECT_EQ(engine.ProcessParam(0, 77, static_cast<int32_t>(0xFFFFFF4Au)),
            77);  // no 0x01/0x04/0x10/0x20
  EXPECT_TRUE(host.midi.empty());
  EXPECT_EQ(engine.ProcessParam(0, 77, 0x01 | 0x02 | 0x08 | 0x40 | 0x80), 77);
  EXPECT_EQ(Describe(host.midi), Describe({Cc(1, 77)}));
}

TEST_F(ParametersTest, ValuesOutsideTheDataRangeAreStoredClampedButReturnedAsGiven) {
  EXPECT_EQ(engine.ProcessParam(0, 300, 0x05), 300);
  EXPECT_EQ(Controllers()[0], 127);
  EXPECT_EQ(engine.ProcessParam(1, -5, 0x01), -5);
  EXPECT_EQ(Controllers()[1], 0);
  EXPECT_EQ(engine.ProcessParam(63, 131072, 0x21), 254);
  EXPECT_EQ(Controllers()[5], 127);
  EXPECT_EQ(engine.ProcessParam(20, kMin, 0x01), kMin);
  EXPECT_EQ(Controllers()[4], 0);
  EXPECT_EQ(Describe(host.midi), Describe({Cc(1, 127), Cc(2, 0), Cc(64, 127), Cc(21, 0)}));
  // The hint shows the value given.
  EXPECT_EQ(host.hints, std::vector<std::string>{"236%"});
}

TEST_F(ParametersTest, GhostingStoresButSendsNothing) {
  engine.model.output.ccGhosting = 1;
  EXPECT_EQ(engine.ProcessParam(0, 33, 0x01), 33);
  EXPECT_EQ(Controllers()[0], 33);
  EXPECT_EQ(engine.ProcessParam(-1, 33, 0x01), 33);
  EXPECT_TRUE(host.midi.empty());
}

TEST_F(ParametersTest, ControllerMessagesUseTheCurrentAddress) {
  engine.model.output.channel = 0x1A;
  engine.model.output.port = 0x102;
  engine.ProcessParam(15, 12, 0x01);
  EXPECT_EQ(Describe(host.midi), Describe({Cc(16, 12, 0x0A, 0x02)}));
}

// --- ProcessEvent ------------------------------------------------------------------

TEST_F(ParametersTest, PanAndVolumeEventsAreStoredAndSent) {
  engine.model.output.channel = 4;
  engine.model.output.port = 2;
  EXPECT_EQ(engine.ProcessEvent(2, 64, 0), 0);
  EXPECT_EQ(engine.model.pan, 64);
  EXPECT_EQ(engine.ProcessEvent(3, 100, 0x7F), 0);
  EXPECT_EQ(engine.model.volume, 100);
  EXPECT_EQ(Describe(host.midi), Describe({Cc(10, 64, 4, 2), Cc(7, 100, 4, 2)}));
}

TEST_F(ParametersTest, OtherEventsDoNothing) {
  for (int32_t event : {0, 1, 4, 5, -1, kMax}) EXPECT_EQ(engine.ProcessEvent(event, 64, 0), 0);
  EXPECT_TRUE(host.midi.empty());
  EXPECT_EQ(engine.model.pan, 0);
  EXPECT_EQ(engine.model.volume, 0);
}

TEST_F(ParametersTest, GhostingIgnoresEvents) {
  engine.model.output.ccGhosting = 1;
  EXPECT_EQ(engine.ProcessEvent(2, 64, 0), 0);
  EXPECT_EQ(engine.ProcessEvent(3, 64, 0), 0);
  EXPECT_EQ(engine.model.pan, 0);
  EXPECT_EQ(engine.model.volume, 0);
  EXPECT_TRUE(host.midi.empty());
}

TEST_F(ParametersTest, EventValueKeepsItsLowByteAndGoesOutAsAValidDataByte) {
  engine.ProcessEvent(2, 0x1C8, 0);  // low byte 0xC8 = 200
  EXPECT_EQ(engine.model.pan, 200);
  engine.ProcessEvent(3, 0x140, 0);  // low byte 0x40 = 64
  EXPECT_EQ(engine.model.volume, 64);
  EXPECT_EQ(Describe(host.midi), Describe({Cc(10, 127), Cc(7, 64)}));
}

// --- ShowPercentHint ----------------------------------------------------------------

TEST_F(ParametersTest, PercentHintOfNormalValues) {
  engine.ShowPercentHint(127, 127);
  engine.ShowPercentHint(64, 127);
  engine.ShowPercentHint(1, 127);
  engine.ShowPercentHint(0, 127);
  engine.ShowPercentHint(-64, 127);  // truncation toward zero
  engine.ShowPercentHint(50, 127);
  EXPECT_EQ(host.hints, (std::vector<std::string>{"100%", "50%", "0%", "0%", "-50%", "39%"}));
}

TEST_F(ParametersTest, PercentHintNeverOverflows) {
  engine.ShowPercentHint(kMax, 127);  // 32-bit product would overflow; quotient fits
  engine.ShowPercentHint(kMin, 127);
  engine.ShowPercentHint(kMax, 1);  // saturates
  engine.ShowPercentHint(kMin, 1);
  engine.ShowPercentHint(kMin, -1);
  engine.ShowPercentHint(5, 0);  // no division by zero
  engine.ShowPercentHint(-5, 0);
  engine.ShowPercentHint(0, 0);
  EXPECT_EQ(host.hints,
            (std::vector<std::string>{"1690932005%", "-1690932006%", "2147483647%", "-2147483648%",
                                      "2147483647%", "2147483647%", "-2147483648%", "0%"}));
}

TEST_F(ParametersTest, PercentHintUsesTheHostTag) {
  struct TagHost : RecordingHost {
    int32_t sender = 0;
    void PLUG_CALL ShowHint(int32_t s, const char* text) override {
      sender = s;
      RecordingHost::ShowHint(s, text);
    }
  } tagHost;
  ArticulationEngine e(&tagHost, 1234);
  e.ShowPercentHint(1, 2);
  EXPECT_EQ(tagHost.sender, 1234);
  EXPECT_EQ(tagHost.hints, std::vector<std::string>{"50%"});
}

// --- GetName -----------------------------------------------------------------------

TEST_F(ParametersTest, ParameterNames) {
  EXPECT_EQ(Name(0, 0), "Dynamics");
  EXPECT_EQ(Name(0, 1), "Breath");
  EXPECT_EQ(Name(0, 10), "Expression");
  EXPECT_EQ(Name(0, 15), "Speed");
  EXPECT_EQ(Name(0, 16), "Release");
  EXPECT_EQ(Name(0, 17), "Tightness");
  EXPECT_EQ(Name(0, 19), "Portamento");
  EXPECT_EQ(Name(0, 20), "Vibrato");
  EXPECT_EQ(Name(0, 63), "Hold");
  EXPECT_EQ(Name(0, 6), "CC 7");
  EXPECT_EQ(Name(0, 18), "CC 19");
  EXPECT_EQ(Name(0, 126), "CC 127");
  EXPECT_EQ(Name(0, 200), "CC 201");
  EXPECT_EQ(Name(0, -1), "CC 0");
  EXPECT_EQ(Name(0, kMax), "CC 2147483648");
  EXPECT_EQ(Name(0, kMin), "CC -2147483647");
}

TEST_F(ParametersTest, ValueTexts) {
  EXPECT_EQ(Name(1, 5, 42), "42");
  EXPECT_EQ(Name(1, 63, -7), "-7");
  EXPECT_EQ(Name(1, 0, kMin), "-2147483648");
}

TEST_F(ParametersTest, ColourNamesAreTheSlotNames) {
  engine.model.bank.name.Set(3, "Legato");
  const std::string longest(kMaxNameLength, 'n');
  engine.model.bank.name.Set(15, longest);
  EXPECT_EQ(Name(8, 3), "Legato");
  EXPECT_EQ(Name(8, 15), longest);
  EXPECT_EQ(Name(8, 0), "");
}

TEST_F(ParametersTest, ColourNameOutsideTheSlotsIsEmpty) {
  engine.model.bank.name.Set(0, "Spiccato");
  for (int32_t index : {16, -1, 1000, kMin, kMax}) EXPECT_EQ(Name(8, index), "") << index;
}

TEST_F(ParametersTest, OtherSectionsWriteNothing) {
  for (int32_t section : {2, 3, 7, 9, -1}) {
    char text[8] = "keep";
    engine.GetName(section, 0, 5, text);
    EXPECT_STREQ(text, "keep") << section;
  }
}

}  // namespace
