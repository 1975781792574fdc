// The audio-thread operations must not touch the heap. This executable's
// global operator new counts every allocation made through it
// (tests/support/allocation_failures.h); a burst of note, parameter and
// event calls must leave the count unchanged. Direct malloc calls are caught
// by the RealtimeSanitizer check of the realtime build instead.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "engine/engine.h"
#include "engine/voice_params.h"
#include "tests/support/allocation_failures.h"
#include "tests/support/counting_host.h"

namespace {

intptr_t g_handles[kVoiceCapacity];

TEST(Allocation, CounterSeesLibraryAllocations) {
  // Guards the test below: the replacement must be the operator new in use.
  const long before = allocation_failures::Count();
  std::string grown(1000, 'x');
  grown += grown;
  int* single = new int(3);
  delete single;
  EXPECT_GE(allocation_failures::Count() - before, 2);
}

TEST(Allocation, NoteParameterAndEventBurstAllocatesNothing) {
  CountingHost host;
  CountingRepaint repaint;
  ArticulationEngine engine(&host, 1);
  engine.InitState();
  engine.SetRepaint(&repaint);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    engine.model.bank.keyswitch[slot] = slot % 3 ? 24 + slot : kUnset;
    engine.model.bank.uacc[slot] = slot % 2 ? slot : kUnset;
    engine.model.bank.modwheel[slot] = slot * 8;
    engine.model.PublishSlots();
    engine.model.bank.name.Set(slot, "a name long enough to live on the heap, not inline");
  }
  engine.model.pageIndex = kControllerPage;
  Params params;
  float buffer[2 * 64];
  const int32_t frames = 64;

  const long before = allocation_failures::Count();
  for (int round = 0; round < 20; ++round) {
    // A 128-note chord, rendered, released, killed.
    for (int note = 0; note < 128; ++note) {
      params.Set(static_cast<float>((note - 60) * 100), 0.01f * static_cast<float>(note));
      g_handles[note] = engine.TriggerVoice(params.bytes, note);
    }
    for (int note = 0; note < 128; ++note) engine.RenderVoice(g_handles[note], buffer, &frames);
    for (int note = 0; note < 128; ++note) engine.ReleaseVoice(g_handles[note]);
    for (int note = 0; note < 128; ++note) engine.KillVoice(g_handles[note]);
    // Stacked voices on one note, killed unreleased.
    params.Set(0.0f, 1.0f);
    for (int i = 0; i < 8; ++i) g_handles[i] = engine.TriggerVoice(params.bytes, i);
    for (int i = 0; i < 8; ++i) engine.KillVoice(g_handles[i]);
    // Parameters with every flag, and events.
    for (int32_t index = -2; index < 130; ++index) {
      engine.ProcessParam(index, round * 3000 + index, 0x01 | 0x04 | 0x10 | 0x20);
      engine.ProcessParam(index, index, 0x11);
    }
    engine.ShowPercentHint(std::numeric_limits<int32_t>::min(), 0);
    engine.ProcessEvent(2, round * 13, 0);
    engine.ProcessEvent(3, round * 7, 0);
    // Pitches that make no voice, and handles that were never issued.
    params.Set(9000.0f, 1.0f);
    engine.TriggerVoice(params.bytes, 0);
    engine.ReleaseVoice(reinterpret_cast<intptr_t>(&params));
    engine.KillVoice(12345);
  }
  // A full table, one trigger too many, then everything ended and killed.
  params.Set(0.0f, 0.5f);
  for (int i = 0; i < kVoiceCapacity; ++i) g_handles[i] = engine.TriggerVoice(params.bytes, i);
  const intptr_t overflow = engine.TriggerVoice(params.bytes, -1);
  engine.EndAllVoices();
  for (int i = 0; i < kVoiceCapacity; ++i) engine.ReleaseVoice(g_handles[i]);
  for (int i = 0; i < kVoiceCapacity; ++i) engine.KillVoice(g_handles[i]);
  const long allocations = allocation_failures::Count() - before;

  EXPECT_EQ(allocations, 0);
  // The burst did what it claims.
  EXPECT_EQ(overflow, 0);
  EXPECT_NE(g_handles[kVoiceCapacity - 1], 0);
  EXPECT_EQ(engine.voices().LiveCount(), 0);
  EXPECT_GT(host.midi, 20 * 128 * 2);
  EXPECT_EQ(host.ended, 20 * 128 + 2 * kVoiceCapacity);
  EXPECT_GT(host.hints, 0);
  EXPECT_GT(repaint.requests, 0);
}

}  // namespace
