// The state stream: the version-5 layout written, versions 1 to 5 read, the
// preserve guard across loads, and what a load does around the reading.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "state/state_stream.h"
#include "tests/fuzz/state_test_support.h"
#include "tests/support/memory_stream.h"
#include "tests/support/recording_host.h"

namespace {

void AppendWord(std::vector<uint8_t>& bytes, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3,
                int times = 1) {
  for (int i = 0; i < times; ++i) bytes.insert(bytes.end(), {b0, b1, b2, b3});
}

// A model with every saved field away from its default.
DataModel EditedModel() {
  DataModel m;
  m.output.channel = 9;
  m.output.port = 200;
  m.output.ccGhosting = 1;
  m.output.preservePortChannel = 1;
  for (int i = 0; i < kSlotCount; ++i) {
    m.bank.keyswitch[i] = 24 + i;
    m.bank.uacc[i] = i == 4 ? -1 : 100 + i;
    m.bank.modwheel[i] = 3 * i;
    m.bank.iconId[i] = 127 - i;
    m.bank.name.Set(i, std::string(static_cast<size_t>(i), static_cast<char>('A' + i)));
  }
  m.controllers.value = {0, 1, 64, 100, 126, 127};
  m.pageIndex = 2;
  m.selectedSlot = 15;
  return m;
}

void ExpectSavedFieldsEqual(const DataModel& expected, const DataModel& actual) {
  EXPECT_EQ(actual.output.channel, expected.output.channel);
  EXPECT_EQ(actual.output.port, expected.output.port);
  EXPECT_EQ(actual.output.ccGhosting, expected.output.ccGhosting);
  EXPECT_EQ(actual.output.midiExtend, expected.output.midiExtend);
  EXPECT_EQ(actual.output.preservePortChannel, expected.output.preservePortChannel);
  EXPECT_EQ(actual.bank.keyswitch, expected.bank.keyswitch);
  EXPECT_EQ(actual.bank.uacc, expected.bank.uacc);
  EXPECT_EQ(actual.bank.modwheel, expected.bank.modwheel);
  EXPECT_EQ(actual.bank.iconId, expected.bank.iconId);
  EXPECT_EQ(actual.bank.name, expected.bank.name);
  EXPECT_EQ(actual.controllers.value, expected.controllers.value);
  EXPECT_EQ(actual.pageIndex, expected.pageIndex);
  EXPECT_EQ(actual.selectedSlot, expected.selectedSlot);
}

// A later load: the instance has loaded a state before.
DataModel LoadedInstance(int32_t preservePortChannel) {
  DataModel m;
  m.freshInstance = 0;
  m.output.preservePortChannel = preservePortChannel;
  m.output.channel = 3;
  m.output.port = 4;
  m.pageIndex = 0;
  m.selectedSlot = 6;
  return m;
}

StoredState GuardTestState(int32_t storedPreserve) {
  StoredState s;
  s.channel = 11;
  s.port = 22;
  s.preservePortChannel = storedPreserve;
  s.keyswitch[2] = 40;
  s.pageIndex = 2;
  s.selectedSlot = 9;
  return s;
}

}  // namespace

TEST(StateSave, NewInstanceSavesThe346DefaultBytes) {
  std::vector<uint8_t> expected;
  AppendWord(expected, 0x05, 0, 0, 0);
  AppendWord(expected, 0, 0, 0, 0, 5);
  AppendWord(expected, 0xFF, 0xFF, 0xFF, 0xFF, 48);
  AppendWord(expected, 0x37, 0, 0, 0, 16);
  for (int i = 0; i < 16; ++i) expected.insert(expected.end(), {0, 0});
  expected.insert(expected.end(), {0x06, 0});
  AppendWord(expected, 0x7F, 0, 0, 0, 5);
  AppendWord(expected, 0, 0, 0, 0);
  AppendWord(expected, 0x01, 0, 0, 0);
  AppendWord(expected, 0, 0, 0, 0);
  ASSERT_EQ(expected.size(), 346u);

  DataModel fresh;
  EXPECT_EQ(SavedBytes(fresh), expected);
}

TEST(StateSave, WritesOneCallPerWordCountAndName) {
  DataModel m;
  m.bank.name.Set(1, "Legato");
  MemoryStream out;
  SaveState(m, out);

  std::vector<uint32_t> expected(1 + 5 + 64, 4);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    expected.push_back(2);
    expected.push_back(slot == 1 ? 6 : 0);  // an empty name still gets its call
  }
  expected.push_back(2);
  expected.insert(expected.end(), 6 + 2, 4);
  EXPECT_EQ(out.writeCalls, expected);
}

TEST(StateSave, NamesFollowTheIconsWithoutGaps) {
  DataModel m;
  m.bank.name.Set(0, "ab");
  m.bank.name.Set(15, "z");
  const std::vector<uint8_t> bytes = SavedBytes(m);
  ASSERT_EQ(bytes.size(), 346u + 3u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 280, bytes.begin() + 284),
            (std::vector<uint8_t>{2, 0, 'a', 'b'}));
  // Name 15 ends just before the controller count.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 312, bytes.begin() + 317),
            (std::vector<uint8_t>{1, 0, 'z', 6, 0}));
}

TEST(StateLoad, SavedStateRestoresEverySavedFieldInANewInstance) {
  const DataModel edited = EditedModel();
  DataModel restored;
  LoadBytes(restored, SavedBytes(edited));
  ExpectSavedFieldsEqual(edited, restored);
  EXPECT_EQ(restored.freshInstance, 0);
}

TEST(StateLoad, ReadsOneCallPerWordCountAndName) {
  StoredState s;
  s.name[3] = "Spiccato";
  MemoryStream in(s.Bytes(5));
  DataModel m;
  LoadState(m, in, nullptr);

  std::vector<uint32_t> expected(1 + 5 + 64, 4);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    expected.push_back(2);
    expected.push_back(slot == 3 ? 8 : 0);
  }
  expected.push_back(2);
  expected.insert(expected.end(), 6 + 2, 4);
  expected.push_back(12);  // looks for the additions' block, and finds the end
  EXPECT_EQ(in.readCalls, expected);
  EXPECT_EQ(m.bank.name[3], "Spiccato");
}

TEST(StateLoad, Version1ConvertsZeroToNoneAndGivesKeyswitchSlotsIcon1) {
  DataModel m;
  m.bank.name.Set(5, "Old name");
  m.controllers.value[0] = 5;
  m.pageIndex = 2;
  m.selectedSlot = 7;
  std::array<int32_t, kSlotCount> words{};
  words[1] = 36;
  LoadBytes(m, EarlyStream(2, 3, -1, 0, words));

  EXPECT_EQ(m.bank.keyswitch[0], -1);
  EXPECT_EQ(m.bank.iconId[0], 55);
  EXPECT_EQ(m.bank.keyswitch[1], 36);
  EXPECT_EQ(m.bank.iconId[1], 1);
  for (int i = 0; i < kSlotCount; ++i) {
    EXPECT_EQ(m.bank.uacc[i], -1);
    EXPECT_EQ(m.bank.modwheel[i], -1);
    EXPECT_EQ(m.bank.name[i], "");
  }
  EXPECT_EQ(m.output.channel, 2);
  EXPECT_EQ(m.output.port, 3);
  EXPECT_EQ(Plain(m.controllers.value), (std::array<int32_t, 6>{127, 127, 127, 127, 127, 0}));
  // Versions 1 and 2 carry no view state: it stays as it was.
  EXPECT_EQ(m.pageIndex, 2);
  EXPECT_EQ(m.selectedSlot, 7);
}

TEST(StateLoad, Version2WithUaccFlagMovesValuesToUacc) {
  std::array<int32_t, kSlotCount> words{};
  words[3] = 5;
  DataModel m;
  LoadBytes(m, EarlyStream(0, 0, 1, 2, words));
  EXPECT_EQ(m.bank.uacc[3], 5);
  EXPECT_EQ(m.bank.keyswitch[3], -1);
  EXPECT_EQ(m.bank.iconId[3], 1);
  for (int i = 0; i < kSlotCount; ++i) {
    if (i == 3) continue;
    EXPECT_EQ(m.bank.uacc[i], -1) << i;
    EXPECT_EQ(m.bank.keyswitch[i], -1) << i;
    EXPECT_EQ(m.bank.iconId[i], 55) << i;
  }
  EXPECT_EQ(m.output.ccGhosting, 2);  // version 2 keeps all 32 bits
}

TEST(StateLoad, Version2WithoutUaccFlagKeepsKeyswitches) {
  std::array<int32_t, kSlotCount> words{};
  words[3] = 5;
  DataModel m;
  LoadBytes(m, EarlyStream(0, 0, 0, 0, words));
  EXPECT_EQ(m.bank.keyswitch[3], 5);
  EXPECT_EQ(m.bank.uacc[3], -1);
  EXPECT_EQ(m.bank.iconId[3], 1);
}

TEST(StateLoad, CcGhosting2StaysInVersion3AndDropsToBit0InVersion4) {
  StoredState s;
  s.ccGhosting = 2;
  DataModel v3;
  LoadBytes(v3, s.Bytes(3));
  EXPECT_EQ(v3.output.ccGhosting, 2);
  DataModel v4;
  LoadBytes(v4, s.Bytes(4));
  EXPECT_EQ(v4.output.ccGhosting, 0);
  s.ccGhosting = 3;
  DataModel v5;
  LoadBytes(v5, s.Bytes(5));
  EXPECT_EQ(v5.output.ccGhosting, 1);
}

TEST(StateLoad, NonZeroMidiExtendLoadsAsZero) {
  for (int32_t version : {4, 5}) {
    StoredState s;
    s.midiExtend = 1;
    s.preservePortChannel = 1;
    s.keyswitch[0] = 60;
    DataModel m;
    LoadBytes(m, s.Bytes(version));
    EXPECT_EQ(m.output.midiExtend, 0) << version;
    EXPECT_EQ(m.bank.keyswitch[0], 60) << version;
    EXPECT_EQ(m.output.preservePortChannel, version == 5 ? 1 : 0) << version;
  }
}

TEST(StateLoad, ControllerCountOf3LeavesTheRestAtDefaults) {
  for (int32_t version : {3, 4, 5}) {
    StoredState s;
    s.controllers = {10, 20, 30};
    s.pageIndex = 0;
    s.selectedSlot = 12;
    const StreamBytes stream = s.Compose(version);
    DataModel m;
    MemoryStream in(stream.bytes);
    LoadState(m, in, nullptr);
    EXPECT_EQ(Plain(m.controllers.value), (std::array<int32_t, 6>{10, 20, 30, 127, 127, 0})) << version;
    EXPECT_EQ(m.pageIndex, 0) << version;
    EXPECT_EQ(m.selectedSlot, 12) << version;
    EXPECT_EQ(in.Unread(), 0u) << version;
  }
}

TEST(StateLoad, ZeroByteCutsANameAndTheNextNameStaysAligned) {
  StoredState s;
  s.name[0] = std::string("ab\0cd", 5);
  s.name[1] = "Tremolo";
  s.name[15] = "Last";
  s.controllers = {1, 2, 3, 4, 5, 6};
  DataModel m;
  LoadBytes(m, s.Bytes(5));
  EXPECT_EQ(m.bank.name[0], "ab");
  EXPECT_EQ(m.bank.name[1], "Tremolo");
  EXPECT_EQ(m.bank.name[15], "Last");
  EXPECT_EQ(Plain(m.controllers.value), (std::array<int32_t, 6>{1, 2, 3, 4, 5, 6}));
}

TEST(StateLoad, UnknownVersionsLeaveTheResetStateAndEndFreshness) {
  for (int32_t version : {0, 6, -1, 7, 0x7FFFFFFF}) {
    DataModel m;
    m.output.channel = 5;
    m.output.port = 6;
    m.bank.name.Set(0, "Before");
    m.pageIndex = 2;
    StreamBytes stream;
    stream.Int32(version);
    stream.Append(StoredState{}.Bytes(5));  // fields that must not be read
    MemoryStream in(stream.bytes);
    RepaintLog repaint;
    LoadState(m, in, &repaint);
    EXPECT_EQ(in.readCalls, std::vector<uint32_t>{4}) << version;
    EXPECT_EQ(m.output.channel, 0) << version;  // a fresh instance's reset
    EXPECT_EQ(m.output.port, 0) << version;
    EXPECT_EQ(m.bank.name[0], "") << version;
    EXPECT_EQ(m.pageIndex, 2) << version;
    EXPECT_EQ(repaint.calls, std::vector<bool>{false}) << version;
    EXPECT_EQ(m.freshInstance, 0) << version;
  }
}

TEST(StateLoad, AfterAnUnknownVersionALoadWithPreserveSetKeepsTheAddress) {
  for (int32_t version : {0, 6}) {
    DataModel m;
    StreamBytes unknown;
    unknown.Int32(version);
    LoadBytes(m, unknown.bytes);
    m.output.preservePortChannel = 1;
    m.output.channel = 12;
    m.output.port = 13;

    StoredState s = GuardTestState(0);
    LoadBytes(m, s.Bytes(5));
    EXPECT_EQ(m.output.channel, 12) << version;
    EXPECT_EQ(m.output.port, 13) << version;
    EXPECT_EQ(m.output.preservePortChannel, 1) << version;
    EXPECT_EQ(m.bank.keyswitch[2], 40) << version;
  }
}

TEST(StateLoad, UnknownVersionOnAFreshInstanceThatPreservesKeepsTheAddress) {
  DataModel m;
  m.output.preservePortChannel = 1;
  m.output.channel = 8;
  m.output.port = 9;
  StreamBytes unknown;
  unknown.Int32(6);
  LoadBytes(m, unknown.bytes);
  EXPECT_EQ(m.output.channel, 8);
  EXPECT_EQ(m.output.port, 9);
}

TEST(StateLoad, EmptyStreamReadsAsVersion5WithNothingStored) {
  DataModel m;
  m.bank.keyswitch[0] = 50;
  m.output.preservePortChannel = 1;
  m.selectedSlot = 4;
  RepaintLog repaint;
  LoadBytes(m, {}, &repaint);
  EXPECT_EQ(m.bank.keyswitch[0], -1);
  EXPECT_EQ(m.output.preservePortChannel, 1);
  EXPECT_EQ(m.selectedSlot, 4);
  EXPECT_EQ(m.pageIndex, 1);
  EXPECT_EQ(repaint.calls, std::vector<bool>{false});
  EXPECT_EQ(m.freshInstance, 0);
}

TEST(StateLoad, ResetsBeforeReading) {
  DataModel m;
  m.freshInstance = 0;
  m.pan = 40;
  m.volume = 50;
  m.currentSlot = 9;
  m.sent = {60, 70, 80};
  m.output.ccGhosting = 1;
  m.bank.name.Set(2, "Pizzicato");
  m.bank.iconId[2] = 3;
  m.controllers.value[5] = 127;
  LoadBytes(m, StoredState{}.Bytes(3));
  EXPECT_EQ(m.pan, 0);
  EXPECT_EQ(m.volume, 0);
  EXPECT_EQ(m.currentSlot, 0);
  EXPECT_EQ(m.sent.lastKeyswitch, 255);
  EXPECT_EQ(m.sent.lastUacc, 255);
  EXPECT_EQ(m.sent.lastModwheel, 255);
  EXPECT_EQ(m.output.ccGhosting, 0);
  EXPECT_EQ(m.bank.name[2], "");
  EXPECT_EQ(m.bank.iconId[2], 55);
  EXPECT_EQ(m.controllers.value[5], 0);
}

TEST(StateLoad, VersionsBefore5LeavePreservePortChannelAsItWas) {
  for (int32_t version : {1, 2, 3, 4}) {
    DataModel m = LoadedInstance(1);
    const std::vector<uint8_t> bytes = version <= 2
                                           ? EarlyStream(1, 1, version == 2 ? 0 : -1, 0, {})
                                           : StoredState{}.Bytes(version);
    LoadBytes(m, bytes);
    EXPECT_EQ(m.output.preservePortChannel, 1) << version;
  }
}

TEST(StateLoad, RepaintAsksForTheWholePanelWithTheLoadedValuesInPlace) {
  class Capture : public EditorRepaint {
   public:
    explicit Capture(const DataModel& m) : model(m) {}
    void InvalidateEditor(bool gridOnly) override {
      grids.push_back(gridOnly);
      keyswitchSeen = model.bank.keyswitch[2];
    }
    const DataModel& model;
    std::vector<bool> grids;
    int32_t keyswitchSeen = 0;
  };
  DataModel m;
  Capture capture(m);
  MemoryStream in(GuardTestState(0).Bytes(5));
  LoadState(m, in, &capture);
  EXPECT_EQ(capture.grids, std::vector<bool>{false});
  EXPECT_EQ(capture.keyswitchSeen, 40);
}

TEST(StateLoad, SendsNothingOnTheMidiOutput) {
  RecordingHost host;
  ArticulationEngine engine(&host, 7);
  engine.InitState();
  host.midi.clear();
  StoredState s = GuardTestState(0);
  s.controllers = {1, 2, 3, 4, 5, 6};
  for (int32_t version : {1, 2, 3, 4, 5, 6}) {
    const std::vector<uint8_t> bytes =
        version <= 2 ? EarlyStream(1, 1, version == 2 ? 1 : -1, 0, s.keyswitch) : s.Bytes(version);
    LoadBytes(engine.model, bytes);
  }
  EXPECT_TRUE(host.midi.empty());
}

// The four rows of what the preserve guard does across loads.
TEST(StatePreserveGuard, FirstLoadAppliesEverything) {
  for (int32_t preserveBefore : {0, 1}) {
    DataModel m;  // fresh
    m.output.preservePortChannel = preserveBefore;
    m.output.channel = 3;
    m.output.port = 4;
    LoadBytes(m, GuardTestState(0).Bytes(5));
    EXPECT_EQ(m.output.channel, 11) << preserveBefore;
    EXPECT_EQ(m.output.port, 22) << preserveBefore;
    EXPECT_EQ(m.output.preservePortChannel, 0) << preserveBefore;
    EXPECT_EQ(m.pageIndex, 2) << preserveBefore;
    EXPECT_EQ(m.selectedSlot, 9) << preserveBefore;
  }
}

TEST(StatePreserveGuard, LaterLoadWithPreserveSetKeepsAddressFlagAndPage) {
  DataModel m = LoadedInstance(1);
  LoadBytes(m, GuardTestState(0).Bytes(5));
  EXPECT_EQ(m.output.channel, 3);
  EXPECT_EQ(m.output.port, 4);
  EXPECT_EQ(m.output.preservePortChannel, 1);
  EXPECT_EQ(m.pageIndex, 0);
  EXPECT_EQ(m.selectedSlot, 9);  // always applied
  EXPECT_EQ(m.bank.keyswitch[2], 40);
}

TEST(StatePreserveGuard, LaterLoadWithoutPreserveAndStoredFlag0AppliesAll) {
  DataModel m = LoadedInstance(0);
  LoadBytes(m, GuardTestState(0).Bytes(5));
  EXPECT_EQ(m.output.channel, 11);
  EXPECT_EQ(m.output.port, 22);
  EXPECT_EQ(m.output.preservePortChannel, 0);
  EXPECT_EQ(m.pageIndex, 2);
  EXPECT_EQ(m.selectedSlot, 9);
}

TEST(StatePreserveGuard, LaterLoadWithoutPreserveAndStoredFlagSetKeepsThePage) {
  DataModel m = LoadedInstance(0);
  LoadBytes(m, GuardTestState(1).Bytes(5));
  EXPECT_EQ(m.output.channel, 11);
  EXPECT_EQ(m.output.port, 22);
  EXPECT_EQ(m.output.preservePortChannel, 1);
  EXPECT_EQ(m.pageIndex, 0);
  EXPECT_EQ(m.selectedSlot, 9);
}

TEST(StatePreserveGuard, Versions3And4AlwaysApplyThePageButGuardTheAddress) {
  for (int32_t version : {3, 4}) {
    DataModel m = LoadedInstance(1);
    LoadBytes(m, GuardTestState(0).Bytes(version));
    EXPECT_EQ(m.output.channel, 3) << version;
    EXPECT_EQ(m.output.port, 4) << version;
    EXPECT_EQ(m.pageIndex, 2) << version;
    EXPECT_EQ(m.selectedSlot, 9) << version;
  }
}

TEST(StatePreserveGuard, Versions1And2GuardTheAddress) {
  for (int32_t flag : {-1, 0}) {
    DataModel kept = LoadedInstance(1);
    LoadBytes(kept, EarlyStream(11, 22, flag, 0, {}));
    EXPECT_EQ(kept.output.channel, 3) << flag;
    EXPECT_EQ(kept.output.port, 4) << flag;
    DataModel applied = LoadedInstance(0);
    LoadBytes(applied, EarlyStream(11, 22, flag, 0, {}));
    EXPECT_EQ(applied.output.channel, 11) << flag;
    EXPECT_EQ(applied.output.port, 22) << flag;
  }
}

TEST(StatePreserveGuard, SecondLoadOfTheSameBytesWithPreserveSetAppliesTheRest) {
  const DataModel edited = EditedModel();  // saves preservePortChannel 1
  const std::vector<uint8_t> bytes = SavedBytes(edited);
  DataModel m;
  LoadBytes(m, bytes);
  m.output.channel = 1;
  m.output.port = 2;
  m.pageIndex = 0;
  m.bank.keyswitch[0] = 99;
  m.selectedSlot = 0;
  LoadBytes(m, bytes);
  EXPECT_EQ(m.output.channel, 1);
  EXPECT_EQ(m.output.port, 2);
  EXPECT_EQ(m.output.preservePortChannel, 1);
  EXPECT_EQ(m.pageIndex, 0);
  EXPECT_EQ(m.bank.keyswitch[0], edited.bank.keyswitch[0]);
  EXPECT_EQ(m.selectedSlot, edited.selectedSlot);
  EXPECT_EQ(m.bank.name, edited.bank.name);
}
