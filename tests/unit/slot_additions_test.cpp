// Slot additions: keyswitch velocity, layered note channels, transpose and
// actions, observed through what the host receives; and their block in the
// saved state.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "engine/note_number.h"
#include "engine/voice_params.h"
#include "state/extension_block.h"
#include "state/state_stream.h"
#include "tests/support/memory_stream.h"
#include "tests/support/engine_under_test.h"
#include "tests/support/recording_host.h"

namespace {

SlotAction Action(ActionKind kind, uint8_t number, uint16_t value, uint8_t channel = 0) {
  SlotAction a;
  a.kind = kind;
  a.number = number;
  a.value = value;
  a.channel = channel;
  return a;
}

SlotAdditions WithActions(std::initializer_list<SlotAction> actions) {
  SlotAdditions s;
  for (const SlotAction& a : actions) s.actions[s.actionCount++] = a;
  return s;
}

using SlotAdditionsTest = EngineUnderTest;

TEST_F(SlotAdditionsTest, ActionsFollowTheFieldsOnceForEachChangeOfSlot) {
  model.bank.keyswitch[2] = 24;
  model.bank.uacc[2] = 20;
  model.PublishSlots();
  SlotAdditions a = WithActions({Action(ActionKind::kNoteTap, 26, 90),
                                 Action(ActionKind::kControlChange, 3, 20, 2),
                                 Action(ActionKind::kProgramChange, 5, 0, 16),
                                 Action(ActionKind::kPitchBend, 0, 8192 + 4096)});
  a.keyswitchVelocity = 110;
  ASSERT_TRUE(model.additions.Set(2, a));

  Note(60, 2);
  EXPECT_EQ(Sent(), Describe({Msg(0x90, 24, 110), Msg(0x80, 24, 0), Msg(0xB0, 32, 20),
                              Msg(0x90, 26, 90), Msg(0x80, 26, 0), Msg(0xB1, 3, 20),
                              Msg(0xCF, 5, 0), Msg(0xE0, 0, 96), Msg(0x90, 60, 100)}));
  Note(62, 2);  // the same slot: the note alone
  EXPECT_EQ(Sent(), Describe({Msg(0x90, 62, 100)}));
  Note(64, 0);  // another slot without additions, then back
  EXPECT_EQ(Sent(), Describe({Msg(0x90, 64, 100)}));
  Note(65, 2);  // the fields' caches still hold; the actions go again
  EXPECT_EQ(Sent(), Describe({Msg(0x90, 26, 90), Msg(0x80, 26, 0), Msg(0xB1, 3, 20),
                              Msg(0xCF, 5, 0), Msg(0xE0, 0, 96), Msg(0x90, 65, 100)}));
}

TEST_F(SlotAdditionsTest, HeldNotesEndAtTheNextSwitchAtStopAndNotAtALoad) {
  ASSERT_TRUE(model.additions.Set(1, WithActions({Action(ActionKind::kNoteHeld, 30, 100, 3),
                                                  Action(ActionKind::kNoteHeld, 31, 64)})));
  model.bank.keyswitch[4] = 40;
  model.PublishSlots();
  Note(60, 1);
  EXPECT_EQ(Sent(), Describe({Msg(0x92, 30, 100), Msg(0x90, 31, 64), Msg(0x90, 60, 100)}));
  Note(61, 1);
  EXPECT_EQ(Sent(), Describe({Msg(0x90, 61, 100)}));
  Note(62, 4);  // released before the new slot's keyswitch
  EXPECT_EQ(Sent(), Describe({Msg(0x82, 30, 0), Msg(0x80, 31, 0), Msg(0x90, 40, 127),
                              Msg(0x80, 40, 0), Msg(0x90, 62, 100)}));

  Note(63, 1);
  host.ClearRecords();
  engine.PlaybackChanged(false);
  EXPECT_EQ(Sent(), Describe({Msg(0x82, 30, 0), Msg(0x80, 31, 0)}));

  Note(64, 1);  // after a stop the slot's actions go again
  EXPECT_EQ(Sent(), Describe({Msg(0x92, 30, 100), Msg(0x90, 31, 64), Msg(0x90, 64, 100)}));
  MemoryStream saved;
  SaveState(model, saved);
  host.ClearRecords();
  MemoryStream in(saved.bytes);
  LoadState(model, in, nullptr);
  EXPECT_TRUE(host.midi.empty());  // a load sends nothing
  Note(65, 1);                     // the load forgot the slot: held notes end, actions go again
  EXPECT_EQ(Sent(), Describe({Msg(0x82, 30, 0), Msg(0x80, 31, 0), Msg(0x92, 30, 100),
                              Msg(0x90, 31, 64), Msg(0x90, 65, 100)}));
}

TEST_F(SlotAdditionsTest, LayeredTransposedNotesEndWhereTheyStarted) {
  SlotAdditions a;
  a.noteChannels = kPluginChannelBit | 1u << 4;  // the plug-in's channel and channel 5
  a.transpose = 12;
  ASSERT_TRUE(model.additions.Set(3, a));
  model.output.channel = 1;
  engine.PlaybackChanged(true);  // both channels get the controllers here, not before the note
  Sent();
  const intptr_t v = Note(120, 3);
  EXPECT_EQ(Sent(), Describe({Msg(0x91, 127, 100), Msg(0x94, 127, 100)}));  // clamped to 127
  // The slot and the channel change while the note sounds.
  model.output.channel = 9;
  ASSERT_TRUE(model.additions.Set(3, SlotAdditions{}));
  engine.ReleaseVoice(v);
  EXPECT_EQ(Sent(), Describe({Msg(0x81, 127, 0), Msg(0x84, 127, 0)}));

  // Two layered voices of one key: the second release ends both layers.
  ASSERT_TRUE(model.additions.Set(3, a));
  model.output.channel = 0;
  const intptr_t first = Note(50, 3);
  const intptr_t second = Note(50, 3);
  host.ClearRecords();
  engine.ReleaseVoice(first);
  EXPECT_TRUE(host.midi.empty());
  engine.ReleaseVoice(second);
  EXPECT_EQ(Sent(), Describe({Msg(0x80, 62, 0), Msg(0x84, 62, 0)}));
  engine.KillVoice(first);
  engine.KillVoice(second);
  EXPECT_TRUE(host.midi.empty());
}

TEST_F(SlotAdditionsTest, ActionsGoWhereTheOutputIsWhenSentAndTheLongestListGoesWhole) {
  // Set while the output is on channel 1, port 0; played after it moved.
  ASSERT_TRUE(model.additions.Set(5, WithActions({Action(ActionKind::kControlChange, 3, 20),
                                                  Action(ActionKind::kNoteHeld, 30, 90),
                                                  Action(ActionKind::kPitchBend, 0, 16383, 16),
                                                  Action(ActionKind::kProgramChange, 7, 0)})));
  model.output.channel = 6;
  model.output.port = 3;
  const intptr_t v = Note(60, 5);
  EXPECT_EQ(Sent(), Describe({Msg(0xB6, 3, 20, 3), Msg(0x96, 30, 90, 3), Msg(0xEF, 127, 127, 3),
                              Msg(0xC6, 7, 0, 3), Msg(0x96, 60, 100, 3)}));
  engine.ReleaseVoice(v);
  engine.KillVoice(v);
  model.output.channel = 2;
  host.ClearRecords();
  Note(61, 0);  // the held note ends where it started
  EXPECT_EQ(Sent(), Describe({Msg(0x86, 30, 0, 3), Msg(0x92, 61, 100, 3)}));

  // Thirty-two tapped notes, then thirty-two held ones: every message, in
  // order, and every held note ended at the next switch.
  SlotAdditions taps, holds;
  for (int i = 0; i < kMaxSlotActions; ++i) {
    taps.actions[i] = Action(ActionKind::kNoteTap, static_cast<uint8_t>(i), 1 + i);
    holds.actions[i] =
        Action(ActionKind::kNoteHeld, static_cast<uint8_t>(64 + i), 1 + i, 1 + i % 16);
  }
  taps.actionCount = holds.actionCount = kMaxSlotActions;
  ASSERT_TRUE(model.additions.Set(6, taps));
  ASSERT_TRUE(model.additions.Set(7, holds));
  std::vector<uint32_t> tapped, held, ended;
  for (int i = 0; i < kMaxSlotActions; ++i) {
    tapped.push_back(Msg(0x92, static_cast<uint8_t>(i), static_cast<uint8_t>(1 + i), 3));
    tapped.push_back(Msg(0x82, static_cast<uint8_t>(i), 0, 3));
    held.push_back(
        Msg(0x90 | i % 16, static_cast<uint8_t>(64 + i), static_cast<uint8_t>(1 + i), 3));
    ended.push_back(Msg(0x80 | i % 16, static_cast<uint8_t>(64 + i), 0, 3));
  }
  Note(62, 6);
  tapped.push_back(Msg(0x92, 62, 100, 3));
  EXPECT_EQ(Sent(), Describe(tapped));
  Note(63, 7);
  held.push_back(Msg(0x92, 63, 100, 3));
  EXPECT_EQ(Sent(), Describe(held));
  Note(64, 6);
  std::vector<std::string> sent = Sent();
  ASSERT_GE(sent.size(), ended.size());
  std::vector<std::string> firstSent(sent.begin(), sent.begin() + static_cast<long>(ended.size()));
  std::sort(firstSent.begin(), firstSent.end());
  std::vector<std::string> expectEnded = Describe(ended);
  std::sort(expectEnded.begin(), expectEnded.end());
  EXPECT_EQ(firstSent, expectEnded);
}

TEST_F(SlotAdditionsTest, OutOfRangeAdditionsAreRefused) {
  SlotAdditions bad;
  bad.keyswitchVelocity = 0;
  EXPECT_FALSE(model.additions.Set(0, bad));
  bad = SlotAdditions{};
  bad.transpose = 49;
  EXPECT_FALSE(model.additions.Set(0, bad));
  bad = SlotAdditions{};
  bad.noteChannels = 0;
  EXPECT_FALSE(model.additions.Set(0, bad));
  EXPECT_FALSE(model.additions.Set(0, WithActions({Action(ActionKind::kControlChange, 7, 128)})));
  EXPECT_FALSE(model.additions.Set(0, WithActions({Action(ActionKind::kNoteTap, 60, 0)})));
  EXPECT_FALSE(model.additions.Set(16, SlotAdditions{}));
  EXPECT_TRUE(model.additions.Get(0).IsDefault());
}

// --- The block in the saved state --------------------------------------------

std::vector<uint8_t> Saved(const DataModel& m) {
  MemoryStream out;
  SaveState(m, out);
  return out.bytes;
}

TEST(SlotAdditionsState, BlockFollowsVersionFiveOnlyWhenUsedAndLoadsBack) {
  DataModel plain;
  const std::vector<uint8_t> version5 = Saved(plain);
  ASSERT_EQ(version5.size(), 346u);

  DataModel m;
  SlotAdditions a =
      WithActions({Action(ActionKind::kNoteHeld, 24, 5, 16), Action(ActionKind::kPitchBend, 0, 0)});
  a.noteChannels = 0x3;
  a.transpose = -48;
  ASSERT_TRUE(m.additions.Set(15, a));
  const std::vector<uint8_t> bytes = Saved(m);
  ASSERT_GT(bytes.size(), 346u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 346), version5);

  DataModel loaded;
  MemoryStream in(bytes);
  LoadState(loaded, in, nullptr);
  EXPECT_EQ(in.Unread(), 0u);
  EXPECT_EQ(loaded.additions.Get(15), a);
  EXPECT_EQ(Saved(loaded), bytes);
}

TEST(SlotAdditionsState, ALatencyIsAppendedToItsRecordOnlyWhenSet) {
  SlotAdditionsArray slots{};
  slots[2] = WithActions({Action(ActionKind::kProgramChange, 5, 0)});
  const std::vector<uint8_t> without = EncodeExtensionBlock(slots);
  // Header 12, version 4, count 1, then slot, record length, 7 fields, 1 action.
  ASSERT_EQ(without.size(), 12u + 5u + 3u + 7u + 5u);
  slots[2].latencyMs = 250;
  slots[9].latencyMs = 1000;  // a latency alone is an addition too
  const std::vector<uint8_t> with = EncodeExtensionBlock(slots);
  EXPECT_EQ(with.size(), without.size() + 2u + 3u + 7u + 2u);
  SlotAdditionsArray decoded{};
  size_t used = 0;
  ASSERT_TRUE(DecodeExtensionBlock(with.data(), with.size(), decoded, used));
  EXPECT_EQ(decoded, slots);

  // A record longer still (a later field) keeps the latency and skips the rest.
  std::vector<uint8_t> payload(with.begin() + 12, with.end());
  const size_t record = 5 + 1;  // slot 2's length word
  payload[record] = static_cast<uint8_t>(payload[record] + 3);
  payload.insert(payload.begin() + static_cast<std::ptrdiff_t>(record + 2 + 7 + 5 + 2), {1, 2, 3});
  const uint32_t crc = static_cast<uint32_t>(
      crc32(crc32(0L, Z_NULL, 0), payload.data(), static_cast<uInt>(payload.size())));
  ExtensionHeader header{static_cast<uint32_t>(payload.size()), crc};
  decoded = {};
  ASSERT_TRUE(DecodeExtensionPayload(header, payload.data(), decoded));
  EXPECT_EQ(decoded, slots);

  slots[9].latencyMs = 1001;  // out of range: the block is refused whole
  const std::vector<uint8_t> bad = EncodeExtensionBlock(slots);
  decoded = {};
  EXPECT_FALSE(DecodeExtensionBlock(bad.data(), bad.size(), decoded, used));
}

TEST(SlotAdditionsState, DamagedOrForeignBlocksAreIgnoredKeepingEverythingBefore) {
  DataModel m;
  m.bank.keyswitch[0] = 36;
  m.PublishSlots();
  m.bank.name.Set(0, "Legato");
  ASSERT_TRUE(m.additions.Set(0, WithActions({Action(ActionKind::kControlChange, 58, 1)})));
  const std::vector<uint8_t> bytes = Saved(m);
  const size_t blockAt = 346 + 6;  // after the name "Legato"

  auto load = [](std::vector<uint8_t> b) {
    auto loaded = std::make_unique<DataModel>();
    MemoryStream in(std::move(b));
    LoadState(*loaded, in, nullptr);
    return loaded;
  };
  std::vector<std::vector<uint8_t>> damaged;
  for (size_t cut = blockAt; cut < bytes.size(); ++cut)
    damaged.emplace_back(bytes.begin(), bytes.begin() + cut);
  for (size_t at = blockAt; at < bytes.size(); ++at) {
    std::vector<uint8_t> b = bytes;
    b[at] ^= 0xFF;
    damaged.push_back(b);
  }
  std::vector<uint8_t> unknownVersion = bytes;
  unknownVersion[blockAt + kExtensionHeaderSize] = 2;
  damaged.push_back(unknownVersion);

  for (const std::vector<uint8_t>& b : damaged) {
    const auto loaded = load(b);
    EXPECT_EQ(loaded->bank.keyswitch[0], 36);
    EXPECT_EQ(loaded->bank.name[0], "Legato");
    const SlotAdditions slot = loaded->additions.Get(0);
    // Whole, or not at all.
    EXPECT_TRUE(slot.IsDefault() || slot == m.additions.Get(0)) << "length " << b.size();
    EXPECT_TRUE(IsValidAdditions(slot));
  }
  // A block with a value out of range but a matching checksum, as another
  // writer might make it: refused whole.
  SlotAdditionsArray wrong{};
  wrong[0] = WithActions({Action(ActionKind::kControlChange, 58, 1)});
  std::vector<uint8_t> block = EncodeExtensionBlock(wrong);
  block[block.size() - 2] = 200;  // the value, low byte
  const uint32_t crc =
      static_cast<uint32_t>(crc32(0L, block.data() + kExtensionHeaderSize,
                                  static_cast<uInt>(block.size() - kExtensionHeaderSize)));
  std::memcpy(block.data() + 8, &crc, 4);
  SlotAdditionsArray ignored;
  size_t used = 0;
  EXPECT_FALSE(DecodeExtensionBlock(block.data(), block.size(), ignored, used));
}

}  // namespace
