// Project files are user data: truncated, corrupted or out-of-range states
// must load without reading out of bounds, leave nothing uninitialised, and
// leave only values the painter and the MIDI output can use.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>

#include "state/state_stream.h"
#include "tests/fuzz/state_test_support.h"
#include "tests/support/memory_stream.h"

namespace {

struct WordField {
  const char* what;
  size_t end;  // offset just past the field in the stream
  std::function<int32_t(const DataModel&)> get;
};

struct NameField {
  size_t end;
  int slot;
};

// A version-5 stream with every field away from its default, and where each
// field ends.
struct MarkedStream {
  StreamBytes stream;
  std::vector<WordField> words;
  std::vector<NameField> names;
};

MarkedStream MarkedVersion5() {
  MarkedStream ms;
  StreamBytes& s = ms.stream;
  auto word = [&](const char* what, int32_t value, std::function<int32_t(const DataModel&)> get) {
    ms.words.push_back({what, s.Int32(value), std::move(get)});
  };
  s.Int32(5);
  word("channel", 9, [](const DataModel& m) { return m.output.channel; });
  word("port", 200, [](const DataModel& m) { return m.output.port; });
  word("ccGhosting", 3, [](const DataModel& m) { return m.output.ccGhosting; });
  word("midiExtend", 7, [](const DataModel& m) { return m.output.midiExtend; });
  word("preservePortChannel", 1, [](const DataModel& m) { return m.output.preservePortChannel; });
  for (int i = 0; i < kSlotCount; ++i)
    word("keyswitch", 10 + i, [i](const DataModel& m) { return m.bank.keyswitch[i]; });
  for (int i = 0; i < kSlotCount; ++i)
    word("uacc", 30 + i, [i](const DataModel& m) { return m.bank.uacc[i]; });
  for (int i = 0; i < kSlotCount; ++i)
    word("modwheel", 50 + i, [i](const DataModel& m) { return m.bank.modwheel[i]; });
  for (int i = 0; i < kSlotCount; ++i)
    word("iconId", 70 + i, [i](const DataModel& m) { return m.bank.iconId[i]; });
  for (int i = 0; i < kSlotCount; ++i) {
    const auto length = static_cast<size_t>(i % 3 == 0 ? 0 : i * 7 % 40 + 1);
    std::string name(length, static_cast<char>('a' + i));
    if (i == 5) name = std::string("ab\0c", 4);
    ms.names.push_back({s.Name(name), i});
  }
  s.Uint16(6);
  for (int i = 0; i < kControllerCount; ++i)
    word("controller", 10 + i, [i](const DataModel& m) { return m.controllers.value[i]; });
  word("pageIndex", 2, [](const DataModel& m) { return m.pageIndex; });
  word("selectedSlot", 11, [](const DataModel& m) { return m.selectedSlot; });
  return ms;
}

}  // namespace

TEST(StateTruncated, EveryPrefixOfAVersion5StreamLoadsExactlyTheFieldsThatArrived) {
  const MarkedStream ms = MarkedVersion5();
  DataModel complete;
  LoadBytes(complete, ms.stream.bytes);
  const DataModel before;  // a new instance

  for (size_t n = 0; n <= ms.stream.bytes.size(); ++n) {
    DataModel m;
    MemoryStream in(ms.stream.Prefix(n));
    LoadState(m, in, nullptr);
    ASSERT_EQ(BrokenLimit(m), "") << "cut at " << n;
    for (const WordField& f : ms.words) {
      const int32_t expected = f.end <= n ? f.get(complete) : f.get(before);
      ASSERT_EQ(f.get(m), expected) << f.what << " ending at " << f.end << ", cut at " << n;
    }
    for (const NameField& f : ms.names) {
      const std::string& expected =
          f.end <= n ? complete.bank.name[f.slot] : before.bank.name[f.slot];
      ASSERT_EQ(m.bank.name[f.slot], expected) << "name " << f.slot << ", cut at " << n;
    }
    ASSERT_EQ(m.freshInstance, 0);
  }
  // The stream holds distinct values, so the comparison above saw real loads.
  EXPECT_EQ(complete.output.ccGhosting, 1);
  EXPECT_EQ(complete.output.midiExtend, 0);
  EXPECT_EQ(complete.bank.name[5], "ab");
  EXPECT_EQ(complete.bank.name[4], std::string(29, 'e'));
}

TEST(StateTruncated, EveryPrefixOfAVersion2StreamConvertsOnlyTheWordsThatArrived) {
  std::array<int32_t, kSlotCount> values{};
  for (int i = 0; i < kSlotCount; ++i) values[i] = i % 4 == 0 ? 0 : 3 * (i + 1);
  const std::vector<uint8_t> bytes = EarlyStream(9, 200, 1, 1, values);
  for (size_t n = 0; n <= bytes.size(); ++n) {
    DataModel m;
    LoadBytes(m,
              std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
    ASSERT_EQ(BrokenLimit(m), "");
    ASSERT_EQ(m.output.channel, n >= 8 ? 9 : 0) << n;
    ASSERT_EQ(m.output.port, n >= 12 ? 200 : 0) << n;
    ASSERT_EQ(m.output.ccGhosting, n >= 20 ? 1 : 0) << n;
    for (int i = 0; i < kSlotCount; ++i) {
      const bool converted = n >= 24u + 4u * static_cast<size_t>(i) && values[i] != 0;
      ASSERT_EQ(m.bank.keyswitch[i], -1) << i << " cut at " << n;
      ASSERT_EQ(m.bank.uacc[i], converted ? values[i] : -1) << i << " cut at " << n;
      ASSERT_EQ(m.bank.iconId[i], converted ? 1 : 55) << i << " cut at " << n;
    }
  }
}

TEST(StateTruncated, APartialWordCountsAsMissing) {
  DataModel m;
  m.freshInstance = 0;
  m.output.channel = 5;
  m.output.port = 6;
  StoredState s;
  s.channel = 0x0A;
  const std::vector<uint8_t> bytes = s.Bytes(5);
  LoadBytes(m, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6));  // version and 2 bytes
  EXPECT_EQ(m.output.channel, 5);
  EXPECT_EQ(m.output.port, 6);

  DataModel partialVersion;
  partialVersion.output.channel = 5;
  LoadBytes(partialVersion, {0x06, 0x00});  // not version 6: no version word at all
  EXPECT_EQ(partialVersion.freshInstance, 0);
  EXPECT_EQ(partialVersion.output.channel, 0);
}

TEST(StateTruncated, NameCutShortLeavesTheNameEmptyAndReadsNoFurther) {
  StoredState s;
  s.name[0] = "Legato";
  s.name[1] = "Staccato";
  StreamBytes full = s.Compose(5);
  const size_t name1Bytes = 280 + 2 + 6 + 2;
  DataModel m;
  MemoryStream in(full.Prefix(name1Bytes + 3));
  LoadState(m, in, nullptr);
  EXPECT_EQ(m.bank.name[0], "Legato");
  EXPECT_EQ(m.bank.name[1], "");
  EXPECT_EQ(Plain(m.controllers.value), (std::array<int32_t, 6>{127, 127, 127, 127, 127, 0}));
  // After the short read nothing more is asked of the stream.
  const size_t callsAfterName0 = 1 + 5 + 64 + 2;
  EXPECT_EQ(in.readCalls.size(), callsAfterName0 + 2);
}

TEST(StateTruncated, AHugeControllerCountInAShortStreamEndsQuickly) {
  StoredState s;
  StreamBytes stream = s.Compose(5);
  // Replace the count 6 by 65535 and end the stream after two values.
  const size_t countAt = 280 + 2 * kSlotCount;
  stream.bytes[countAt] = 0xFF;
  stream.bytes[countAt + 1] = 0xFF;
  stream.bytes[countAt + 2] = 42;
  stream.bytes[countAt + 6] = 43;
  MemoryStream in(stream.Prefix(countAt + 2 + 8));
  DataModel m;
  LoadState(m, in, nullptr);
  EXPECT_EQ(Plain(m.controllers.value), (std::array<int32_t, 6>{42, 43, 127, 127, 127, 0}));
  EXPECT_LT(in.readCalls.size(), 120u);
}

TEST(StateBadValues, ControllerValuesPastTheSixthAreDropped) {
  for (int32_t version : {3, 4, 5}) {
    StoredState s;
    s.controllers = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    s.pageIndex = 2;
    s.selectedSlot = 14;
    MemoryStream in(s.Bytes(version));
    DataModel m;
    LoadState(m, in, nullptr);
    EXPECT_EQ(Plain(m.controllers.value), (std::array<int32_t, 6>{1, 2, 3, 4, 5, 6})) << version;
    EXPECT_EQ(m.pageIndex, 2) << version;
    EXPECT_EQ(m.selectedSlot, 14) << version;
    EXPECT_EQ(in.Unread(), 0u) << version;
  }
}

TEST(StateBadValues, LongNamesKeep255BytesAndTheStreamStaysAligned) {
  for (size_t length : {256u, 300u, 65535u}) {
    StoredState s;
    s.name[0].resize(length);
    for (size_t i = 0; i < length; ++i) s.name[0][i] = static_cast<char>('A' + i % 26);
    s.name[1] = "Next";
    s.controllers = {9, 9, 9, 9, 9, 9};
    s.selectedSlot = 3;
    MemoryStream in(s.Bytes(5));
    DataModel m;
    LoadState(m, in, nullptr);
    EXPECT_EQ(m.bank.name[0], s.name[0].substr(0, 255)) << length;
    EXPECT_EQ(m.bank.name[1], "Next") << length;
    EXPECT_EQ(m.controllers.value[5], 9) << length;
    EXPECT_EQ(m.selectedSlot, 3) << length;
    EXPECT_EQ(in.Unread(), 0u) << length;
  }
}

TEST(StateBadValues, ANameStartingWithAZeroByteIsEmpty) {
  StoredState s;
  s.name[7] = std::string("\0abc", 4);
  s.name[8] = "ok";
  DataModel m;
  LoadBytes(m, s.Bytes(4));
  EXPECT_EQ(m.bank.name[7], "");
  EXPECT_EQ(m.bank.name[8], "ok");
}

TEST(StateBadValues, ArticulationValuesAreLimitedAndValidOnesKeptExactly) {
  const std::array<std::pair<int32_t, int32_t>, 9> messageValues = {{
      {-2, -1},
      {INT_MIN, -1},
      {128, 127},
      {INT_MAX, 127},
      {1000, 127},
      {-1, -1},
      {0, 0},
      {127, 127},
      {64, 64},
  }};
  const std::array<std::pair<int32_t, int32_t>, 8> icons = {{
      {-1, 0},
      {INT_MIN, 0},
      {128, 127},
      {149, 127},
      {INT_MAX, 127},
      {0, 0},
      {127, 127},
      {55, 55},
  }};
  for (int32_t version : {3, 4, 5}) {
    StoredState s;
    for (size_t i = 0; i < messageValues.size(); ++i) {
      s.keyswitch[i] = messageValues[i].first;
      s.uacc[i + 1] = messageValues[i].first;
      s.modwheel[i + 2] = messageValues[i].first;
    }
    for (size_t i = 0; i < icons.size(); ++i) s.iconId[i] = icons[i].first;
    DataModel m;
    LoadBytes(m, s.Bytes(version));
    for (size_t i = 0; i < messageValues.size(); ++i) {
      EXPECT_EQ(m.bank.keyswitch[i], messageValues[i].second) << messageValues[i].first;
      EXPECT_EQ(m.bank.uacc[i + 1], messageValues[i].second) << messageValues[i].first;
      EXPECT_EQ(m.bank.modwheel[i + 2], messageValues[i].second) << messageValues[i].first;
    }
    for (size_t i = 0; i < icons.size(); ++i)
      EXPECT_EQ(m.bank.iconId[i], icons[i].second) << icons[i].first;
  }
}

TEST(StateBadValues, ControllersAreLimitedToMidiValues) {
  StoredState s;
  s.controllers = {-1, 128, INT_MIN, 0, 127, 64};
  DataModel m;
  LoadBytes(m, s.Bytes(5));
  EXPECT_EQ(Plain(m.controllers.value), (std::array<int32_t, 6>{0, 127, 0, 0, 127, 64}));
}

TEST(StateBadValues, ChannelAndPortKeepTheBitsTheOutputUses) {
  const std::array<std::array<int32_t, 4>, 5> cases = {{
      // stored channel, stored port, loaded channel, loaded port
      {15, 255, 15, 255},
      {0, 0, 0, 0},
      {16, 256, 0, 0},
      {17, 300, 1, 44},
      {-1, -1, 15, 255},
  }};
  for (const auto& c : cases) {
    StoredState s;
    s.channel = c[0];
    s.port = c[1];
    DataModel m;
    LoadBytes(m, s.Bytes(5));
    EXPECT_EQ(m.output.channel, c[2]) << c[0];
    EXPECT_EQ(m.output.port, c[3]) << c[1];
    DataModel early;
    LoadBytes(early, EarlyStream(c[0], c[1], -1, 0, {}));
    EXPECT_EQ(early.output.channel, c[2]) << c[0];
    EXPECT_EQ(early.output.port, c[3]) << c[1];
  }
}

TEST(StateBadValues, PagesAndSlotsThePanelDoesNotHaveLeaveTheViewAsItWas) {
  for (int32_t version : {3, 4, 5}) {
    for (auto [page, slot] : {std::pair{3, 16}, std::pair{-1, -1}, std::pair{INT_MAX, INT_MIN}}) {
      StoredState s;
      s.pageIndex = page;
      s.selectedSlot = slot;
      DataModel m;
      m.pageIndex = 2;
      m.selectedSlot = 5;
      LoadBytes(m, s.Bytes(version));
      EXPECT_EQ(m.pageIndex, 2) << version << " " << page;
      EXPECT_EQ(m.selectedSlot, 5) << version << " " << slot;
    }
    StoredState valid;
    valid.pageIndex = 0;
    valid.selectedSlot = 15;
    DataModel m;
    LoadBytes(m, valid.Bytes(version));
    EXPECT_EQ(m.pageIndex, 0);
    EXPECT_EQ(m.selectedSlot, 15);
  }
}

TEST(StateBadValues, AViewStateOutOfRangeBeforeTheLoadIsBroughtBack) {
  DataModel m;
  m.selectedSlot = 40;
  m.pageIndex = -3;
  LoadBytes(m, EarlyStream(0, 0, -1, 0, {}));
  EXPECT_EQ(m.selectedSlot, 0);
  EXPECT_EQ(m.pageIndex, 1);
}

TEST(StateBadValues, EarlyVersionsConvertThenLimit) {
  std::array<int32_t, kSlotCount> words{};
  words[0] = 200;
  words[1] = -7;
  words[2] = 127;
  DataModel keys;
  LoadBytes(keys, EarlyStream(0, 0, -1, 0, words));
  EXPECT_EQ(keys.bank.keyswitch[0], 127);
  EXPECT_EQ(keys.bank.keyswitch[1], -1);
  EXPECT_EQ(keys.bank.keyswitch[2], 127);
  EXPECT_EQ(keys.bank.iconId[1], 1);  // a stored non-zero word: the slot had a value
  DataModel uacc;
  LoadBytes(uacc, EarlyStream(0, 0, 5, 0, words));
  EXPECT_EQ(uacc.bank.uacc[0], 127);
  EXPECT_EQ(uacc.bank.uacc[1], -1);
  EXPECT_EQ(uacc.bank.keyswitch[0], -1);
}

// A non-zero ccGhosting from versions 2 and 3 is kept as stored, but version 5
// keeps only bit 0, so the save writes it as 1 and ghosting stays on.
TEST(StateBadValues, GhostingFromOldVersionsSurvivesASaveAndLoad) {
  StoredState s;
  s.ccGhosting = 2;
  DataModel m;
  LoadBytes(m, s.Bytes(3));
  ASSERT_EQ(m.output.ccGhosting, 2);
  const std::vector<uint8_t> saved = SavedBytes(m);
  EXPECT_EQ(saved[12], 1);
  DataModel reloaded;
  LoadBytes(reloaded, saved);
  EXPECT_EQ(reloaded.output.ccGhosting, 1);
}

TEST(StateRoundTrip, RandomValidSettingsSaveLoadSaveIdentically) {
  std::mt19937 rng(20240611);
  auto pick = [&rng](int32_t lo, int32_t hi) {
    return std::uniform_int_distribution<int32_t>(lo, hi)(rng);
  };
  for (int round = 0; round < 300; ++round) {
    DataModel m;
    m.output.channel = pick(0, 15);
    m.output.port = pick(0, 255);
    m.output.ccGhosting = pick(0, 1);
    m.output.preservePortChannel = pick(0, 1);
    for (int i = 0; i < kSlotCount; ++i) {
      m.bank.keyswitch[i] = pick(-1, 127);
      m.bank.uacc[i] = pick(-1, 127);
      m.bank.modwheel[i] = pick(-1, 127);
      m.bank.iconId[i] = pick(0, 127);
      m.bank.name[i].resize(static_cast<size_t>(pick(0, 255)));
      for (char& c : m.bank.name[i]) c = static_cast<char>(pick(1, 255));
    }
    for (Relaxed<int32_t>& v : m.controllers.value) v = pick(0, 127);
    m.pageIndex = pick(0, 2);
    m.selectedSlot = pick(0, 15);

    const std::vector<uint8_t> first = SavedBytes(m);
    DataModel restored;
    LoadBytes(restored, first);
    ASSERT_EQ(SavedBytes(restored), first) << "round " << round;
    ASSERT_EQ(restored.bank.name, m.bank.name) << "round " << round;
    ASSERT_EQ(restored.bank.iconId, m.bank.iconId) << "round " << round;
    ASSERT_EQ(restored.output.channel, m.output.channel) << "round " << round;
  }
}

// A small, deterministic cousin of the fuzz target, so every build checks the
// load properties on damaged streams of every version.
TEST(StateCorrupt, MutatedStreamsKeepEveryLoadProperty) {
  StoredState rich;
  rich.channel = 3;
  rich.port = 7;
  rich.ccGhosting = 1;
  rich.preservePortChannel = 1;
  rich.keyswitch = StoredState::Filled(36);
  rich.name[0] = "Sustain";
  rich.name[1] = std::string("ab\0cd", 5);
  rich.controllers = {1, 2, 3};
  std::vector<std::vector<uint8_t>> seeds = {rich.Bytes(3), rich.Bytes(4), rich.Bytes(5),
                                             EarlyStream(1, 2, -1, 0, rich.keyswitch),
                                             EarlyStream(1, 2, 1, 3, rich.keyswitch)};
  std::mt19937 rng(7);
  auto below = [&rng](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
  for (int round = 0; round < 4000; ++round) {
    std::vector<uint8_t> bytes = seeds[below(seeds.size())];
    const int edits = 1 + static_cast<int>(below(4));
    for (int e = 0; e < edits; ++e) {
      switch (below(4)) {
        case 0:  // overwrite a byte, often with a boundary value
          bytes[below(bytes.size())] =
              std::array<uint8_t, 5>{0x00, 0x7F, 0x80, 0xFF, 0x01}[below(5)];
          break;
        case 1:
          bytes.resize(below(bytes.size() + 1));
          break;
        case 2:
          bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(below(bytes.size() + 1)),
                       static_cast<uint8_t>(below(256)));
          break;
        default:  // flip bits
          bytes[below(bytes.size())] ^= static_cast<uint8_t>(1u << below(8));
          break;
      }
      if (bytes.empty()) bytes.push_back(0);
    }
    ASSERT_EQ(CheckLoadProperties(bytes.data(), bytes.size()), "") << "round " << round;
  }
}
