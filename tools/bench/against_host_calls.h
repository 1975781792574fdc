// What the DLL-table benchmarks that weigh a plug-in operation against the
// host calls it makes share: a state loaded through the table, the rounds, and the table read as
// "what the heavier case adds against the host calls it adds". Each case pairs a heavy and a light
// instance of the plug-in, each with a stand-in behind the same table slot that makes exactly its
// host calls and nothing else.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/bench/bench_clock.h"
#include "tools/plughost/plugin_library.h"

namespace bench {

// Loads a saved state into the instance as a host does, through a COM stream.
inline void LoadState(const RawPlugin& plugin, const std::vector<uint8_t>& bytes) {
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return;
  ULONG written = 0;
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  plugin.SaveOrLoadState(stream, 0);
  stream->Release();
}

// Seconds per operation of each round, for the plug-in and its stand-in,
// and the messages one operation sends.
struct Timings {
  std::vector<double> plug, calls;
  long messages = 0;
};

struct Labels {
  const char* title;  // the heading, before "(medians of N rounds):"
  const char* heavy;  // the rows, at most 28 characters
  const char* light;
  const char* adds;
  const char* whole;   // "a whole ... against its host calls"
  const char* target;  // "... target (what it adds <= 2x the host calls it adds)"
};

// Prints the table; true when what the heavy case adds costs at most twice
// the host calls it adds (the operation's own work is in both cases).
inline bool PrintAgainstHostCalls(const Labels& l, int rounds, const Timings& heavy,
                                  const Timings& light) {
  const double heavyOp = Median(heavy.plug), heavyCalls = Median(heavy.calls);
  const double lightOp = Median(light.plug), lightCalls = Median(light.calls);
  const double ratio = (heavyOp - lightOp) / (heavyCalls - lightCalls);
  std::printf("\n%s (medians of %d rounds):\n", l.title, rounds);
  std::printf("                               plug-in ns   its host calls ns   messages\n");
  std::printf("  %-28s %10.1f   %17.1f   %8ld\n", l.heavy, heavyOp * 1e9, heavyCalls * 1e9,
              heavy.messages);
  std::printf("  %-28s %10.1f   %17.1f   %8ld\n", l.light, lightOp * 1e9, lightCalls * 1e9,
              light.messages);
  std::printf("  %-28s %10.1f   %17.1f   %8ld   %.2fx\n", l.adds, (heavyOp - lightOp) * 1e9,
              (heavyCalls - lightCalls) * 1e9, heavy.messages - light.messages, ratio);
  std::printf("  %s against its host calls: %.2fx\n", l.whole, heavyOp / heavyCalls);
  std::printf("%s target (what it adds <= 2x the host calls it adds): %s\n", l.target,
              ratio <= 2.0 ? "met" : "MISSED");
  return ratio <= 2.0;
}

// Times a heavy and a light case of an operation, round after round, then
// prints the table (PrintAgainstHostCalls). A case opens its instance and
// stand-in (Open(library, heavy)), times one round (Round(seconds)) into
// its `timings`, and holds its instance in `object`.
template <typename Case>
bool RunAgainstHostCalls(const PluginLibrary& library, int rounds, double seconds,
                         const Labels& labels) {
  Case heavy, light;
  if (!heavy.Open(library, true) || !light.Open(library, false)) return false;
  for (int round = 0; round < rounds; ++round) {
    heavy.Round(seconds);
    light.Round(seconds);
  }
  RawPlugin(heavy.object).Destroy();
  RawPlugin(light.object).Destroy();
  return PrintAgainstHostCalls(labels, rounds, heavy.timings, light.timings);
}

}  // namespace bench
