#include "tools/bench/slot_outputs_case.h"

#include <objidl.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tools/bench/bench_host.h"
#include "tools/maps/state_bytes.h"

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
  for (long i = 0; i < self->midiPerNote; ++i)
    self->host->SendMidi(9, 0x90 | note << 8 | static_cast<uint32_t>(i) << 16);
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

// One instance of the DLL with its slots, and a stand-in that makes the
// host calls its notes make.
struct Case {
  BenchHost host;
  void* object = nullptr;
  long perNote = 0;
  CallsStandIn standIn{g_table, &host, 0};
  std::vector<double> plug, calls;

  bool Open(const PluginLibrary& library, bool withAdditions) {
    object = library.Create(&host, 11);
    if (!object) return false;
    const RawPlugin plugin(object);
    LoadState(plugin, EncodeState(Slots(withAdditions)));
    // How many messages one note sends, counted on a second note: the
    // first after a load also brings every note channel's controllers up
    // to date.
    HostVoiceParams params;
    for (int note = 0; note < 2; ++note) {
      const long before = host.midi;
      const intptr_t handle = plugin.TriggerVoice(&params, 1);
      perNote = host.midi - before;
      plugin.ReleaseVoice(handle);
      plugin.KillVoice(handle);
    }
    standIn.midiPerNote = perNote;
    return true;
  }
  void Round(double seconds) {
    plug.push_back(TimePerNote(RawPlugin(object), seconds));
    calls.push_back(TimePerNote(RawPlugin(&standIn), seconds));
  }
};

}  // namespace

bool CompareSlotOutputsWithHostCalls(const PluginLibrary& library, int rounds, double seconds) {
  g_table[9] = reinterpret_cast<void*>(&StandInTrigger);
  g_table[10] = reinterpret_cast<void*>(&StandInNothing);
  g_table[11] = reinterpret_cast<void*>(&StandInNothing);
  Case busy, plain;
  if (!busy.Open(library, true) || !plain.Open(library, false)) return false;
  for (int round = 0; round < rounds; ++round) {
    busy.Round(seconds);
    plain.Round(seconds);
  }
  RawPlugin(busy.object).Destroy();
  RawPlugin(plain.object).Destroy();

  const double busyNote = Median(busy.plug), busyCalls = Median(busy.calls);
  const double plainNote = Median(plain.plug), plainCalls = Median(plain.calls);
  // What the additions add to a note against the host calls they add: the
  // note's own bookkeeping is the same with and without them.
  const double ratio = (busyNote - plainNote) / (busyCalls - plainCalls);
  std::printf(
      "\nslots with %d actions and two note channels, every note another slot (medians of %d "
      "rounds):\n"
      "                               plug-in ns   its host calls ns   messages\n"
      "  with the additions           %10.1f   %17.1f   %8ld\n"
      "  keyswitch and UACC only      %10.1f   %17.1f   %8ld\n"
      "  what the additions add       %10.1f   %17.1f   %8ld   %.2fx\n"
      "  a whole note with the additions against its host calls: %.2fx\n"
      "slot outputs target (what the additions add <= 2x the host calls they add): %s\n",
      kActions, rounds, busyNote * 1e9, busyCalls * 1e9, busy.perNote, plainNote * 1e9,
      plainCalls * 1e9, plain.perNote, (busyNote - plainNote) * 1e9, (busyCalls - plainCalls) * 1e9,
      busy.perNote - plain.perNote, ratio, busyNote / busyCalls, ratio <= 2.0 ? "met" : "MISSED");
  return ratio <= 2.0;
}
