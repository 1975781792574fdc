// Voices and articulation switching, observed through what the host receives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/engine.h"
#include "engine/note_number.h"
#include "engine/velocity.h"
#include "engine/voice_params.h"
#include "tests/support/recording_host.h"

namespace {

constexpr int32_t kTag = 4711;

// The host's voice parameters: only level (offset 4) and pitch (offset 28)
// are read.
struct VoiceParams {
  unsigned char bytes[64] = {};
  VoiceParams(float pitch, float level = 1.0f) {
    std::memcpy(bytes + kVoiceParamsLevelOffset, &level, sizeof level);
    std::memcpy(bytes + kVoiceParamsPitchOffset, &pitch, sizeof pitch);
  }
};

float PitchOfNote(int note) { return static_cast<float>((note - 60) * 100); }

// Records each repaint request together with how much had reached the host
// by then, so the moment of the request can be checked.
struct RepaintSpy : EditorRepaint {
  struct Request {
    bool gridOnly;
    size_t midiBefore;
    size_t queriesBefore;
  };
  const RecordingHost* host = nullptr;
  std::vector<Request> requests;
  void InvalidateEditor(bool gridOnly) override {
    requests.push_back({gridOnly, host->midi.size(), host->colourQueries.size()});
  }
};

class VoicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.InitState();
    spy.host = &host;
    engine.SetRepaint(&spy);
    host.ClearRecords();
  }

  intptr_t Note(int note, int32_t colour = 0, int32_t tag = kTag, float level = 1.0f) {
    host.colourQueue.push_back(colour);
    return engine.TriggerVoice(VoiceParams(PitchOfNote(note), level).bytes, tag);
  }

  RecordingHost host;
  RepaintSpy spy;
  ArticulationEngine engine{&host, 7};
};

// --- Mappings ---------------------------------------------------------------

TEST(NoteNumber, WorkedValues) {
  EXPECT_EQ(NoteNumberForPitch(-100.0f), 59);
  EXPECT_EQ(NoteNumberForPitch(-1.0f), 59);
  EXPECT_EQ(NoteNumberForPitch(-0.5f), 60);
  EXPECT_EQ(NoteNumberForPitch(0.0f), 60);
  EXPECT_EQ(NoteNumberForPitch(99.9f), 60);
  EXPECT_EQ(NoteNumberForPitch(100.0f), 61);
  EXPECT_EQ(NoteNumberForPitch(1200.0f), 72);
  EXPECT_EQ(NoteNumberForPitch(-6000.0f), 0);
  EXPECT_EQ(NoteNumberForPitch(6700.0f), 127);
}

TEST(NoteNumber, EdgesOfTheNoteRange) {
  EXPECT_EQ(NoteNumberForPitch(-5999.9f), 0);
  EXPECT_EQ(NoteNumberForPitch(-6000.5f), 0);  // truncated to -6000
  EXPECT_EQ(NoteNumberForPitch(6799.5f), 127);
  EXPECT_EQ(NoteNumberForPitch(6800.0f), kNoNote);
  EXPECT_EQ(NoteNumberForPitch(-6001.0f), kNoNote);
  EXPECT_EQ(NoteNumberForPitch(-7000.0f), kNoNote);
  EXPECT_EQ(NoteNumberForPitch(1e30f), kNoNote);
  EXPECT_EQ(NoteNumberForPitch(-1e30f), kNoNote);
  EXPECT_EQ(NoteNumberForPitch(std::numeric_limits<float>::infinity()), kNoNote);
  EXPECT_EQ(NoteNumberForPitch(std::numeric_limits<float>::quiet_NaN()), kNoNote);
}

TEST(Velocity, CurveTable) {
  // The curve as the table gives it, to two decimals (135.9 to one).
  const struct {
    float level, curve, tolerance;
    int velocity;
  } table[] = {
      {0.0f, 0.0f, 0.0f, 1},       {0.001f, 0.42f, 0.005f, 1},   {0.01f, 3.98f, 0.005f, 3},
      {0.1f, 28.91f, 0.005f, 28},  {0.25f, 52.26f, 0.005f, 52},  {0.5f, 74.74f, 0.005f, 74},
      {0.78f, 90.72f, 0.005f, 90}, {1.0f, 100.03f, 0.005f, 100}, {1.5f, 115.66f, 0.005f, 115},
      {2.0f, 127.0f, 0.0f, 127},   {2.5f, 135.9f, 0.05f, 127},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.level);
    EXPECT_NEAR(VelocityCurve(row.level), row.curve, row.tolerance);
    EXPECT_EQ(VelocityForLevel(row.level), row.velocity);
  }
}

TEST(Velocity, NeverZeroNeverAbove127) {
  EXPECT_EQ(VelocityForLevel(0.0f), 1);
  EXPECT_EQ(VelocityForLevel(2.0f), 127);
  EXPECT_EQ(VelocityForLevel(1000.0f), 127);
  EXPECT_EQ(VelocityForLevel(std::numeric_limits<float>::infinity()), 127);
  // Level -0.1 makes ln(0) = -inf, below it the logarithm is NaN: both convert
  // to 0x80000000, whose low byte 0 becomes 1.
  EXPECT_EQ(VelocityForLevel(-0.1f), 1);
  EXPECT_EQ(VelocityForLevel(-5.0f), 1);
  EXPECT_EQ(VelocityForLevel(std::numeric_limits<float>::quiet_NaN()), 1);
  // A small negative curve truncates to a negative integer whose low byte has
  // its top bit set.
  EXPECT_EQ(VelocityForLevel(-0.05f), 127);
  for (float level = -0.2f; level < 3.0f; level += 0.0007f) {
    const uint8_t v = VelocityForLevel(level);
    ASSERT_GE(v, 1) << level;
    ASSERT_LE(v, 127) << level;
  }
}

// --- A note end to end -------------------------------------------------------

TEST_F(VoicesTest, NoteOnCarriesNoteVelocityChannelAndPort) {
  engine.model.output.channel = 9;
  engine.model.output.port = 3;
  host.colourQueue.push_back(0);
  const intptr_t voice = engine.TriggerVoice(VoiceParams(0.0f, 1.0f).bytes, kTag);
  ASSERT_NE(voice, 0);
  ASSERT_EQ(host.midi.size(), 1u);
  EXPECT_EQ(host.midi[0], 0x03643C99u) << DescribeMidi(host.midi[0]);
  EXPECT_EQ(host.midiSenders[0], 7);
  EXPECT_EQ(host.colourQueries, std::vector<int32_t>{kTag});
  // The handle is the record, whose first four bytes are the note message.
  uint32_t firstWord;
  std::memcpy(&firstWord, reinterpret_cast<const void*>(voice), sizeof firstWord);
  EXPECT_EQ(firstWord, 0x03643C99u);
}

TEST_F(VoicesTest, VelocityTableReachesTheNoteOn) {
  const float levels[] = {0.0f, 0.001f, 0.01f, 0.1f, 0.25f, 0.5f, 0.78f, 1.0f, 1.5f, 2.0f, 2.5f};
  const int velocities[] = {1, 1, 3, 28, 52, 74, 90, 100, 115, 127, 127};
  for (size_t i = 0; i < std::size(levels); ++i) {
    host.ClearRecords();
    ASSERT_NE(Note(60, 0, kTag, levels[i]), 0);
    ASSERT_EQ(host.midi.size(), 1u);
    EXPECT_EQ(midi::Data2(host.midi[0]), velocities[i]) << "level " << levels[i];
  }
}

TEST_F(VoicesTest, NoteNumbersReachTheNoteOn) {
  const struct {
    float pitch;
    int note;
  } cases[] = {{-100.0f, 59}, {-1.0f, 59},   {-0.5f, 60},   {0.0f, 60},    {99.9f, 60},
               {100.0f, 61},  {1200.0f, 72}, {-6000.0f, 0}, {6700.0f, 127}};
  for (const auto& c : cases) {
    host.ClearRecords();
    ASSERT_NE(engine.TriggerVoice(VoiceParams(c.pitch).bytes, kTag), 0);
    ASSERT_EQ(host.midi.size(), 1u);
    EXPECT_EQ(midi::Data1(host.midi[0]), c.note) << "pitch " << c.pitch;
  }
}

TEST_F(VoicesTest, PitchOutsideTheNoteRangeMakesNoVoiceAndDoesNothing) {
  engine.model.bank.keyswitch[4] = 24;
  engine.model.PublishSlots();
  host.colour = 4;
  for (float pitch :
       {-6001.0f, 6800.0f, 12000.0f, -1e9f, std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_EQ(engine.TriggerVoice(VoiceParams(pitch).bytes, kTag), 0) << pitch;
  }
  EXPECT_TRUE(host.midi.empty());
  EXPECT_TRUE(host.colourQueries.empty());
  EXPECT_TRUE(spy.requests.empty());
  EXPECT_EQ(engine.model.currentSlot, 0);
  EXPECT_EQ(engine.voices().LiveCount(), 0);
}

TEST_F(VoicesTest, NullParametersMakeNoVoice) {
  EXPECT_EQ(engine.TriggerVoice(nullptr, kTag), 0);
  EXPECT_TRUE(host.midi.empty());
  EXPECT_TRUE(host.colourQueries.empty());
}

TEST_F(VoicesTest, ArticulationMessagesPrecedeTheNoteOnInOrder) {
  engine.model.output.channel = 2;
  engine.model.output.port = 5;
  engine.model.bank.keyswitch[6] = 24;
  engine.model.bank.uacc[6] = 10;
  engine.model.bank.modwheel[6] = 64;
  engine.model.PublishSlots();
  ASSERT_NE(Note(62, 6), 0);
  const std::vector<uint32_t> expected = {
      Msg(0x92, 24, 127, 5), Msg(0x82, 24, 0, 5),   Msg(0xB2, 32, 10, 5),
      Msg(0xB2, 1, 64, 5),   Msg(0x92, 62, 100, 5),
  };
  EXPECT_EQ(Describe(host.midi), Describe(expected));
  EXPECT_EQ(engine.model.currentSlot, 6);
  EXPECT_EQ(engine.model.sent.lastKeyswitch, 24);
  EXPECT_EQ(engine.model.sent.lastUacc, 10);
  EXPECT_EQ(engine.model.sent.lastModwheel, 64);
}

TEST_F(VoicesTest, KeyswitchOnlyOnSlot3GoesOutBeforeTheFirstNoteOnly) {
  engine.model.bank.keyswitch[3] = 24;
  engine.model.PublishSlots();
  ASSERT_NE(Note(60, 3), 0);
  ASSERT_NE(Note(62, 5), 0);
  ASSERT_NE(Note(64, 3), 0);
  const std::vector<uint32_t> expected = {
      Msg(0x90, 24, 127), Msg(0x80, 24, 0),   Msg(0x90, 60, 100),
      Msg(0x90, 62, 100), Msg(0x90, 64, 100),
  };
  EXPECT_EQ(Describe(host.midi), Describe(expected));
  EXPECT_EQ(engine.model.currentSlot, 3);
}

TEST_F(VoicesTest, UaccAndModwheelOfOneSlotGoOutOnce) {
  engine.model.bank.uacc[2] = 10;
  engine.model.bank.modwheel[2] = 64;
  engine.model.PublishSlots();
  ASSERT_NE(Note(60, 2), 0);
  ASSERT_NE(Note(67, 2), 0);
  const std::vector<uint32_t> expected = {Msg(0xB0, 32, 10), Msg(0xB0, 1, 64), Msg(0x90, 60, 100),
                                          Msg(0x90, 67, 100)};
  EXPECT_EQ(Describe(host.midi), Describe(expected));
}

TEST_F(VoicesTest, UnsetSlotValueLeavesTheCacheEntryAlone) {
  engine.model.bank.uacc[1] = 10;  // slot 2 defines no UACC
  engine.model.bank.uacc[3] = 10;
  engine.model.bank.modwheel[2] = 5;
  engine.model.PublishSlots();
  ASSERT_NE(Note(60, 1), 0);
  ASSERT_NE(Note(60, 2), 0);
  ASSERT_NE(Note(60, 3), 0);  // UACC 10 still in force: not sent again
  const std::vector<uint32_t> expected = {Msg(0xB0, 32, 10), Msg(0x90, 60, 100), Msg(0xB0, 1, 5),
                                          Msg(0x90, 60, 100), Msg(0x90, 60, 100)};
  EXPECT_EQ(Describe(host.midi), Describe(expected));
  EXPECT_EQ(engine.model.sent.lastUacc, 10);
  EXPECT_EQ(engine.model.sent.lastModwheel, 5);
  EXPECT_EQ(engine.model.sent.lastKeyswitch, kNothingSent);
}

TEST_F(VoicesTest, ForgottenCacheSendsTheSlotAgain) {
  engine.model.bank.keyswitch[0] = 30;
  engine.model.PublishSlots();
  ASSERT_NE(Note(60), 0);
  engine.model.ForgetSentArticulation();
  ASSERT_NE(Note(61), 0);
  engine.model.ResetToDefaults();
  engine.model.bank.keyswitch[0] = 30;
  engine.model.PublishSlots();
  ASSERT_NE(Note(62), 0);
  int keyswitchOns = 0;
  for (uint32_t m : host.midi) keyswitchOns += m == Msg(0x90, 30, 127);
  EXPECT_EQ(keyswitchOns, 3);
}

TEST_F(VoicesTest, ArticulationValuesOutsideTheDataRangeAreClampedOnTheWire) {
  engine.model.bank.keyswitch[0] = 300;  // e.g. a slot field typed into a prompt
  engine.model.bank.uacc[0] = -7;
  engine.model.bank.modwheel[0] = 1000;
  engine.model.PublishSlots();
  ASSERT_NE(Note(60), 0);
  for (uint32_t m : host.midi) {
    EXPECT_LE(midi::Data1(m), 127) << DescribeMidi(m);
    EXPECT_LE(midi::Data2(m), 127) << DescribeMidi(m);
  }
  EXPECT_EQ(host.midi.size(), 5u);
}

TEST_F(VoicesTest, GhostingDoesNotSilenceNotesOrArticulations) {
  engine.model.output.ccGhosting = 1;
  engine.model.bank.keyswitch[1] = 24;
  engine.model.bank.uacc[1] = 10;
  engine.model.bank.modwheel[1] = 64;
  engine.model.PublishSlots();
  const intptr_t v = Note(60, 1);
  engine.ReleaseVoice(v);
  const intptr_t w = Note(61, 1);
  engine.KillVoice(w);
  const std::vector<uint32_t> expected = {Msg(0x90, 24, 127), Msg(0x80, 24, 0),   Msg(0xB0, 32, 10),
                                          Msg(0xB0, 1, 64),   Msg(0x90, 60, 100), Msg(0x80, 60, 0),
                                          Msg(0x90, 61, 100), Msg(0x80, 61, 0)};
  EXPECT_EQ(Describe(host.midi), Describe(expected));
}

TEST_F(VoicesTest, OnlyLowBitsOfChannelAndPortAreUsed) {
  engine.model.output.channel = 17;
  engine.model.output.port = 0x1FF;
  ASSERT_NE(Note(60), 0);
  EXPECT_EQ(host.midi[0], Msg(0x91, 60, 100, 0xFF));
}

// --- Colours -------------------------------------------------------------------

TEST_F(VoicesTest, ColourOutsideTheBankSelectsNoArticulation) {
  for (int slot = 0; slot < kSlotCount; ++slot) engine.model.bank.keyswitch[slot] = 20 + slot;
  engine.model.PublishSlots();
  ASSERT_NE(Note(60, 4), 0);
  host.ClearRecords();
  for (int32_t colour : {16, -1, 1000, std::numeric_limits<int32_t>::min()}) {
    ASSERT_NE(Note(61, colour), 0) << colour;
  }
  // Only the note-ons: no keyswitch, and slot and cache as the last known note left them.
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x90, 61, 100), Msg(0x90, 61, 100),
                                           Msg(0x90, 61, 100), Msg(0x90, 61, 100)}));
  EXPECT_EQ(engine.model.currentSlot, 4);
  EXPECT_EQ(engine.model.sent.lastKeyswitch, 24);
}

TEST_F(VoicesTest, CurrentSlotFollowsTheLatestNoteAndOutlivesIt) {
  const intptr_t v = Note(60, 9);
  EXPECT_EQ(engine.model.currentSlot, 9);
  engine.ReleaseVoice(v);
  engine.KillVoice(v);
  EXPECT_EQ(engine.model.currentSlot, 9);
}

// --- Repaint requests -------------------------------------------------------------

TEST_F(VoicesTest, TriggerRepaintsTheSlotGridAfterTheQueryBeforeAnyMessage) {
  engine.model.bank.keyswitch[2] = 24;
  engine.model.PublishSlots();
  ASSERT_NE(Note(60, 2), 0);
  ASSERT_EQ(spy.requests.size(), 1u);
  EXPECT_TRUE(spy.requests[0].gridOnly);
  EXPECT_EQ(spy.requests[0].queriesBefore, 1u);
  EXPECT_EQ(spy.requests[0].midiBefore, 0u);
}

TEST_F(VoicesTest, ReleaseAndKillDoNotRepaint) {
  const intptr_t v = Note(60);
  spy.requests.clear();
  engine.ReleaseVoice(v);
  engine.KillVoice(v);
  EXPECT_TRUE(spy.requests.empty());
}

// --- Release and kill ----------------------------------------------------------------

TEST_F(VoicesTest, ReleaseSendsNoteOffAndEndsTheVoice) {
  const intptr_t v = Note(60, 0, 11);
  host.ClearRecords();
  engine.ReleaseVoice(v);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x80, 60, 0)}));
  EXPECT_EQ(host.endedVoices, std::vector<int32_t>{11});
  uint32_t firstWord;
  std::memcpy(&firstWord, reinterpret_cast<const void*>(v), sizeof firstWord);
  EXPECT_EQ(firstWord, Msg(0x80, 60, 0));  // rewritten in place
  host.ClearRecords();
  engine.KillVoice(v);  // already released: nothing more
  EXPECT_TRUE(host.midi.empty());
  EXPECT_TRUE(host.endedVoices.empty());
  EXPECT_EQ(engine.voices().LiveCount(), 0);
}

TEST_F(VoicesTest, KillOfASoundingVoiceSendsItsNoteOff) {
  const intptr_t v = Note(60, 0, 11);
  host.ClearRecords();
  engine.KillVoice(v);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x80, 60, 0)}));
  EXPECT_TRUE(host.endedVoices.empty());
}

TEST_F(VoicesTest, TwoVoicesOnOneNote) {
  const intptr_t first = Note(60, 0, 1);
  const intptr_t second = Note(60, 0, 2);
  host.ClearRecords();
  engine.ReleaseVoice(first);  // the second still holds the note
  EXPECT_TRUE(host.midi.empty());
  EXPECT_EQ(host.endedVoices, std::vector<int32_t>{1});
  engine.KillVoice(first);  // released: nothing
  EXPECT_TRUE(host.midi.empty());
  engine.ReleaseVoice(second);  // now alone
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x80, 60, 0)}));
  EXPECT_EQ(host.endedVoices, (std::vector<int32_t>{1, 2}));
}

// Overlapping repeated notes: both voices released before the host kills
// either. A released record holds nothing back, so the last release ends
// the key; the kills that follow send nothing.
TEST_F(VoicesTest, ReleasingTheLastUnreleasedVoiceOfANoteSendsItsNoteOff) {
  const intptr_t first = Note(60, 0, 1);
  const intptr_t second = Note(60, 0, 2);
  engine.ReleaseVoice(first);  // the second still holds the note
  host.ClearRecords();
  engine.ReleaseVoice(second);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x80, 60, 0)}));
  EXPECT_EQ(host.endedVoices, std::vector<int32_t>{2});
  host.ClearRecords();
  engine.KillVoice(second);
  engine.KillVoice(first);
  EXPECT_TRUE(host.midi.empty());
}

// Only a voice on the same note, channel and port keeps a note sounding:
// voices elsewhere each end their own note.
TEST_F(VoicesTest, AVoiceHoldsBackOnlyTheNoteAtItsOwnAddress) {
  const intptr_t first = Note(60);
  engine.model.output.channel = 5;
  const intptr_t otherChannel = Note(60);
  engine.model.output.channel = 0;
  engine.model.output.port = 9;
  const intptr_t otherPort = Note(60);
  engine.model.output.port = 0;
  const intptr_t twin = Note(60);
  host.ClearRecords();
  engine.ReleaseVoice(otherChannel);
  engine.ReleaseVoice(otherPort);
  engine.ReleaseVoice(first);  // twin holds channel 1, port 0
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x85, 60, 0), Msg(0x80, 60, 0, 9)}));
  engine.ReleaseVoice(twin);
  EXPECT_EQ(host.midi.size(), 3u);
  EXPECT_EQ(DescribeMidi(host.midi.back()), DescribeMidi(Msg(0x80, 60, 0)));
}

TEST_F(VoicesTest, KillIgnoresOtherVoicesOnTheNote) {
  const intptr_t first = Note(60, 0, 1);
  const intptr_t second = Note(60, 0, 2);
  host.ClearRecords();
  engine.KillVoice(first);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x80, 60, 0)}));
  engine.KillVoice(second);
  EXPECT_EQ(host.midi.size(), 2u);
}

TEST_F(VoicesTest, DifferentNotesReleaseIndependently) {
  const intptr_t a = Note(60);
  const intptr_t b = Note(61);
  host.ClearRecords();
  engine.ReleaseVoice(a);
  engine.ReleaseVoice(b);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x80, 60, 0), Msg(0x80, 61, 0)}));
}

TEST_F(VoicesTest, SecondReleaseOfOneVoiceRepeatsIt) {
  const intptr_t v = Note(60, 0, 3);
  host.ClearRecords();
  engine.ReleaseVoice(v);
  engine.ReleaseVoice(v);
  EXPECT_EQ(host.midi.size(), 2u);
  EXPECT_EQ(host.endedVoices, (std::vector<int32_t>{3, 3}));
}

// A change of output address while notes sound must not strand them: each
// note-off goes where its note-on went, released or killed.
TEST_F(VoicesTest, NoteOffGoesToTheChannelAndPortOfItsNoteOn) {
  engine.model.output.channel = 1;
  engine.model.output.port = 4;
  const intptr_t released = Note(60);
  const intptr_t killed = Note(62);
  engine.model.output.channel = 6;
  engine.model.output.port = 8;
  host.ClearRecords();
  engine.ReleaseVoice(released);
  engine.KillVoice(killed);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x81, 60, 0, 4), Msg(0x81, 62, 0, 4)}));
}

TEST_F(VoicesTest, ForeignStaleAndMisalignedHandlesAreIgnored) {
  const intptr_t live = Note(60, 0, 1);
  const intptr_t dead = Note(61, 0, 2);
  engine.KillVoice(dead);
  host.ClearRecords();

  VoiceRecord stranger;
  stranger.message = Msg(0x90, 60, 100);
  const intptr_t bogus[] = {
      0,
      dead,
      live + 1,
      live + static_cast<intptr_t>(sizeof(VoiceRecord)) - 1,
      live - static_cast<intptr_t>(sizeof(VoiceRecord)) * 100000,
      live + static_cast<intptr_t>(sizeof(VoiceRecord)) * kVoiceCapacity,
      reinterpret_cast<intptr_t>(&stranger),
      -1,
      std::numeric_limits<intptr_t>::min(),
  };
  for (intptr_t handle : bogus) {
    engine.ReleaseVoice(handle);
    engine.KillVoice(handle);
  }
  EXPECT_TRUE(host.midi.empty());
  EXPECT_TRUE(host.endedVoices.empty());
  EXPECT_EQ(engine.voices().LiveCount(), 1);
  engine.KillVoice(live);
  EXPECT_EQ(Describe(host.midi), Describe({Msg(0x80, 60, 0)}));
  engine.KillVoice(live);  // twice: the second is stale
  EXPECT_EQ(host.midi.size(), 1u);
}

// --- The table -------------------------------------------------------------------------

TEST_F(VoicesTest, LowestFreeEntryIsTaken) {
  std::vector<intptr_t> v;
  for (int i = 0; i < 8; ++i) v.push_back(Note(60 + i));
  for (int i = 1; i < 8; ++i) {
    EXPECT_EQ(v[i] - v[i - 1], static_cast<intptr_t>(sizeof(VoiceRecord)));
  }
  engine.KillVoice(v[5]);
  engine.KillVoice(v[2]);
  EXPECT_EQ(Note(70), v[2]);
  EXPECT_EQ(Note(71), v[5]);
  EXPECT_EQ(Note(72) - v[7], static_cast<intptr_t>(sizeof(VoiceRecord)));
}

TEST_F(VoicesTest, FullTableAnswersNullWithoutAColourQuery) {
  host.colour = 0;
  std::vector<intptr_t> handles;
  for (int i = 0; i < kVoiceCapacity; ++i) {
    const intptr_t h = engine.TriggerVoice(VoiceParams(PitchOfNote(i % 128)).bytes, i);
    ASSERT_NE(h, 0) << i;
    handles.push_back(h);
  }
  EXPECT_EQ(engine.voices().LiveCount(), kVoiceCapacity);
  host.ClearRecords();
  spy.requests.clear();
  engine.model.bank.keyswitch[0] = 24;
  engine.model.PublishSlots();
  EXPECT_EQ(engine.TriggerVoice(VoiceParams(0.0f).bytes, -5), 0);
  EXPECT_TRUE(host.colourQueries.empty());
  EXPECT_TRUE(host.midi.empty());
  EXPECT_TRUE(spy.requests.empty());

  // A freed entry deep in the table is found again, and only it.
  engine.KillVoice(handles[12345]);
  host.ClearRecords();
  EXPECT_EQ(engine.TriggerVoice(VoiceParams(0.0f).bytes, 99), handles[12345]);
  EXPECT_EQ(host.colourQueries, std::vector<int32_t>{99});
  EXPECT_EQ(engine.TriggerVoice(VoiceParams(0.0f).bytes, 100), 0);

  // Every voice of the full table can be released and killed.
  host.ClearRecords();
  for (intptr_t h : handles) {
    engine.ReleaseVoice(h);
    engine.KillVoice(h);
  }
  EXPECT_EQ(engine.voices().LiveCount(), 0);
  EXPECT_EQ(host.endedVoices.size(), static_cast<size_t>(kVoiceCapacity));
  // The last voice of each note sends the note-off.
  size_t noteOffs = 0;
  for (uint32_t m : host.midi) noteOffs += midi::Status(m) == 0x80;
  EXPECT_EQ(noteOffs, 128u);
  EXPECT_EQ(engine.TriggerVoice(VoiceParams(0.0f).bytes, 1), handles[0]);
}

TEST_F(VoicesTest, EndAllVoicesReportsEveryRecordInTableOrderAndSendsNothing) {
  const intptr_t a = Note(60, 0, 10);
  const intptr_t b = Note(61, 0, 11);
  const intptr_t c = Note(62, 0, 12);
  const intptr_t d = Note(63, 0, 13);
  engine.ReleaseVoice(b);
  engine.KillVoice(c);
  const intptr_t e = Note(64, 0, 14);  // takes c's entry
  EXPECT_EQ(e, c);
  host.ClearRecords();
  engine.EndAllVoices();
  EXPECT_EQ(host.endedVoices, (std::vector<int32_t>{10, 11, 14, 13}));
  EXPECT_TRUE(host.midi.empty());
  EXPECT_EQ(engine.voices().LiveCount(), 4);
  // Nothing was freed: each voice still ends as usual.
  host.ClearRecords();
  engine.KillVoice(a);
  engine.KillVoice(d);
  EXPECT_EQ(host.midi.size(), 2u);
}

TEST_F(VoicesTest, PlaybackStopEndsAllVoicesAndStartBroadcasts) {
  engine.PlaybackChanged(false);
  EXPECT_TRUE(host.endedVoices.empty());
  Note(60, 0, 1);
  Note(60, 0, 2);
  host.ClearRecords();
  engine.PlaybackChanged(false);
  EXPECT_EQ(host.endedVoices, (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(host.midi.empty());
  engine.PlaybackChanged(true);
  EXPECT_EQ(host.midi.size(), 9u);
}

TEST_F(VoicesTest, EndAllVoicesToleratesAHostThatKillsFromEndVoice) {
  struct KillingHost : RecordingHost {
    ArticulationEngine* engine = nullptr;
    std::vector<intptr_t> victims;
    void PLUG_CALL EndVoice(int32_t tag, int32_t flag) override {
      RecordingHost::EndVoice(tag, flag);
      for (intptr_t v : victims) engine->KillVoice(v);
      victims.clear();
    }
  } killer;
  ArticulationEngine e(&killer, 1);
  killer.engine = &e;
  e.InitState();
  const VoiceParams p(0.0f);
  e.TriggerVoice(p.bytes, 1);
  const intptr_t second = e.TriggerVoice(p.bytes, 2);
  e.TriggerVoice(p.bytes, 3);
  killer.victims = {second};  // killed while the first is reported
  killer.ClearRecords();
  e.EndAllVoices();
  EXPECT_EQ(killer.endedVoices, (std::vector<int32_t>{1, 3}));
}

TEST_F(VoicesTest, InitStateEmptiesTheTable) {
  const intptr_t v = Note(60);
  engine.InitState();
  EXPECT_EQ(engine.voices().LiveCount(), 0);
  host.ClearRecords();
  engine.KillVoice(v);  // the handle died with the table
  EXPECT_TRUE(host.midi.empty());
  EXPECT_EQ(Note(61), v);
}

// --- Rendering -------------------------------------------------------------------------

TEST_F(VoicesTest, RenderWritesSilenceForEveryFrame) {
  const intptr_t v = Note(60);
  std::vector<float> buffer(520, 0.5f);
  int32_t length = 256;
  EXPECT_EQ(engine.RenderVoice(v, buffer.data(), &length), 0);
  EXPECT_EQ(length, 256);
  for (size_t i = 0; i < 512; ++i) ASSERT_EQ(buffer[i], 0.0f) << i;
  for (size_t i = 512; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0.5f) << i;

  std::vector<float> untouched(8, 0.5f);
  for (int32_t none : {0, -1, std::numeric_limits<int32_t>::min()}) {
    EXPECT_EQ(engine.RenderVoice(v, untouched.data(), &none), 0);
  }
  EXPECT_EQ(untouched, std::vector<float>(8, 0.5f));
  EXPECT_TRUE(host.midi.size() == 1u);  // rendering sends nothing
}

}  // namespace
