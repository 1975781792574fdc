#include "tools/bench/slot_outputs_case.h"

#include <objidl.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tools/maps/state_bytes.h"

namespace {

constexpr int kBatch = 128;
constexpr int kActions = 16;

class CountingHost final : public PluginHost {
 public:
  long midi = 0;
  uint32_t midiSum = 0;
  int32_t colour = 0;
  intptr_t PLUG_CALL HostDispatch(int32_t, int32_t, int32_t, intptr_t) override { return 0; }
  void PLUG_CALL NotifyParamChanged(int32_t, int32_t, int32_t) override {}
  void PLUG_CALL ShowHint(int32_t, const char*) override {}
  void PLUG_CALL EndVoice(int32_t, int32_t) override {}
  int32_t PLUG_CALL QueryVoice(int32_t, int32_t, int32_t, int32_t) override {
    colour = (colour + 5) & 15;  // every note another slot
    return colour;
  }
  void PLUG_CALL SendMidi(int32_t, uint32_t message) override {
    ++midi;
    midiSum += message;
  }
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char*, char*, int32_t*) override { return 0; }
};

// Sixteen slots, each with a keyswitch, a UACC value, two note channels and
// sixteen actions of every kind on two channels.
PluginSettings BusySlots() {
  PluginSettings s;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SlotSettings& out = s.slots[slot];
    out.keyswitch = 12 + slot;
    out.uacc = 20 + slot;
    SlotAdditions& a = out.additions;
    a.noteChannels = kPluginChannelBit | 1u << 1;
    for (int i = 0; i < kActions; ++i) {
      SlotAction& action = a.actions[i];
      action.channel = static_cast<uint8_t>(i % 2 == 0 ? 0 : 3);
      switch (i % 4) {
        case 0: action = {ActionKind::kNoteTap, action.channel, static_cast<uint8_t>(30 + i), 100}; break;
        case 1: action = {ActionKind::kControlChange, action.channel, static_cast<uint8_t>(50 + i), static_cast<uint16_t>(slot * 7)}; break;
        case 2: action = {ActionKind::kProgramChange, action.channel, static_cast<uint8_t>(slot), 0}; break;
        default: action = {ActionKind::kPitchBend, action.channel, 0, static_cast<uint16_t>(8192 + slot * 100)}; break;
      }
    }
    a.actionCount = kActions;
  }
  return s;
}

bool LoadState(const RawPlugin& plugin, const std::vector<uint8_t>& bytes) {
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return false;
  ULONG written = 0;
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  plugin.SaveOrLoadState(stream, 0);
  stream->Release();
  return true;
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
  for (long i = 0; i < self->midiPerNote; ++i) self->host->SendMidi(9, 0x90 | note << 8 | static_cast<uint32_t>(i) << 16);
  return 1;
}
void __stdcall StandInNothing(CallsStandIn*, intptr_t) {}
void* g_table[14] = {};

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Seconds per note over batches of notes, each released and killed after
// its batch (untimed), until seconds are used.
double TimePerNote(const RawPlugin& target, double seconds) {
  HostVoiceParams notes[kBatch];
  for (int i = 0; i < kBatch; ++i) notes[i].pitch = static_cast<float>((48 + i % 24 - 60) * 100);
  intptr_t handles[kBatch];
  double measured = 0;
  long count = 0;
  while (measured < seconds) {
    const double start = Now();
    for (int i = 0; i < kBatch; ++i) handles[i] = target.TriggerVoice(&notes[i], i);
    measured += Now() - start;
    count += kBatch;
    for (int i = 0; i < kBatch; ++i) {
      target.ReleaseVoice(handles[i]);
      target.KillVoice(handles[i]);
    }
  }
  return measured / static_cast<double>(count);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

bool CompareSlotOutputsWithHostCalls(const PluginLibrary& library, int rounds, double seconds) {
  CountingHost host;
  void* object = library.Create(&host, 11);
  if (!object) return false;
  const RawPlugin plugin(object);
  LoadState(plugin, EncodeState(BusySlots()));

  // How many messages one note sends, counted on a first batch.
  host.midi = 0;
  HostVoiceParams params;
  const long before = host.midi;
  const intptr_t handle = plugin.TriggerVoice(&params, 1);
  const long perNote = host.midi - before;
  plugin.ReleaseVoice(handle);
  plugin.KillVoice(handle);

  g_table[9] = reinterpret_cast<void*>(&StandInTrigger);
  g_table[10] = reinterpret_cast<void*>(&StandInNothing);
  g_table[11] = reinterpret_cast<void*>(&StandInNothing);
  CallsStandIn standIn{g_table, &host, perNote};
  const RawPlugin calls(&standIn);

  std::vector<double> plug, stand;
  for (int round = 0; round < rounds; ++round) {
    plug.push_back(TimePerNote(plugin, seconds));
    stand.push_back(TimePerNote(calls, seconds));
  }
  plugin.Destroy();
  const double ratio = Median(plug) / Median(stand);
  std::printf(
      "\nslots with %d actions and two note channels, every note another slot: %ld messages per note\n"
      "  plug-in %.1f ns per note, its host calls alone %.1f ns (medians of %d rounds): %.2fx\n"
      "slot outputs target (<= 2x the host calls): %s\n",
      kActions, perNote, Median(plug) * 1e9, Median(stand) * 1e9, rounds, ratio,
      ratio <= 2.0 ? "met" : "MISSED");
  return ratio <= 2.0;
}
