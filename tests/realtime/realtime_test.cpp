// Drives every audio-thread operation hard under RealtimeSanitizer: chords,
// stacked notes, a full table, every parameter with every flag, events, bad
// handles and bad pitches. The operations are [[clang::nonblocking]], so any
// allocation, lock or blocking call inside them (or inside what they call)
// ends the program with a report. The host keeps counters only and the
// repaint target records requests exactly as the editor does, so whatever
// is reported is the engine's or that recording's. A last phase makes the
// same calls as a host does, through the plug-in's table, whose slots are
// guarded trampolines (plugin/cpp_fruity_plug.h): inside a real-time
// context of their own, so the guards are checked with the engine.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "editor/repaint_requests.h"
#include "engine/engine.h"
#include "engine/voice_params.h"
#include "plugin/cpp_fruity_plug.h"
#include "tests/support/counting_host.h"

namespace {

intptr_t g_handles[kVoiceCapacity];

// The editor's recording of repaint requests, checked with the engine: the
// whole of what the editor does on the caller's thread.
struct RecordedRepaint : EditorRepaint {
  RepaintRequests requests;
  long made = 0, paintsWithRequests = 0;
  void InvalidateEditor(bool gridOnly) override {
    ++made;
    requests.Request(gridOnly);
  }
};
int g_failures = 0;

// The audio-thread operations of the plug-in object, forwarded as the DLL's
// plug-in forwards them.
class TablePlug final : public TCPPFruityPlug {
 public:
  explicit TablePlug(ArticulationEngine& engine) : TCPPFruityPlug(1, nullptr), engine_(engine) {}

 protected:
  intptr_t OnTriggerVoice(const void* params, int32_t tag) override {
    return engine_.TriggerVoice(params, tag);
  }
  void OnReleaseVoice(intptr_t handle) override { engine_.ReleaseVoice(handle); }
  void OnKillVoice(intptr_t handle) override { engine_.KillVoice(handle); }
  int32_t OnRenderVoice(intptr_t handle, float* buffer, int32_t* length) override {
    return engine_.RenderVoice(handle, buffer, length);
  }
  int32_t OnProcessParam(int32_t index, int32_t value, int32_t flags) override {
    return engine_.ProcessParam(index, value, flags);
  }
  int32_t OnProcessEvent(int32_t event, int32_t value, int32_t flags) override {
    return engine_.ProcessEvent(event, value, flags);
  }

 private:
  ArticulationEngine& engine_;
};

// One audio buffer's calls through the table: a chord started, rendered,
// released and killed, every parameter, the events. The table's slots are
// no real-time functions of their own, so the compiler is told to let them
// be called here; the sanitizer checks them all the same.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wfunction-effects"
#endif
long AudioBufferThroughTable(TFruityPlug& plug, Params& params, float* buffer,
                             int32_t round) ARTSW_REALTIME {
  int32_t frames = 128;
  for (int note = 0; note < 64; ++note) {
    params.Set(static_cast<float>((note - 30) * 100), 0.015f * static_cast<float>(note));
    g_handles[note] = plug.TriggerVoice(params.bytes, note);
  }
  for (int note = 0; note < 64; ++note) plug.RenderVoice(g_handles[note], buffer, &frames);
  for (int note = 0; note < 64; ++note) plug.ReleaseVoice(g_handles[note]);
  for (int note = 0; note < 64; ++note) plug.KillVoice(g_handles[note]);
  for (int32_t index = -1; index <= 128; ++index)
    plug.ProcessParam(index, round * 17 + index, index & 0x3F);
  for (int32_t event = 0; event < 6; ++event) plug.ProcessEvent(event, round, 0);
  return 64;
}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

void Expect(bool condition, const char* what) {
  if (!condition) {
    std::printf("FAILED: %s\n", what);
    ++g_failures;
  }
}

}  // namespace

int main() {
  CountingHost host;
  host.colourStep = 7;  // 16 and 17 lie outside the bank
  host.colourCycle = 18;
  RecordedRepaint repaint;
  // On the heap: the engine owns a large record array only through a pointer,
  // but keep the test's own stack small regardless.
  auto* engine = new ArticulationEngine(&host, 1);
  engine->InitState();
  engine->SetRepaint(&repaint);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    engine->model.bank.keyswitch[slot] = slot % 3 ? 24 + slot : kUnset;
    engine->model.bank.uacc[slot] = slot % 2 ? slot * 5 : kUnset;
    engine->model.bank.modwheel[slot] = slot % 4 ? slot * 8 : kUnset;
    engine->model.PublishSlots();
  }
  // Additions on three slots in four: actions of every kind (held notes
  // among them) on the plug-in's channel and on others, layered note
  // channels and transposes, so the chords' switches send them and end the
  // held notes.
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (slot % 4 == 3) continue;
    SlotAdditions a;
    a.keyswitchVelocity = static_cast<uint8_t>(40 + slot);
    a.transpose = static_cast<int8_t>(slot * 3 - 24);
    a.noteChannels = slot % 2 ? (kPluginChannelBit | 1u << slot) : 1u << 3;
    a.actionCount = static_cast<uint8_t>(kMaxSlotActions - slot);
    for (int i = 0; i < a.actionCount; ++i) {
      SlotAction& action = a.actions[i];
      action.kind = static_cast<ActionKind>(1 + (i + slot) % 5);
      action.channel = static_cast<uint8_t>((i * 5) % 17);
      action.number = action.kind == ActionKind::kPitchBend ? 0 : static_cast<uint8_t>(i * 4);
      action.value = action.kind == ActionKind::kPitchBend       ? static_cast<uint16_t>(i * 500)
                     : action.kind == ActionKind::kProgramChange ? 0
                                                                 : static_cast<uint16_t>(1 + i * 3);
    }
    Expect(engine->model.additions.Set(slot, a), "slot additions accepted");
  }
  engine->model.pageIndex = kControllerPage;

  Params params;
  float buffer[2 * 256];
  const int32_t frames = 256;
  long expectedEnded = 0;

  for (int round = 0; round < 200; ++round) {
    // A paint per round.
    repaint.paintsWithRequests += repaint.requests.TakeForPaint() != RepaintRequests::kNothing;
    // A 128-note chord with varied levels, rendered, released, killed.
    for (int note = 0; note < 128; ++note) {
      params.Set(static_cast<float>((note - 60) * 100) + 0.5f, 0.02f * static_cast<float>(note));
      g_handles[note] = engine->TriggerVoice(params.bytes, note);
    }
    for (int note = 0; note < 128; ++note) engine->RenderVoice(g_handles[note], buffer, &frames);
    for (int note = 0; note < 128; ++note) engine->ReleaseVoice(g_handles[note]);
    for (int note = 0; note < 128; ++note) engine->KillVoice(g_handles[note]);
    expectedEnded += 128;
    // Stacked voices on a few notes, killed out of order without release.
    for (int i = 0; i < 64; ++i) {
      params.Set(static_cast<float>((i % 4) * 100), 1.0f);
      g_handles[i] = engine->TriggerVoice(params.bytes, i);
    }
    for (int i = 63; i >= 0; i -= 2) engine->KillVoice(g_handles[i]);
    for (int i = 0; i < 64; i += 2) {
      engine->ReleaseVoice(g_handles[i]);
      engine->KillVoice(g_handles[i]);
    }
    expectedEnded += 32;
    // Every parameter with every flag combination, and a few extreme values.
    for (int32_t index = -3; index <= 130; ++index) {
      for (int32_t flags = 0; flags < 0x40; ++flags) {
        engine->ProcessParam(index, round * 331 - 20000 + index, flags);
      }
    }
    engine->ProcessParam(0, std::numeric_limits<int32_t>::max(), 0x25);
    engine->ProcessParam(0, std::numeric_limits<int32_t>::min(), 0x25);
    engine->ShowPercentHint(std::numeric_limits<int32_t>::min(), 0);
    // Events, ghosted and not.
    for (int32_t event = 0; event < 6; ++event) engine->ProcessEvent(event, round * 37, 0);
    engine->model.output.ccGhosting = round & 1;
    // Things that must be turned away.
    params.Set(std::numeric_limits<float>::quiet_NaN(), 1.0f);
    engine->TriggerVoice(params.bytes, 0);
    params.Set(7000.0f, 1.0f);
    engine->TriggerVoice(params.bytes, 0);
    engine->TriggerVoice(nullptr, 0);
    engine->ReleaseVoice(reinterpret_cast<intptr_t>(&params));
    engine->KillVoice(g_handles[0] + 1);
    engine->KillVoice(g_handles[0]);  // already freed
    engine->ReleaseHeldActionNotes();
    // Playback starts and stops: broadcasts to every note channel, pedals
    // lifted where they were left down.
    engine->PlaybackChanged(round % 2 == 0);
  }

  // A full table, a trigger too many, then every voice released and killed.
  for (int pass = 0; pass < 3; ++pass) {
    params.Set(0.0f, 0.7f);
    for (int i = 0; i < kVoiceCapacity; ++i) {
      params.Set(static_cast<float>((i % 128 - 60) * 100), 0.7f);
      g_handles[i] = engine->TriggerVoice(params.bytes, i);
    }
    Expect(engine->TriggerVoice(params.bytes, -1) == 0, "full table answers null");
    for (int i = 0; i < kVoiceCapacity; ++i) engine->ReleaseVoice(g_handles[i]);
    for (int i = kVoiceCapacity - 1; i >= 0; --i) engine->KillVoice(g_handles[i]);
    expectedEnded += kVoiceCapacity;
  }

  // The host's own view: the same kinds of calls through the guarded table.
  auto* plug = new TablePlug(*engine);
  for (int32_t round = 0; round < 100; ++round) {
    expectedEnded += AudioBufferThroughTable(*plug, params, buffer, round);
  }
  plug->Destroy();

  Expect(engine->voices().LiveCount() == 0, "every voice freed");
  Expect(host.ended == expectedEnded, "EndVoice once per release");
  Expect(host.badDataBytes == 0, "no data byte above 127");
  Expect(host.midi > 100000, "the run sent messages");
  Expect(host.hints > 0 && repaint.made > 0, "hints and repaints happened");
  Expect(repaint.paintsWithRequests > 0, "paints found requests recorded");
  std::printf(
      "realtime_tests: %ld messages, %ld colour queries, %ld hints, %ld repaints (%ld paints "
      "took some)\n",
      host.midi, host.queries, host.hints, repaint.made, repaint.paintsWithRequests);
  delete engine;
  return g_failures == 0 ? 0 : 1;
}
