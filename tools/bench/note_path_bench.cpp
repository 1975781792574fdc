// TriggerVoice through the DLL in a real window system, as a host drives it:
// the notes come from an "audio" thread while the thread that owns the
// editor window pumps its messages and paints. Measured with the editor
// hidden and shown inside a top-level window, at 0 and 20,000 live voices,
// beside two stand-ins without any window, in the same run, both called
// through an operation table like the plug-in's:
//
//   bare stand-in    only the host calls a note makes (QueryVoice, SendMidi;
//                    EndVoice at release) and a free list of voices;
//   engine stand-in  the plug-in's own engine, linked in, with no editor:
//                    the same host calls after the same voice bookkeeping,
//                    articulation switch and velocity curve.
//
// Each case triggers batches of 128 notes above the live voices, timed,
// then releases and kills them (timed apart), until its time is used up;
// the table gives the median over the rounds. Paints counts the WM_PAINT
// messages the editor window received during the case: a shown window must
// really be painted, or every note would find its request already there.
//
// Single triggers: with the editor shown, the first trigger after each
// paint is timed on its own (that note finds nothing recorded and, before
// requests waited for the window's timer, paid a call into the window
// system); in the windowless cases one trigger every 16 ms stands in. Per
// round the costliest counts, and of the rounds the cheapest of those, so
// a preemption does not count but a cost paid every round does.
//
// Afterwards, paints with something new to show each time, timed against
// one 240x240 copy onto the window: a slot-grid repaint after a note of
// another colour, and a whole-panel repaint after a moved controller. Last,
// slots that send sixteen actions on two note channels (slot_outputs_case.h),
// and a controller change sent to sixteen note channels
// (controller_fanout_case.h).
//
// With --loads N, a thread of its own loads maps into the DLL's instance N
// times a second (background_loads.h) through the trigger cases, so the
// figures show what loads on another thread cost the note path.
//
//   note_path_bench [--rounds N] [--seconds S] [--dll PATH] [--loads N]
#include <intrin.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <memory>

#include "engine/engine.h"
#include "tools/bench/background_loads.h"
#include "tools/bench/bench_clock.h"
#include "tools/bench/bench_host.h"
#include "tools/bench/controller_fanout_case.h"
#include "tools/bench/slot_outputs_case.h"
#include "tools/plughost/plugin_library.h"

namespace {

constexpr int kBatch = 128;
constexpr int kAliveCounts[] = {0, 20000};
constexpr int kStandInCapacity = 20480;
constexpr int32_t kShowEditor = 0;
// How often a windowless case times a single trigger.
constexpr double kSamplePeriod = 0.016;
// Paint measurement.
constexpr int kPaintRepeats = 300;
constexpr RECT kGridRect{5, 5, 233, 94};
constexpr int32_t kParamUpdateFlags = kParamUpdateValue | kParamUpdateControl;

// ---------------------------------------------------------------------------
// Timing.

// Single triggers are timed with the processor's cycle counter: the
// performance counter ticks only every 100 ns under wine, about one
// trigger. Calibrated against the performance counter over 100 ms.
double SecondsPerCycle() {
  static const double seconds = [] {
    const double start = bench::Now();
    const uint64_t first = __rdtsc();
    while (bench::Now() - start < 0.1) {
    }
    return (bench::Now() - start) / static_cast<double>(__rdtsc() - first);
  }();
  return seconds;
}

// What reading the cycle counter twice costs, the least of many tries;
// it is left in every single-trigger figure.
double CycleReadSeconds() {
  uint64_t least = ~uint64_t{0};
  for (int i = 0; i < 1000; ++i) {
    const uint64_t a = __rdtsc();
    const uint64_t b = __rdtsc();
    least = std::min(least, b - a);
  }
  return static_cast<double>(least) * SecondsPerCycle();
}

// ---------------------------------------------------------------------------
// The stand-in: an object with an operation table like the plug-in's, called
// through the same slots, that makes the same host calls per note and keeps
// its voices in a free list. No window, no articulation state.

struct StandIn {
  void** table;
  PluginHost* host;
  int32_t tag;
  uint32_t message[kStandInCapacity];
  int32_t voiceTag[kStandInCapacity];
  int32_t freeList[kStandInCapacity];
  int32_t freeCount;
};

intptr_t __stdcall StandInTrigger(StandIn* self, const void* params, int32_t voiceTag) {
  if (self->freeCount == 0) return 0;
  const int32_t index = self->freeList[--self->freeCount];
  float pitch, level;
  std::memcpy(&pitch, static_cast<const char*>(params) + 28, sizeof pitch);
  std::memcpy(&level, static_cast<const char*>(params) + 4, sizeof level);
  self->host->QueryVoice(voiceTag, 2, 0, 0);
  const uint32_t note = static_cast<uint32_t>(static_cast<int32_t>(pitch) + 6000) / 100 & 0x7F;
  const uint32_t velocity = std::clamp(static_cast<int32_t>(level * 127), 1, 127);
  self->message[index] = 0x90 | note << 8 | velocity << 16;
  self->voiceTag[index] = voiceTag;
  self->host->SendMidi(self->tag, self->message[index]);
  return index + 1;
}

void __stdcall StandInRelease(StandIn* self, intptr_t handle) {
  const int32_t index = static_cast<int32_t>(handle) - 1;
  self->message[index] = (self->message[index] & 0xFF00) | 0x80;
  self->host->SendMidi(self->tag, self->message[index]);
  self->host->EndVoice(self->voiceTag[index], 1);
}

void __stdcall StandInKill(StandIn* self, intptr_t handle) {
  self->freeList[self->freeCount++] = static_cast<int32_t>(handle) - 1;
}

void* g_standInTable[14] = {};

StandIn* CreateStandIn(PluginHost* host) {
  g_standInTable[9] = reinterpret_cast<void*>(&StandInTrigger);
  g_standInTable[10] = reinterpret_cast<void*>(&StandInRelease);
  g_standInTable[11] = reinterpret_cast<void*>(&StandInKill);
  auto* standIn = new StandIn{};
  standIn->table = g_standInTable;
  standIn->host = host;
  standIn->tag = 7;
  for (int i = 0; i < kStandInCapacity; ++i) standIn->freeList[i] = kStandInCapacity - 1 - i;
  standIn->freeCount = kStandInCapacity;
  return standIn;
}

// The engine without an editor, behind the same kind of table.
struct EngineStandIn {
  void** table;
  ArticulationEngine* engine;
};

intptr_t __stdcall EngineTrigger(EngineStandIn* self, const void* params, int32_t voiceTag) {
  return self->engine->TriggerVoice(params, voiceTag);
}
void __stdcall EngineRelease(EngineStandIn* self, intptr_t handle) {
  self->engine->ReleaseVoice(handle);
}
void __stdcall EngineKill(EngineStandIn* self, intptr_t handle) { self->engine->KillVoice(handle); }

void* g_engineTable[14] = {};

EngineStandIn* CreateEngineStandIn(PluginHost* host) {
  g_engineTable[9] = reinterpret_cast<void*>(&EngineTrigger);
  g_engineTable[10] = reinterpret_cast<void*>(&EngineRelease);
  g_engineTable[11] = reinterpret_cast<void*>(&EngineKill);
  auto* engine = new ArticulationEngine(host, 9);
  engine->InitState();
  return new EngineStandIn{g_engineTable, engine};
}

// ---------------------------------------------------------------------------
// Voice parameters of notes 0..127.

struct NoteParams {
  HostVoiceParams notes[128];
  NoteParams() {
    for (int n = 0; n < 128; ++n) notes[n].pitch = static_cast<float>((n - 60) * 100);
  }
};
const NoteParams kNotes;

// ---------------------------------------------------------------------------
// One case on the audio thread.

struct CaseRun {
  RawPlugin target{nullptr};
  int alive = 0;
  double seconds = 0;
  bool sampleAfterPaints = false;  // else one single trigger per period
  // Results.
  double triggerSeconds = 0, releaseKillSeconds = 0;
  long notes = 0;
  bool full = false;
  double worstSingle = 0;
  long singles = 0;
};

// Paints the editor window has finished, counted on the window thread.
std::atomic<long> g_paintsDone{0};

DWORD WINAPI RunCase(void* argument) {
  auto& run = *static_cast<CaseRun*>(argument);
  const RawPlugin& t = run.target;
  std::vector<intptr_t> alive(run.alive);
  for (int i = 0; i < run.alive; ++i) alive[i] = t.TriggerVoice(&kNotes.notes[i % 128], i);
  intptr_t batch[kBatch];
  double measured = 0;
  long paintsSeen = g_paintsDone.load(std::memory_order_acquire);
  double nextSample = bench::Now() + kSamplePeriod;
  while (measured < run.seconds) {
    const double start = bench::Now();
    bool sampleDue = !run.sampleAfterPaints && start >= nextSample;
    for (int i = 0; i < kBatch; ++i) {
      // Every case makes this check, so the batches stay comparable.
      const long paints = g_paintsDone.load(std::memory_order_acquire);
      if (paints != paintsSeen) {
        paintsSeen = paints;
        sampleDue = true;
      }
      if (!sampleDue) {
        batch[i] = t.TriggerVoice(&kNotes.notes[i], 100000 + i);
        continue;
      }
      sampleDue = false;
      const uint64_t before = __rdtsc();
      batch[i] = t.TriggerVoice(&kNotes.notes[i], 100000 + i);
      const double single = static_cast<double>(__rdtsc() - before) * SecondsPerCycle();
      run.worstSingle = std::max(run.worstSingle, single);
      ++run.singles;
      nextSample = bench::Now() + kSamplePeriod;
    }
    const double triggered = bench::Now();
    for (int i = 0; i < kBatch; ++i) {
      t.ReleaseVoice(batch[i]);
      t.KillVoice(batch[i]);
    }
    const double ended = bench::Now();
    for (intptr_t handle : batch) run.full = run.full || handle == 0;
    run.triggerSeconds += triggered - start;
    run.releaseKillSeconds += ended - triggered;
    run.notes += kBatch;
    measured += ended - start;
  }
  for (intptr_t handle : alive) {
    run.full = run.full || handle == 0;
    t.ReleaseVoice(handle);
    t.KillVoice(handle);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// The window thread: a top-level host window, and paint counting on the
// editor window by subclassing it, as a host could.

long g_paints = 0;
double g_paintHandlerSeconds = 0;  // time inside the latest paint handler
WNDPROC g_editorProc = nullptr;

LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return CallWindowProcA(g_editorProc, window, message, wParam, lParam);
  ++g_paints;
  const double start = bench::Now();
  const LRESULT result = CallWindowProcA(g_editorProc, window, message, wParam, lParam);
  g_paintHandlerSeconds = bench::Now() - start;
  g_paintsDone.fetch_add(1, std::memory_order_release);
  return result;
}

// Windows of the bench's own, children of a top-level window as the editor
// is, that show what any paint costs in this window system: one only
// begins and ends painting; the other also copies the invalid part from a
// prepared picture, the least a paint that shows something can do.
HDC g_picture = nullptr;

LRESULT CALLBACK EmptyPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  const double start = bench::Now();
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (g_picture && GetWindowLongPtrA(window, GWLP_USERDATA)) {
    const RECT& r = paint.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, g_picture, r.left, r.top,
           SRCCOPY);
  }
  EndPaint(window, &paint);
  g_paintHandlerSeconds = bench::Now() - start;
  return 0;
}

HWND CreateTopLevelWindow(const char* className, WNDPROC procedure, int x) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "note path bench",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, 40, 320, 320, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return window;
}

HWND CreateHostWindow() { return CreateTopLevelWindow("NotePathBenchHost", DefWindowProcA, 40); }

void PumpPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Runs the case on a second thread while this thread handles its messages
// (and so paints) until the case ends. Returns the paints seen.
long RunWhilePumping(CaseRun& run) {
  PumpPending();
  const long paintsBefore = g_paints;
  HANDLE thread = CreateThread(nullptr, 0, RunCase, &run, 0, nullptr);
  if (!thread) {
    std::fprintf(stderr, "cannot start the audio thread\n");
    std::exit(1);
  }
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    PumpPending();
  }
  CloseHandle(thread);
  PumpPending();
  return g_paints - paintsBefore;
}

// ---------------------------------------------------------------------------

enum CaseKind { kBare, kEngine, kHidden, kShown };

struct Case {
  const char* name;
  int alive;
  CaseKind kind;
  std::vector<double> trigger{}, releaseKill{}, worstSingle{};
  long paints = 0, singles = 0;
  bool full = false;
};

const Case* Find(const std::vector<Case>& cases, int alive, CaseKind kind) {
  for (const Case& c : cases) {
    if (c.alive == alive && c.kind == kind) return &c;
  }
  return nullptr;
}

// Of each round's costliest single trigger, the cheapest.
double WorstSingle(const Case& c) {
  return c.worstSingle.empty() ? 0 : *std::min_element(c.worstSingle.begin(), c.worstSingle.end());
}

void PrintTable(const std::vector<Case>& cases) {
  std::printf("\n%-16s %7s %11s %16s %17s %8s %8s\n", "case", "alive", "trigger ns",
              "release+kill ns", "worst single ns", "singles", "paints");
  for (const Case& c : cases) {
    std::printf("%-16s %7d %11.1f %16.1f %17.1f %8ld %8ld%s\n", c.name, c.alive,
                bench::Median(c.trigger) * 1e9, bench::Median(c.releaseKill) * 1e9,
                WorstSingle(c) * 1e9, c.singles, c.paints, c.full ? "  (table full: invalid)" : "");
  }
}

// Against the engine stand-in, which differs from the plug-in only by having
// no window: with the editor shown, the average trigger at most twice its
// average, and the worst single trigger after a paint at most ten times its
// average; every round must have seen paints. The bare stand-in is shown for
// information: what the host calls alone cost.
bool PrintRatios(const std::vector<Case>& cases) {
  std::printf(
      "\nagainst the engine stand-in's average trigger (targets: shown average <= 2x, shown "
      "worst single after a paint <= 10x):\n");
  bool met = true;
  for (int alive : kAliveCounts) {
    const double engine = bench::Median(Find(cases, alive, kEngine)->trigger);
    const Case& hidden = *Find(cases, alive, kHidden);
    const Case& shown = *Find(cases, alive, kShown);
    const bool painted = std::count(shown.worstSingle.begin(), shown.worstSingle.end(), 0.0) == 0;
    std::printf(
        "  alive %5d: average hidden %.2fx, shown %.2fx; worst single: engine stand-in %.2fx, "
        "hidden %.2fx, shown %.2fx%s\n",
        alive, bench::Median(hidden.trigger) / engine, bench::Median(shown.trigger) / engine,
        WorstSingle(*Find(cases, alive, kEngine)) / engine, WorstSingle(hidden) / engine,
        WorstSingle(shown) / engine, painted ? "" : " (a round without paints: not judged)");
    met = met && painted && bench::Median(shown.trigger) <= 2 * engine &&
          WorstSingle(shown) <= 10 * engine;
  }
  std::printf("engine stand-in against the bare stand-in:");
  for (int alive : kAliveCounts) {
    std::printf(" %.2fx at %d",
                bench::Median(Find(cases, alive, kEngine)->trigger) /
                    bench::Median(Find(cases, alive, kBare)->trigger),
                alive);
  }
  std::printf("\ntrigger targets: %s\n", met ? "met" : "MISSED");
  return met;
}

// ---------------------------------------------------------------------------
// Paints.

struct PaintTimes {
  std::vector<double> cycle, handler;  // per round, seconds per paint
};

// Invalidates rect (null: the whole window) and has it painted, after
// prepare() gave the panel something new to show, kPaintRepeats times.
// Records the median paint, of the whole cycle and of the handler alone:
// a paint makes round trips to the window server, and on a busy machine a
// few of them wait for a core, which an average would count.
template <class Prepare>
void TimePaints(HWND window, const RECT* rect, PaintTimes& times, Prepare prepare) {
  PumpPending();
  std::vector<double> cycle, handler;
  for (int i = 0; i < kPaintRepeats; ++i) {
    prepare(i);
    g_paintHandlerSeconds = 0;
    const double start = bench::Now();
    InvalidateRect(window, rect, FALSE);
    UpdateWindow(window);
    cycle.push_back(bench::Now() - start);
    handler.push_back(g_paintHandlerSeconds);
  }
  times.cycle.push_back(bench::Median(cycle));
  times.handler.push_back(bench::Median(handler));
}

double TimeBlits(HWND editor) {
  HDC window = GetDC(editor);
  HDC memory = CreateCompatibleDC(window);
  HBITMAP picture = CreateCompatibleBitmap(window, 240, 240);
  HGDIOBJ kept = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, 240, 240, window, 0, 0, SRCCOPY);
  std::vector<double> blits;
  for (int i = 0; i < kPaintRepeats; ++i) {
    const double start = bench::Now();
    BitBlt(window, 0, 0, 240, 240, memory, 0, 0, SRCCOPY);
    GdiFlush();
    blits.push_back(bench::Now() - start);
  }
  SelectObject(memory, kept);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(editor, window);
  PumpPending();
  return bench::Median(blits);
}

// Slot-grid and whole-panel repaints of the shown editor (on its controller
// page), each with something new to show, against one 240x240 copy onto the
// window, in alternation over the rounds. Grid paints of the bench's own
// windows (empty, and one copy) show what the window system costs before
// the panel adds anything. The targets judge the paint handler, from the
// paint message to its end; the cycle adds the invalidation and the
// message's dispatch, which the window system charges every paint alike.
bool ComparePaintsWithBlit(const RawPlugin& plugin, HWND editor, int rounds) {
  HWND top = CreateTopLevelWindow("NotePathBenchFloor", DefWindowProcA, 400);
  WNDCLASSA childClass{};
  childClass.lpfnWndProc = EmptyPaint;
  childClass.hInstance = GetModuleHandleA(nullptr);
  childClass.lpszClassName = "NotePathBenchPaint";
  RegisterClassA(&childClass);
  HWND empty = CreateWindowExA(0, childClass.lpszClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 240,
                               240, top, nullptr, childClass.hInstance, nullptr);
  HWND copying = CreateWindowExA(0, childClass.lpszClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 240,
                                 240, top, nullptr, childClass.hInstance, nullptr);
  SetWindowLongPtrA(copying, GWLP_USERDATA, 1);
  HDC screen = GetDC(editor);
  g_picture = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, 240, 240);
  HGDIOBJ keptPicture = SelectObject(g_picture, picture);
  BitBlt(g_picture, 0, 0, 240, 240, screen, 0, 0, SRCCOPY);
  ReleaseDC(editor, screen);
  PumpPending();

  PaintTimes grid, whole, floor, copy;
  std::vector<double> blits;
  const long paintsBefore = g_paints;
  for (int round = 0; round < rounds; ++round) {
    TimePaints(editor, &kGridRect, grid, [&](int i) {
      // The host's colours step by five, so each note moves the mark.
      const intptr_t voice = plugin.TriggerVoice(&kNotes.notes[60], 200000 + i);
      plugin.ReleaseVoice(voice);
      plugin.KillVoice(voice);
    });
    TimePaints(editor, nullptr, whole, [&](int i) {
      // Frames 4 and 54 of the slider: the Dynamics controller moved.
      plugin.ProcessParam(0, i % 2 ? 10 : 110, kParamUpdateFlags);
    });
    TimePaints(empty, &kGridRect, floor, [](int) {});
    TimePaints(copying, &kGridRect, copy, [](int) {});
    blits.push_back(TimeBlits(editor));
  }
  const long paints = g_paints - paintsBefore;
  DestroyWindow(top);
  SelectObject(g_picture, keptPicture);
  DeleteObject(picture);
  DeleteDC(g_picture);
  g_picture = nullptr;
  PumpPending();

  const double blit = bench::Median(blits);
  std::printf(
      "\npaints, each with something new to show (the median paint of each round of %d, the "
      "median of %d rounds):\n"
      "%-28s %10s %11s %12s %13s\n",
      kPaintRepeats, rounds, "", "cycle us", "handler us", "cycle/blit", "handler/blit");
  auto row = [&](const char* name, const PaintTimes& t) {
    std::printf("%-28s %10.1f %11.1f %11.1fx %12.1fx\n", name, bench::Median(t.cycle) * 1e6,
                bench::Median(t.handler) * 1e6, bench::Median(t.cycle) / blit,
                bench::Median(t.handler) / blit);
  };
  row("slot-grid repaint", grid);
  row("whole-panel repaint", whole);
  row("empty grid paint", floor);
  row("grid paint of one copy", copy);
  std::printf(
      "one 240x240 BitBlt onto the window (median): %.1f us; editor paints seen: %ld of %d\n",
      blit * 1e6, paints, 2 * rounds * kPaintRepeats);
  const bool met = paints == 2 * rounds * kPaintRepeats &&
                   bench::Median(grid.handler) <= 10 * blit &&
                   bench::Median(whole.handler) <= 30 * blit;
  std::printf("paint targets (handler: grid <= 10x, whole <= 30x one copy): %s\n",
              met ? "met" : "MISSED");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  double seconds = 0.3;
  std::string dll = "QuindleVelmora.dll";
  double loadsPerSecond = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--seconds") seconds = std::max(0.01, std::atof(argv[i + 1]));
    if (option == "--dll") dll = argv[i + 1];
    if (option == "--loads") loadsPerSecond = std::max(0.0, std::atof(argv[i + 1]));
  }

  PluginLibrary library(dll);
  if (!library.loaded() || !library.hasFactory()) {
    std::fprintf(stderr, "cannot load %s with its CreatePlugInstance\n", dll.c_str());
    return 3;
  }
  BenchHost host;
  void* object = library.Create(&host, 5);
  if (!object) {
    std::fprintf(stderr, "CreatePlugInstance failed\n");
    return 3;
  }
  const RawPlugin plugin(object);
  StandIn* standIn = CreateStandIn(&host);
  EngineStandIn* engineStandIn = CreateEngineStandIn(&host);
  HWND parent = CreateHostWindow();
  HWND editor = plugin.editorWindow();
  if (!editor || !parent) {
    std::fprintf(stderr, "no editor window or no host window: is there a display?\n");
    return 3;
  }
  g_editorProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountPaints)));

  std::vector<Case> cases;
  for (int alive : kAliveCounts) {
    cases.push_back({"bare stand-in", alive, kBare, {}, {}, {}});
    cases.push_back({"engine stand-in", alive, kEngine, {}, {}, {}});
    cases.push_back({"editor hidden", alive, kHidden, {}, {}, {}});
    cases.push_back({"editor shown", alive, kShown, {}, {}, {}});
  }
  std::printf("note path through %s: %d rounds of %.2f s per case\n", dll.c_str(), rounds, seconds);
  std::printf("cycle counter: %.3f GHz; reading it twice costs %.1f ns\n", 1e-9 / SecondsPerCycle(),
              CycleReadSeconds() * 1e9);
  std::unique_ptr<BackgroundLoads> loads;
  const double loadsStart = bench::Now();
  if (loadsPerSecond > 0) loads = std::make_unique<BackgroundLoads>(plugin, loadsPerSecond);
  for (int round = 0; round < rounds; ++round) {
    for (Case& c : cases) {
      plugin.Dispatch(kShowEditor, 0, c.kind == kShown ? reinterpret_cast<intptr_t>(parent) : 0);
      PumpPending();
      CaseRun run;
      void* target = object;
      if (c.kind == kBare) target = standIn;
      if (c.kind == kEngine) target = engineStandIn;
      run.target = RawPlugin(target);
      run.alive = c.alive;
      run.seconds = seconds;
      run.sampleAfterPaints = c.kind == kShown;
      c.paints += RunWhilePumping(run);
      c.full = c.full || run.full;
      c.trigger.push_back(run.triggerSeconds / static_cast<double>(run.notes));
      c.releaseKill.push_back(run.releaseKillSeconds / static_cast<double>(run.notes));
      c.worstSingle.push_back(run.worstSingle);
      c.singles += run.singles;
      std::printf("  round %d %-16s alive %5d: %9.1f ns per trigger, worst single %9.1f ns\n",
                  round + 1, c.name, c.alive, c.trigger.back() * 1e9, run.worstSingle * 1e9);
      std::fflush(stdout);
    }
  }
  if (loads) {
    const long made = loads->Stop();
    std::printf(
        "map loads into the DLL's instance on another thread meanwhile: %ld (%.1f per second)\n",
        made, static_cast<double>(made) / (bench::Now() - loadsStart));
    loads.reset();
  }
  PrintTable(cases);
  bool met = PrintRatios(cases);

  plugin.Dispatch(kShowEditor, 0, reinterpret_cast<intptr_t>(parent));
  PumpPending();
  met = ComparePaintsWithBlit(plugin, editor, rounds) && met;

  plugin.Dispatch(kShowEditor, 0, 0);
  met = CompareSlotOutputsWithHostCalls(library, rounds, seconds) && met;
  met = CompareControllerFanoutWithHostCalls(library, rounds, seconds) && met;
  SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_editorProc));
  plugin.Destroy();
  DestroyWindow(parent);
  delete standIn;
  delete engineStandIn->engine;
  delete engineStandIn;
  return met ? 0 : 1;
}
