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
// really be painted, or every request after the first would cost nothing.
// Afterwards a whole-panel paint is timed against one 240x240 copy onto
// the window, for information.
//
//   note_path_bench [--rounds N] [--seconds S] [--dll PATH]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tools/plughost/plugin_library.h"

namespace {

constexpr int kBatch = 128;
constexpr int kAliveCounts[] = {0, 20000};
constexpr int kStandInCapacity = 20480;
constexpr int32_t kShowEditor = 0;

// ---------------------------------------------------------------------------
// Timing.

double Now() {
  static const double ticksPerSecond = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticksPerSecond;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// ---------------------------------------------------------------------------
// The host: cycles the note colour through all sixteen slots, so every note
// moves the current-slot mark, and only counts what it is sent.

class BenchHost final : public PluginHost {
 public:
  uint32_t midiSum = 0;
  int32_t colour = 0;
  intptr_t PLUG_CALL HostDispatch(int32_t, int32_t, int32_t, intptr_t) override { return 0; }
  void PLUG_CALL NotifyParamChanged(int32_t, int32_t, int32_t) override {}
  void PLUG_CALL ShowHint(int32_t, const char*) override {}
  void PLUG_CALL EndVoice(int32_t, int32_t) override {}
  int32_t PLUG_CALL QueryVoice(int32_t, int32_t, int32_t, int32_t) override {
    colour = (colour + 5) & 15;
    return colour;
  }
  void PLUG_CALL SendMidi(int32_t, uint32_t message) override { midiSum += message; }
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char*, char*, int32_t*) override {
    return 0;
  }
};

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
  // Results.
  double triggerSeconds = 0, releaseKillSeconds = 0;
  long notes = 0;
  bool full = false;
};

DWORD WINAPI RunCase(void* argument) {
  auto& run = *static_cast<CaseRun*>(argument);
  const RawPlugin& t = run.target;
  std::vector<intptr_t> alive(run.alive);
  for (int i = 0; i < run.alive; ++i) alive[i] = t.TriggerVoice(&kNotes.notes[i % 128], i);
  intptr_t batch[kBatch];
  double measured = 0;
  while (measured < run.seconds) {
    const double start = Now();
    for (int i = 0; i < kBatch; ++i) batch[i] = t.TriggerVoice(&kNotes.notes[i], 100000 + i);
    const double triggered = Now();
    for (int i = 0; i < kBatch; ++i) {
      t.ReleaseVoice(batch[i]);
      t.KillVoice(batch[i]);
    }
    const double ended = Now();
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
WNDPROC g_editorProc = nullptr;

LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++g_paints;
  return CallWindowProcA(g_editorProc, window, message, wParam, lParam);
}

HWND CreateHostWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "NotePathBenchHost";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "note path bench",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 320, 320, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return window;
}

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
  std::vector<double> trigger, releaseKill;
  long paints = 0;
  bool full = false;
};

void PrintTable(const std::vector<Case>& cases) {
  std::printf("\n%-16s %7s %14s %18s %8s\n", "case", "alive", "trigger ns", "release+kill ns",
              "paints");
  for (const Case& c : cases) {
    std::printf("%-16s %7d %14.1f %18.1f %8ld%s\n", c.name, c.alive, Median(c.trigger) * 1e9,
                Median(c.releaseKill) * 1e9, c.paints, c.full ? "  (table full: invalid)" : "");
  }
}

double MedianTrigger(const std::vector<Case>& cases, int alive, CaseKind kind) {
  for (const Case& c : cases) {
    if (c.alive == alive && c.kind == kind) return Median(c.trigger);
  }
  return 0;
}

long Paints(const std::vector<Case>& cases, int alive, CaseKind kind) {
  for (const Case& c : cases) {
    if (c.alive == alive && c.kind == kind) return c.paints;
  }
  return 0;
}

// Trigger with the editor hidden and shown against the engine stand-in,
// which differs from the plug-in only by having no window: the target is the
// shown editor at most twice that, with paints seen. The bare stand-in is
// shown for information: what the host calls alone cost.
bool PrintRatios(const std::vector<Case>& cases) {
  std::printf("\ntrigger against the engine stand-in (medians; target: shown <= 2x):\n");
  bool met = true;
  for (int alive : kAliveCounts) {
    const double engine = MedianTrigger(cases, alive, kEngine);
    const double hidden = MedianTrigger(cases, alive, kHidden);
    const double shown = MedianTrigger(cases, alive, kShown);
    const bool painted = Paints(cases, alive, kShown) > 0;
    std::printf("  alive %5d: hidden %.2fx, shown %.2fx%s\n", alive, hidden / engine,
                shown / engine, painted ? "" : " (shown editor never painted: not judged)");
    met = met && painted && shown <= 2 * engine;
  }
  std::printf("engine stand-in against the bare stand-in:");
  for (int alive : kAliveCounts) {
    std::printf(" %.2fx at %d",
                MedianTrigger(cases, alive, kEngine) / MedianTrigger(cases, alive, kBare), alive);
  }
  std::printf("\ntarget: %s\n", met ? "met" : "MISSED");
  return met;
}

// A whole-panel paint through the window's own message, against copying a
// prepared 240x240 picture onto the window once.
void ComparePaintWithBlit(HWND editor) {
  constexpr int kRepeats = 300;
  PumpPending();
  const long paintsBefore = g_paints;
  double start = Now();
  for (int i = 0; i < kRepeats; ++i) {
    InvalidateRect(editor, nullptr, FALSE);
    UpdateWindow(editor);
  }
  const double paint = (Now() - start) / kRepeats;
  const long paints = g_paints - paintsBefore;

  HDC window = GetDC(editor);
  HDC memory = CreateCompatibleDC(window);
  HBITMAP picture = CreateCompatibleBitmap(window, 240, 240);
  HGDIOBJ kept = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, 240, 240, window, 0, 0, SRCCOPY);
  start = Now();
  for (int i = 0; i < kRepeats; ++i) BitBlt(window, 0, 0, 240, 240, memory, 0, 0, SRCCOPY);
  GdiFlush();
  const double blit = (Now() - start) / kRepeats;
  SelectObject(memory, kept);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(editor, window);
  PumpPending();

  std::printf(
      "\nwhole-panel paint (invalidate + paint message): %.1f us  (%ld paints for %d)\n"
      "one 240x240 BitBlt onto the window:            %.1f us\n"
      "paint / blit: %.1fx\n",
      paint * 1e6, paints, kRepeats, blit * 1e6, paint / blit);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 3;
  double seconds = 0.3;
  std::string dll = "QuindleVelmora.dll";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--seconds") seconds = std::max(0.01, std::atof(argv[i + 1]));
    if (option == "--dll") dll = argv[i + 1];
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
    cases.push_back({"bare stand-in", alive, kBare, {}, {}});
    cases.push_back({"engine stand-in", alive, kEngine, {}, {}});
    cases.push_back({"editor hidden", alive, kHidden, {}, {}});
    cases.push_back({"editor shown", alive, kShown, {}, {}});
  }
  std::printf("note path through %s: %d rounds of %.2f s per case\n", dll.c_str(), rounds, seconds);
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
      c.paints += RunWhilePumping(run);
      c.full = c.full || run.full;
      c.trigger.push_back(run.triggerSeconds / static_cast<double>(run.notes));
      c.releaseKill.push_back(run.releaseKillSeconds / static_cast<double>(run.notes));
      std::printf("  round %d %-16s alive %5d: %9.1f ns per trigger\n", round + 1, c.name, c.alive,
                  c.trigger.back() * 1e9);
      std::fflush(stdout);
    }
  }
  PrintTable(cases);
  const bool met = PrintRatios(cases);

  plugin.Dispatch(kShowEditor, 0, reinterpret_cast<intptr_t>(parent));
  ComparePaintWithBlit(editor);

  plugin.Dispatch(kShowEditor, 0, 0);
  SetWindowLongPtrA(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_editorProc));
  plugin.Destroy();
  DestroyWindow(parent);
  delete standIn;
  delete engineStandIn->engine;
  delete engineStandIn;
  return met ? 0 : 1;
}
