#include "tools/bench/slot_outputs_case.h"

#include <cstdio>
#include <vector>

#include "tools/bench/against_host_calls.h"
#include "tools/bench/bench_host.h"
#include "maps/state_bytes.h"

namespace {

constexpr int kBatch = 128;
constexpr int kActions = 16;

// Sixteen slots, each with a keyswitch and a UACC value; with additions,
// also two note channels and sixteen actions of every kind on two channels.
PluginSettings Slots(bool withAdditions) {
  PluginSettings s;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SlotSettings& out = s.slots[slot];
    out.keyswitch = 12 + slot;
    out.uacc = 20 + slot;
    if (!withAdditions) continue;
    SlotAdditions& a = out.additions;
    a.noteChannels = kPluginChannelBit | 1u << 1;
    for (int i = 0; i < kActions; ++i) {
      SlotAction& action = a.actions[i];
      action.channel = static_cast<uint8_t>(i % 2 == 0 ? 0 : 3);
      switch (i % 4) {
        case 0:
          action = {ActionKind::kNoteTap, action.channel, static_cast<uint8_t>(30 + i), 100};
          break;
        case 1:
          action = {ActionKind::kControlChange, action.channel, static_cast<uint8_t>(50 + i),
                    static_cast<uint16_t>(slot * 7)};
          break;
        case 2:
          action = {ActionKind::kProgramChange, action.channel, static_cast<uint8_t>(slot), 0};
          break;
        default:
          action = {ActionKind::kPitchBend, action.channel, 0,
                    static_cast<uint16_t>(8192 + slot * 100)};
          break;
      }
    }
    a.actionCount = kActions;
  }
  return s;
}

// The host calls alone, behind a table slot like the plug-in's.
struct CallsStandIn {
  void** table;
  PluginHost* host;
  long midiPerNote;
};

intptr_t __stdcall StandInTrigger(CallsStandIn* self, const void* params, int32_t tag) {
  self->host->QueryVoice(tag, 2, 0, 0);
  const uint32_t note = static_cast<const uint8_t*>(params)[28];
  for (long i = 0; i < self->midiPerNote; ++i)
    self->host->SendMidi(9, 0x90 | note << 8 | static_cast<uint32_t>(i) << 16);
  return 1;
}
void __stdcall StandInNothing(CallsStandIn*, intptr_t) {}
void* g_table[14] = {};

// Seconds per note over batches of notes, each released and killed after
// its batch (untimed), until seconds are used.
double TimePerNote(const RawPlugin& target, double seconds) {
  HostVoiceParams notes[kBatch];
  for (int i = 0; i < kBatch; ++i) notes[i].pitch = static_cast<float>((48 + i % 24 - 60) * 100);
  intptr_t handles[kBatch];
  double measured = 0;
  long count = 0;
  while (measured < seconds) {
    const double start = bench::Now();
    for (int i = 0; i < kBatch; ++i) handles[i] = target.TriggerVoice(&notes[i], i);
    measured += bench::Now() - start;
    count += kBatch;
    for (int i = 0; i < kBatch; ++i) {
      target.ReleaseVoice(handles[i]);
      target.KillVoice(handles[i]);
    }
  }
  return measured / static_cast<double>(count);
}

// One instance of the DLL with its slots, and a stand-in that makes the
// host calls its notes make.
struct Case {
  BenchHost host;
  void* object = nullptr;
  CallsStandIn standIn{g_table, &host, 0};
  bench::Timings timings;

  bool Open(const PluginLibrary& library, bool withAdditions) {
    object = library.Create(&host, 11);
    if (!object) return false;
    const RawPlugin plugin(object);
    bench::LoadState(plugin, EncodeState(Slots(withAdditions)));
    // How many messages one note sends, counted on a second note: the
    // first after a load also brings every note channel's controllers up
    // to date.
    HostVoiceParams params;
    for (int note = 0; note < 2; ++note) {
      const long before = host.midi;
      const intptr_t handle = plugin.TriggerVoice(&params, 1);
      timings.messages = host.midi - before;
      plugin.ReleaseVoice(handle);
      plugin.KillVoice(handle);
    }
    standIn.midiPerNote = timings.messages;
    return true;
  }
  void Round(double seconds) {
    timings.plug.push_back(TimePerNote(RawPlugin(object), seconds));
    timings.calls.push_back(TimePerNote(RawPlugin(&standIn), seconds));
  }
};

}  // namespace

bool CompareSlotOutputsWithHostCalls(const PluginLibrary& library, int rounds, double seconds) {
  g_table[9] = reinterpret_cast<void*>(&StandInTrigger);
  g_table[10] = reinterpret_cast<void*>(&StandInNothing);
  g_table[11] = reinterpret_cast<void*>(&StandInNothing);
  // What the additions add to a note against the host calls they add: the
  // note's own bookkeeping is the same with and without them.
  char title[96];
  std::snprintf(title, sizeof title,
                "slots with %d actions and two note channels, every note another slot", kActions);
  return bench::RunAgainstHostCalls<Case>(
      library, rounds, seconds,
      {title, "with the additions", "keyswitch and UACC only", "what the additions add",
       "a whole note with the additions", "slot outputs"});
}
