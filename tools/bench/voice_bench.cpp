// Voice operations of the plug-in's voice table against the linear table,
// with 0, 1,000 and 20,000 other voices alive.
//
//   Trigger      one TriggerVoice (per item)
//   ReleaseKill  one ReleaseVoice followed by one KillVoice (per item)
//   Chord        128 notes triggered, then released, then killed (per chord)
//
// The other voices occupy the lowest entries and cycle through all 128 notes;
// the measured voices are triggered in batches of 128 above them. Setup and
// cleanup of each batch run with the timer paused. Times are CPU time per
// operation (counter "op"); after the table, the program prints the ratios
// it is judged by: release+kill at 20,000 voices against the linear table
// (goal: at least 50 times faster), and each operation of the voice table at
// 20,000 voices against its cost at 0 (goal: at most 1.5 times). Pass
// --benchmark_repetitions=N to judge by medians.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "engine/engine.h"
#include "engine/voice_params.h"
#include "tools/bench/literal_voice_table.h"

namespace {

constexpr int kBatch = 128;

// Answers colour 0 and counts what it receives; costs next to nothing.
class QuietHost : public PluginHost {
 public:
  uint64_t midi = 0, ended = 0;
  intptr_t PLUG_CALL HostDispatch(int32_t, int32_t, int32_t, intptr_t) override { return 0; }
  void PLUG_CALL NotifyParamChanged(int32_t, int32_t, int32_t) override {}
  void PLUG_CALL ShowHint(int32_t, const char*) override {}
  void PLUG_CALL EndVoice(int32_t, int32_t) override { ++ended; }
  int32_t PLUG_CALL QueryVoice(int32_t, int32_t, int32_t, int32_t) override { return 0; }
  void PLUG_CALL SendMidi(int32_t, uint32_t message) override { midi += message; }
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char*, char*, int32_t*) override {
    return 0;
  }
};

// Voice parameters of notes 0..127 at level 0.8.
struct NoteParams {
  unsigned char bytes[128][32] = {};
  NoteParams() {
    const float level = 0.8f;
    for (int note = 0; note < 128; ++note) {
      const float pitch = static_cast<float>((note - 60) * 100);
      std::memcpy(bytes[note] + kVoiceParamsPitchOffset, &pitch, sizeof pitch);
      std::memcpy(bytes[note] + kVoiceParamsLevelOffset, &level, sizeof level);
    }
  }
};
const NoteParams kNotes;

template <typename Engine>
struct Rig {
  QuietHost host;
  std::unique_ptr<Engine> engine;
  intptr_t batch[kBatch] = {};

  explicit Rig(int alive) : engine(new Engine(&host, 1)) {
    for (int i = 0; i < alive; ++i) engine->TriggerVoice(kNotes.bytes[i % 128], i);
  }
  void TriggerBatch() {
    for (int i = 0; i < kBatch; ++i) batch[i] = engine->TriggerVoice(kNotes.bytes[i], -i);
  }
  void KillBatch() {
    for (int i = 0; i < kBatch; ++i) engine->KillVoice(batch[i]);
  }
  void ReleaseKillBatch() {
    for (int i = 0; i < kBatch; ++i) {
      engine->ReleaseVoice(batch[i]);
      engine->KillVoice(batch[i]);
    }
  }
};

void PerOperation(benchmark::State& state, int operationsPerIteration) {
  state.counters["op"] =
      benchmark::Counter(operationsPerIteration, benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

template <typename Engine>
void Trigger(benchmark::State& state) {
  Rig<Engine> rig(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    rig.TriggerBatch();
    state.PauseTiming();
    rig.KillBatch();
    state.ResumeTiming();
  }
  benchmark::DoNotOptimize(rig.host.midi);
  PerOperation(state, kBatch);
}

template <typename Engine>
void ReleaseKill(benchmark::State& state) {
  Rig<Engine> rig(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    rig.TriggerBatch();
    state.ResumeTiming();
    rig.ReleaseKillBatch();
  }
  benchmark::DoNotOptimize(rig.host.midi);
  PerOperation(state, kBatch);
}

template <typename Engine>
void Chord(benchmark::State& state) {
  Rig<Engine> rig(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    rig.TriggerBatch();
    for (int i = 0; i < kBatch; ++i) rig.engine->ReleaseVoice(rig.batch[i]);
    rig.KillBatch();
  }
  benchmark::DoNotOptimize(rig.host.midi);
  PerOperation(state, 1);
}

void Alive(benchmark::internal::Benchmark* b) {
  b->ArgName("alive")->Arg(0)->Arg(1000)->Arg(20000)->Unit(benchmark::kNanosecond);
}

BENCHMARK(Trigger<ArticulationEngine>)->Name("Trigger/table")->Apply(Alive);
BENCHMARK(Trigger<LiteralVoiceEngine>)->Name("Trigger/literal")->Apply(Alive);
BENCHMARK(ReleaseKill<ArticulationEngine>)->Name("ReleaseKill/table")->Apply(Alive);
BENCHMARK(ReleaseKill<LiteralVoiceEngine>)->Name("ReleaseKill/literal")->Apply(Alive);
BENCHMARK(Chord<ArticulationEngine>)->Name("Chord/table")->Apply(Alive);
BENCHMARK(Chord<LiteralVoiceEngine>)->Name("Chord/literal")->Apply(Alive);

// The console table as usual, and the seconds per operation of each run
// (the median when repeated) kept for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> perOperation;

  // Colour only on a terminal, so captured output stays plain text.
  RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      const auto op = run.counters.find("op");
      if (op != run.counters.end()) perOperation[run.run_name.str()] = op->second.value;
    }
  }
};

double Seconds(const RatioReporter& r, const std::string& name) {
  const auto it = r.perOperation.find(name);
  return it == r.perOperation.end() ? 0.0 : it->second;
}

void PrintRatios(const RatioReporter& r) {
  std::printf("\n%-12s %14s %14s %14s %14s %16s\n", "operation", "table @0", "table @20000",
              "literal @20000", "literal/table", "table 20000/0");
  bool allMet = true;
  int judged = 0;
  for (const char* op : {"Trigger", "ReleaseKill", "Chord"}) {
    const std::string base(op);
    const double t0 = Seconds(r, base + "/table/alive:0");
    const double t20k = Seconds(r, base + "/table/alive:20000");
    const double l20k = Seconds(r, base + "/literal/alive:20000");
    if (t0 <= 0 || t20k <= 0 || l20k <= 0) continue;  // filtered out
    ++judged;
    const double speedup = l20k / t20k;
    const double growth = t20k / t0;
    std::printf("%-12s %12.1f ns %12.1f ns %12.1f ns %13.0fx %15.2fx\n", op, t0 * 1e9, t20k * 1e9,
                l20k * 1e9, speedup, growth);
    allMet = allMet && growth <= 1.5 && (base != "ReleaseKill" || speedup >= 50.0);
  }
  std::printf(
      "goals (release+kill >= 50x the literal table at 20000; each op at 20000 <= 1.5x at 0): %s\n",
      judged == 0 ? "not judged (runs filtered out)"
      : allMet    ? "met"
                  : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}
