#include "tools/bench/controller_fanout_case.h"

#include <objidl.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tools/bench/bench_host.h"
#include "tools/maps/state_bytes.h"

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

void Load(const RawPlugin& plugin, const std::vector<uint8_t>& bytes) {
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return;
  ULONG written = 0;
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  plugin.SaveOrLoadState(stream, 0);
  stream->Release();
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

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Seconds per change of Dynamics, over batches of changes, until seconds
// are used.
double TimePerChange(const RawPlugin& target, double seconds) {
  double measured = 0;
  long count = 0;
  while (measured < seconds) {
    const double start = Now();
    for (int i = 0; i < kBatch; ++i) target.ProcessParam(0, i, kUpdateValue);
    measured += Now() - start;
    count += kBatch;
  }
  return measured / static_cast<double>(count);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Case {
  BenchHost host;
  void* object = nullptr;
  CallsStandIn standIn{g_table, &host, 0};
  std::vector<double> plug, calls;

  bool Open(const PluginLibrary& library, bool everyChannel) {
    object = library.Create(&host, 11);
    if (!object) return false;
    const RawPlugin plugin(object);
    Load(plugin, EncodeState(Bank(everyChannel)));
    const long before = host.midi;
    plugin.ProcessParam(0, 1, kUpdateValue);
    standIn.midiPerChange = host.midi - before;
    return true;
  }
  void Round(double seconds) {
    plug.push_back(TimePerChange(RawPlugin(object), seconds));
    calls.push_back(TimePerChange(RawPlugin(&standIn), seconds));
  }
};

}  // namespace

bool CompareControllerFanoutWithHostCalls(const PluginLibrary& library, int rounds,
                                          double seconds) {
  g_table[kParameterSlot] = reinterpret_cast<void*>(&StandInParam);
  Case routed, plain;
  if (!routed.Open(library, true) || !plain.Open(library, false)) return false;
  for (int round = 0; round < rounds; ++round) {
    routed.Round(seconds);
    plain.Round(seconds);
  }
  RawPlugin(routed.object).Destroy();
  RawPlugin(plain.object).Destroy();

  const double routedChange = Median(routed.plug), routedCalls = Median(routed.calls);
  const double plainChange = Median(plain.plug), plainCalls = Median(plain.calls);
  const double ratio = (routedChange - plainChange) / (routedCalls - plainCalls);
  std::printf(
      "\na controller change (ProcessParam) with the bank's notes on 16 channels (medians of %d "
      "rounds):\n"
      "                               plug-in ns   its host calls ns   messages\n"
      "  16 note channels             %10.1f   %17.1f   %8ld\n"
      "  the plug-in's channel only   %10.1f   %17.1f   %8ld\n"
      "  what the fan-out adds        %10.1f   %17.1f   %8ld   %.2fx\n"
      "  a whole change on 16 channels against its host calls: %.2fx\n"
      "controller fan-out target (what it adds <= 2x the host calls it adds): %s\n",
      rounds, routedChange * 1e9, routedCalls * 1e9, routed.standIn.midiPerChange,
      plainChange * 1e9, plainCalls * 1e9, plain.standIn.midiPerChange,
      (routedChange - plainChange) * 1e9, (routedCalls - plainCalls) * 1e9,
      routed.standIn.midiPerChange - plain.standIn.midiPerChange, ratio, routedChange / routedCalls,
      ratio <= 2.0 ? "met" : "MISSED");
  return ratio <= 2.0;
}
