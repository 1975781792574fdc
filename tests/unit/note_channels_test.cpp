// Controllers on every note channel of the bank: the fan-out of each
// controller message, the chase of a channel that joins, the sustain lifted
// at a stop; and keyswitches told apart by velocity.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/voice_params.h"
#include "state/state_stream.h"
#include "tests/support/memory_stream.h"
#include "tests/support/engine_under_test.h"
#include "tests/support/recording_host.h"

namespace {

constexpr uint8_t kCc = 0xB0;

SlotAdditions Routed(uint32_t channels) {
  SlotAdditions a;
  a.noteChannels = channels;
  return a;
}

class NoteChannelsTest : public EngineUnderTest {
 protected:
  // The full broadcast on one channel, as a chase sends it.
  static std::vector<MidiMessage> Broadcast(int channel, std::array<int, 6> controllers,
                                            int pan = 0, int volume = 0) {
    const uint8_t cc = static_cast<uint8_t>(kCc | channel);
    std::vector<MidiMessage> m = {midi::Pack(cc, 10, pan, 0), midi::Pack(cc, 7, volume, 0),
                                  midi::Pack(static_cast<uint8_t>(0xE0 | channel), 0, 64, 0)};
    for (int i = 0; i < 6; ++i)
      m.push_back(midi::Pack(cc, controllerCcNumbers[i], controllers[i], 0));
    return m;
  }
  static std::vector<std::string> Join(std::vector<MidiMessage> a,
                                       const std::vector<MidiMessage>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return Describe(a);
  }
};

TEST_F(NoteChannelsTest, EveryControllerGoesToEachNoteChannelThePluginsFirst) {
  model.output.channel = 6;
  model.additions.Set(2, Routed(1u << 9 | 1u << 1));
  model.additions.Set(4, Routed(kPluginChannelBit | 1u << 12));
  engine.ProcessParam(0, 90, kParamUpdateValue);
  EXPECT_EQ(Sent(), Describe({midi::Pack(0xB6, 1, 90, 0), midi::Pack(0xB1, 1, 90, 0),
                              midi::Pack(0xB9, 1, 90, 0), midi::Pack(0xBC, 1, 90, 0)}));
  engine.ProcessEvent(kEventVolume, 100, 0);
  EXPECT_EQ(Sent(), Describe({midi::Pack(0xB6, 7, 100, 0), midi::Pack(0xB1, 7, 100, 0),
                              midi::Pack(0xB9, 7, 100, 0), midi::Pack(0xBC, 7, 100, 0)}));
  engine.PlaybackChanged(true);
  EXPECT_EQ(host.midi.size(), 9u * 4u);
  Sent();

  model.output.ccGhosting = 1;  // silences them all alike
  engine.ProcessParam(63, 127, kParamUpdateValue);
  engine.ProcessEvent(kEventPan, 64, 0);
  engine.PlaybackChanged(true);
  Note(60, 2);
  EXPECT_EQ(Sent(), Describe({midi::Pack(0x91, 60, 100, 0), midi::Pack(0x99, 60, 100, 0)}));
}

TEST_F(NoteChannelsTest, AJoiningChannelGetsEveryControllerBeforeItsFirstNote) {
  engine.ProcessParam(10, 40, kParamUpdateValue);  // Expression, on channel 1 alone
  Sent();
  ASSERT_TRUE(model.additions.Set(3, Routed(1u << 5)));
  Note(60, 3);
  EXPECT_EQ(Sent(),
            Join(Broadcast(5, {127, 127, 40, 127, 127, 0}), {midi::Pack(0x95, 60, 100, 0)}));
  Note(62, 3);
  EXPECT_EQ(Sent(), Describe({midi::Pack(0x95, 62, 100, 0)}));

  // It leaves, misses a change, and comes back: it is chased again.
  ASSERT_TRUE(model.additions.Set(3, SlotAdditions{}));
  engine.ProcessParam(0, 10, kParamUpdateValue);
  EXPECT_EQ(Sent(), Describe({midi::Pack(0xB0, 1, 10, 0)}));
  ASSERT_TRUE(model.additions.Set(3, Routed(1u << 5)));
  Note(64, 3);
  EXPECT_EQ(Sent(), Join(Broadcast(5, {10, 127, 40, 127, 127, 0}), {midi::Pack(0x95, 64, 100, 0)}));

  // A load changes the values without sending them: the plug-in's channel
  // and the note's are brought up to date before the next note.
  MemoryStream saved;
  SaveState(model, saved);
  MemoryStream in(saved.bytes);
  LoadState(model, in, nullptr);
  EXPECT_TRUE(host.midi.empty());
  Note(65, 3);
  std::vector<MidiMessage> both;
  for (int i = 0; i < 9; ++i) {
    both.push_back(Broadcast(0, {10, 127, 40, 127, 127, 0})[i]);
    both.push_back(Broadcast(5, {10, 127, 40, 127, 127, 0})[i]);
  }
  EXPECT_EQ(Sent(), Join(both, {midi::Pack(0x95, 65, 100, 0)}));
}

TEST_F(NoteChannelsTest, ABankThatRoutesNothingSendsAsBefore) {
  model.additions.Set(1, Routed(kPluginChannelBit));
  model.output.channel = 3;  // a new channel is not chased without routing
  Note(60, 1);
  EXPECT_EQ(Sent(), Describe({midi::Pack(0x93, 60, 100, 0)}));
  engine.ProcessParam(1, 5, kParamUpdateValue);
  EXPECT_EQ(Sent(), Describe({midi::Pack(0xB3, 2, 5, 0)}));
}

TEST_F(NoteChannelsTest, AStopLiftsASustainLeftOnAChannelThatLeft) {
  ASSERT_TRUE(model.additions.Set(3, Routed(kPluginChannelBit | 1u << 4)));
  engine.ProcessParam(63, 127, kParamUpdateValue);
  ASSERT_TRUE(model.additions.Set(3, SlotAdditions{}));
  engine.ProcessParam(63, 0, kParamUpdateValue);
  Sent();
  engine.PlaybackChanged(false);
  EXPECT_EQ(Sent(), Describe({midi::Pack(0xB4, 64, 0, 0)}));
  engine.PlaybackChanged(false);  // lifted once
  EXPECT_TRUE(host.midi.empty());

  // While the plug-in itself holds the pedal, nothing is lifted.
  ASSERT_TRUE(model.additions.Set(3, Routed(1u << 4)));
  engine.ProcessParam(63, 100, kParamUpdateValue);
  ASSERT_TRUE(model.additions.Set(3, SlotAdditions{}));
  Sent();
  engine.PlaybackChanged(false);
  EXPECT_TRUE(host.midi.empty());
}

TEST_F(NoteChannelsTest, AKeyswitchOfAnotherVelocityGoesOutAgain) {
  for (int slot = 0; slot < 3; ++slot) {
    model.bank.keyswitch[slot] = 5;  // one key; the velocity chooses
    model.PublishSlots();
    SlotAdditions a;
    a.keyswitchVelocity = static_cast<uint8_t>(1 + 32 * slot);
    model.additions.Set(slot, a);
  }
  const auto keyswitch = [](int velocity) {
    return std::vector<MidiMessage>{midi::Pack(0x90, 5, velocity, 0), midi::Pack(0x80, 5, 0, 0)};
  };
  Note(60, 0);
  EXPECT_EQ(Sent(), Join(keyswitch(1), {midi::Pack(0x90, 60, 100, 0)}));
  Note(61, 1);
  EXPECT_EQ(Sent(), Join(keyswitch(33), {midi::Pack(0x90, 61, 100, 0)}));
  Note(62, 1);
  EXPECT_EQ(Sent(), Describe({midi::Pack(0x90, 62, 100, 0)}));
  Note(63, 2);
  EXPECT_EQ(Sent(), Join(keyswitch(65), {midi::Pack(0x90, 63, 100, 0)}));
  Note(64, 0);
  EXPECT_EQ(Sent(), Join(keyswitch(1), {midi::Pack(0x90, 64, 100, 0)}));
}

// Random sessions against what each channel holds, as an instrument on it
// would: a note never sounds on a channel whose controllers differ from the
// plug-in's channel, and after a stop no other channel keeps a pedal down
// that the plug-in does not hold.
TEST(NoteChannelsProperty, RoutedChannelsFollowThePluginsChannel) {
  int notes = 0, checks = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    RecordingHost host;
    ArticulationEngine engine(&host, 7);
    engine.InitState();
    DataModel& model = engine.model;
    // What each channel last received of pan, volume and the six controllers.
    std::array<std::array<int, 128>, 16> held{};
    for (auto& c : held) c.fill(-1);
    size_t seen = 0;
    const auto receive = [&](bool checkNotes) {
      for (; seen < host.midi.size(); ++seen) {
        const MidiMessage m = host.midi[seen];
        const int channel = midi::Status(m) & 0x0F;
        if ((midi::Status(m) & 0xF0) == kCc) held[channel][midi::Data1(m)] = midi::Data2(m);
        if ((midi::Status(m) & 0xF0) != 0x90 || !checkNotes) continue;
        const int own = model.output.channel & 0x0F;
        for (int cc : {1, 2, 11, 16, 21, 64, 7, 10})
          ASSERT_EQ(held[channel][cc], held[own][cc]) << "CC " << cc;
        ++checks;
      }
    };
    for (int step = 0; step < 300; ++step) {
      switch (rng() % 10) {
        case 0:
        case 1:
          engine.ProcessParam(controllerCcNumbers[rng() % 6] - 1, static_cast<int32_t>(rng() % 128),
                              kParamUpdateValue);
          break;
        case 2:
          engine.ProcessEvent(kEventPan + static_cast<int32_t>(rng() % 2),
                              static_cast<int32_t>(rng() % 128), 0);
          break;
        case 3:
          model.additions.Set(
              static_cast<int>(rng() % 16),
              Routed(rng() % 3 == 0 ? kPluginChannelBit : (rng() & kChannelSetMask) | 1u));
          break;
        case 4:
          engine.PlaybackChanged(rng() % 2 == 0);
          break;
        case 5:
          if (rng() % 4 == 0) {
            model.output.channel = static_cast<int32_t>(rng() % 16);
            model.ForgetSentArticulation();
          } else if (rng() % 3 == 0 || model.output.ccGhosting != 0) {
            model.output.ccGhosting = model.output.ccGhosting == 0 ? 1 : 0;
          } else {
            MemoryStream saved;
            SaveState(model, saved);
            MemoryStream in(saved.bytes);
            LoadState(model, in, nullptr);
          }
          break;
        default: {
          host.colourQueue.push_back(static_cast<int32_t>(rng() % 16));
          const intptr_t v =
              engine.TriggerVoice(VoiceParams(40 + static_cast<int>(rng() % 40)).bytes, 1);
          ++notes;
          receive(model.output.ccGhosting == 0);
          if (v != 0) engine.KillVoice(v);
          break;
        }
      }
      receive(false);
      if (model.output.ccGhosting != 0) continue;
      if (step % 50 == 49) {
        engine.PlaybackChanged(false);
        receive(false);
        const int own = model.output.channel & 0x0F;
        if (model.controllers.value[5] >= 64) continue;
        for (int c = 0; c < 16; ++c) {
          if (c == own) continue;
          EXPECT_LT(held[c][64], 64) << "channel " << c + 1 << " keeps its pedal down";
        }
      }
    }
  }
  EXPECT_GT(checks, notes / 2);  // most notes were checked, not skipped while ghosting
}

}  // namespace
