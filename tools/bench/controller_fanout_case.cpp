#include "tools/bench/controller_fanout_case.h"

#include <vector>

#include "tools/bench/against_host_calls.h"
#include "tools/bench/bench_host.h"
#include "maps/state_bytes.h"

namespace {

constexpr int kBatch = 128;
constexpr int kParameterSlot = 6;       // ProcessParam in the operation table
constexpr int32_t kUpdateValue = 0x01;  // ProcessParam stores and sends the value

// Slot k plays its notes on channel k + 1 (and the plug-in's), so the bank's
// note channels are all sixteen; or no slot routes at all.
PluginSettings Bank(bool everyChannel) {
  PluginSettings s;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    s.slots[slot].keyswitch = 12 + slot;
    if (everyChannel) s.slots[slot].additions.noteChannels = kPluginChannelBit | 1u << slot;
  }
  return s;
}

// The host calls alone, behind the table slot of ProcessParam.
struct CallsStandIn {
  void** table;
  PluginHost* host;
  long midiPerChange;
};

int32_t __stdcall StandInParam(CallsStandIn* self, int32_t index, int32_t value, int32_t) {
  for (long i = 0; i < self->midiPerChange; ++i) {
    self->host->SendMidi(9, 0xB0 | static_cast<uint32_t>(i) |
                                static_cast<uint32_t>(index + 1) << 8 |
                                static_cast<uint32_t>(value) << 16);
  }
  return value;
}
void* g_table[14] = {};

// Seconds per change of Dynamics, over batches of changes, until seconds
// are used.
double TimePerChange(const RawPlugin& target, double seconds) {
  double measured = 0;
  long count = 0;
  while (measured < seconds) {
    const double start = bench::Now();
    for (int i = 0; i < kBatch; ++i) target.ProcessParam(0, i, kUpdateValue);
    measured += bench::Now() - start;
    count += kBatch;
  }
  return measured / static_cast<double>(count);
}

struct Case {
  BenchHost host;
  void* object = nullptr;
  CallsStandIn standIn{g_table, &host, 0};
  bench::Timings timings;

  bool Open(const PluginLibrary& library, bool everyChannel) {
    object = library.Create(&host, 11);
    if (!object) return false;
    const RawPlugin plugin(object);
    bench::LoadState(plugin, EncodeState(Bank(everyChannel)));
    const long before = host.midi;
    plugin.ProcessParam(0, 1, kUpdateValue);
    timings.messages = standIn.midiPerChange = host.midi - before;
    return true;
  }
  void Round(double seconds) {
    timings.plug.push_back(TimePerChange(RawPlugin(object), seconds));
    timings.calls.push_back(TimePerChange(RawPlugin(&standIn), seconds));
  }
};

}  // namespace

bool CompareControllerFanoutWithHostCalls(const PluginLibrary& library, int rounds,
                                          double seconds) {
  g_table[kParameterSlot] = reinterpret_cast<void*>(&StandInParam);
  return bench::RunAgainstHostCalls<Case>(
      library, rounds, seconds,
      {"a controller change (ProcessParam) with the bank's notes on 16 channels",
       "16 note channels", "the plug-in's channel only", "what the fan-out adds",
       "a whole change on 16 channels", "controller fan-out"});
}
