// The hostile host's allocation-failure mode: the test build of the DLL
// (QuindleVelmoraAllocationFailures.dll, the product's code with an
// operator new that can be told to fail) driven at each entry point the
// host or the system calls, with its allocations refused from the N-th on,
// for N = 0, 1, 2, ... until the operation completes without a refusal.
// Each N runs on an instance of its own; a refusal is made once (the next
// allocation succeeds again) or from then on (every later one fails too).
//
// Checked for every N: nothing crashes (an exception that reached the host
// would end this process); the instance's state afterwards, as the host
// saves it (with what the host's stream got from a save, and the clipboard's
// text after a copy), is either the one before the
// operation, byte for byte, or the one the operation gives when nothing is
// refused; a refused operation that changed nothing told the composer so,
// through the host's message; a refused construction left no window behind.
#include <windows.h>

#include <objidl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "maps/map_loading.h"
#include "tests/hostile/dll_cases.h"
#include "tests/hostile/panel_driving.h"
#include "tests/support/com_streams.h"

namespace hostile {
namespace {

constexpr int32_t kTag = 0x5EED;
constexpr long kGiveUpAt = 20000;  // no operation here comes near this many allocations

// A state as a map load builds it on a new instance's: long names and slot
// additions, so that loading and saving it allocate.
constexpr char kStateMapA[] = R"({"slots": [
  {"slot": 1, "name": "Sustained with a name past the inline size", "keyswitch": "C0", "keyswitchVelocity": 90},
  {"slot": 2, "name": "Staccatissimo, short and light", "noteChannels": [3], "latency": 40},
  {"slot": 3, "name": "Tremolo measured in sixteenths", "keyswitch": "D0"}
]})";
constexpr char kStateMapB[] = R"({"slots": [
  {"slot": 1, "name": "Pizzicato with the bow held", "keyswitch": "E0"},
  {"slot": 4, "name": "Col legno battuto, strings only", "transpose": 12}
]})";
// The file the drops, WM_DROPFILES and the undo's first load bring.
constexpr char kFileMap[] = R"({"slots": [
  {"slot": 1, "name": "Long legato with a name beyond the inline size", "keyswitch": "C1", "keyswitchVelocity": 100},
  {"slot": 2, "name": "Spiccato played close to the bridge", "noteChannels": [5]}
]})";
// The clipboard's text for a paste: another program's format, one bank.
constexpr char kPasteText[] =
    "//! g=\"Tests\" n=\"Guard\"\n"
    "Bank * * Guarded strings\n"
    "//! o=note:24\n1 Sustain with a long articulation name\n"
    "//! o=note:25/cc:32,40\n2 Staccato with a long articulation name\n";
constexpr char kClipboardBefore[] = "the clipboard's text before the copy";

std::vector<uint8_t> StateOfMap(const std::vector<uint8_t>& fresh, const char* name,
                                const char* text) {
  MapOffer offer;
  MapLoadReport report;
  std::vector<uint8_t> loaded;
  const std::string bytes = text;
  if (!InspectMapFile(name, {bytes.begin(), bytes.end()}, offer, report) ||
      !BuildLoadedState(offer, {}, fresh, loaded, report)) {
    std::printf("allocation failures: %s does not load: %s\n", name, report.Message().c_str());
    return {};
  }
  return loaded;
}

// A file of this run's own in the temporary folder, removed at the end.
class TemporaryFile {
 public:
  TemporaryFile(const wchar_t* name, const std::string& bytes) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    path = std::wstring(folder) + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  ~TemporaryFile() { DeleteFileW(path.c_str()); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  std::wstring path;
};

void SetClipboard(HWND owner, const std::string& utf8) {
  const std::wstring text = panel_test::WideOf(utf8);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

std::string ClipboardText(HWND owner) {
  std::string text;
  if (!OpenClipboard(owner)) return "(the clipboard cannot be opened)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = panel_test::Utf8Of(chars);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The test build's switch.
class Hook {
 public:
  explicit Hook(HMODULE module) {
    fail_ = reinterpret_cast<Fail>(
        reinterpret_cast<void*>(GetProcAddress(module, "FailAllocationsAfter")));
    refused_ = reinterpret_cast<Refused>(
        reinterpret_cast<void*>(GetProcAddress(module, "RefusedAllocations")));
    count_ =
        reinterpret_cast<Count>(reinterpret_cast<void*>(GetProcAddress(module, "AllocationCount")));
  }
  bool present() const { return fail_ && refused_ && count_; }

  void Arm(long allowed, bool persistent) {
    start_ = count_();
    fail_(static_cast<int32_t>(allowed), persistent ? 1 : 0);
    armed_ = true;
  }
  // Ends the refusals; keeps what they were.
  void Disarm() {
    if (!armed_) return;
    refused = refused_();
    made = count_() - start_;
    fail_(-1, 0);
    armed_ = false;
  }
  long RefusedNow() const { return refused_(); }

  long refused = 0, made = 0;

 private:
  using Fail = void(__stdcall*)(int32_t, int32_t);
  using Refused = int32_t(__stdcall*)();
  using Count = int32_t(__stdcall*)();
  Fail fail_ = nullptr;
  Refused refused_ = nullptr;
  Count count_ = nullptr;
  long start_ = 0;
  bool armed_ = false;
};

// One instance of the test build, shown in the host's window.
class Instance {
 public:
  Instance(const PluginLibrary& library, HWND parent) : host(kTag) {
    plugin = RawPlugin(library.Create(&host, kTag));
    if (!plugin.object()) return;
    plugin.Dispatch(0, 0, reinterpret_cast<intptr_t>(parent));
    panel_test::PumpMessages();
  }
  ~Instance() {
    if (plugin.object()) plugin.Destroy();
    panel_test::PumpMessages();
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  HWND panel() const { return plugin.editorWindow(); }

  TellingHost host;
  RawPlugin plugin{nullptr};
};

struct Context {
  const PluginLibrary& library;
  Hook& hook;
  HWND parent;
  POINT menuPlace;
  std::wstring file;  // kFileMap, written out
  std::vector<uint8_t> stateA, stateB;
  std::vector<uint8_t> savedStream;  // what the host's stream got from a save
  bool trace = false;                // each N printed before it runs: a crash names its N
};

// An entry point: how its instance is set up (nothing refused), and the
// operation, which arms the hook where its refusals are to begin and
// answers a fault it saw itself, or nothing.
struct Entry {
  const char* name;
  std::function<void(Context&, Instance&)> prepare;
  std::function<std::string(Context&, Instance&, long allowed, bool persistent)> operate;
  // What the operation gives beside the instance's state (the host's
  // stream, the clipboard), as it stands before and after it.
  std::function<std::string(Context&, Instance&)> produced;
};

std::string DropFileByMessage(Instance& instance, const std::wstring& file) {
  HGLOBAL files = panel_test::BuildFileList({file}, {10, 10});
  SendMessageW(instance.panel(), WM_DROPFILES, reinterpret_cast<WPARAM>(files), 0);
  panel_test::PumpMessages();
  return {};
}

std::string ChooseCommand(Context& context, Instance& instance, UINT command, long allowed,
                          bool persistent) {
  const MenuChoice choice = ChooseFromMapMenu(instance.panel(), context.menuPlace, command,
                                              [&] { context.hook.Arm(allowed, persistent); });
  panel_test::PumpMessages();
  if (!choice.opened) return "the map menu did not open";
  if (!choice.found) return "the map menu has no line for command " + std::to_string(command);
  return {};
}

// Load map...: the dialog thread's whole run. Its dialog, when it comes, is
// cancelled; a refusal before it means none comes.
std::string DialogRun(Context& context, Instance& instance, long allowed, bool persistent) {
  std::string fault = ChooseCommand(context, instance, map_menu::kLoad, allowed, persistent);
  if (!fault.empty()) return fault;
  bool seen = false;
  const DWORD start = GetTickCount();
  for (;;) {
    HWND dialog = OtherThreadsWindow();
    if (dialog) {
      seen = true;
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else if (seen || context.hook.RefusedNow() > 0) {
      break;
    }
    if (GetTickCount() - start > 20000) return "the file dialog neither came nor failed";
    panel_test::PumpMessages(20);
  }
  panel_test::PumpMessages(100);
  return {};
}

std::vector<Entry> Entries() {
  return {
      {"SaveOrLoadState save", [](Context& c, Instance& i) { LoadThrough(i.plugin, c.stateA); },
       [](Context& c, Instance& i, long allowed, bool persistent) -> std::string {
         IStream* stream = nullptr;
         CreateStreamOnHGlobal(nullptr, TRUE, &stream);
         c.hook.Arm(allowed, persistent);
         i.plugin.SaveOrLoadState(stream, 1);
         c.hook.Disarm();
         c.savedStream = StreamBytes(stream);
         stream->Release();
         return {};
       },
       [](Context& c, Instance&) {
         return std::string(c.savedStream.begin(), c.savedStream.end());
       }},
      {"SaveOrLoadState load", [](Context& c, Instance& i) { LoadThrough(i.plugin, c.stateA); },
       [](Context& c, Instance& i, long allowed, bool persistent) -> std::string {
         IStream* stream = StreamOver(c.stateB);
         c.hook.Arm(allowed, persistent);
         i.plugin.SaveOrLoadState(stream, 0);
         c.hook.Disarm();
         stream->Release();
         return {};
       }},
      {"panel: map file dropped (WM_DROPFILES)",
       [](Context& c, Instance& i) { LoadThrough(i.plugin, c.stateA); },
       [](Context& c, Instance& i, long allowed, bool persistent) {
         c.hook.Arm(allowed, persistent);
         return DropFileByMessage(i, c.file);
       }},
      {"panel: map menu, Paste map",
       [](Context& c, Instance& i) {
         LoadThrough(i.plugin, c.stateA);
         SetClipboard(i.panel(), kPasteText);
       },
       [](Context& c, Instance& i, long allowed, bool persistent) {
         return ChooseCommand(c, i, map_menu::kPaste, allowed, persistent);
       }},
      {"panel: map menu, Copy map",
       [](Context& c, Instance& i) {
         LoadThrough(i.plugin, c.stateA);
         SetClipboard(i.panel(), kClipboardBefore);
       },
       [](Context& c, Instance& i, long allowed, bool persistent) {
         return ChooseCommand(c, i, map_menu::kCopy, allowed, persistent);
       },
       [](Context&, Instance& i) { return ClipboardText(i.panel()); }},
      {"panel: map menu, Undo load",
       [](Context& c, Instance& i) {
         LoadThrough(i.plugin, c.stateA);
         DropFileByMessage(i, c.file);
       },
       [](Context& c, Instance& i, long allowed, bool persistent) {
         return ChooseCommand(c, i, map_menu::kUndoLoad, allowed, persistent);
       }},
      {"OLE drop target: Drop", [](Context& c, Instance& i) { LoadThrough(i.plugin, c.stateA); },
       [](Context& c, Instance& i, long allowed, bool persistent) -> std::string {
         auto* target = static_cast<IDropTarget*>(GetPropW(i.panel(), L"OleDropTargetInterface"));
         if (!target) return "the panel has no OLE drop target registered";
         panel_test::FileListObject data({c.file});
         RECT panel{};
         GetWindowRect(i.panel(), &panel);
         const POINTL at{panel.left + 10, panel.top + 10};
         DWORD effect = DROPEFFECT_COPY;
         target->DragEnter(&data, MK_LBUTTON, at, &effect);
         effect = DROPEFFECT_COPY;
         c.hook.Arm(allowed, persistent);
         const HRESULT result = target->Drop(&data, 0, at, &effect);
         c.hook.Disarm();
         panel_test::PumpMessages();
         if (result == E_OUTOFMEMORY && effect != DROPEFFECT_NONE)
           return "a Drop refused for lack of memory still answered an effect";
         if (result != S_OK && result != E_OUTOFMEMORY)
           return "Drop answered " + std::to_string(static_cast<long>(result));
         return {};
       }},
      {"panel: map menu, Load map... (the dialog thread)",
       [](Context& c, Instance& i) { LoadThrough(i.plugin, c.stateA); }, DialogRun},
  };
}

struct Tally {
  long runs = 0, refusedRuns = 0, unchanged = 0, complete = 0, told = 0, lastN = -1, made = 0;
};

void PrintRow(const char* name, const char* mode, const Tally& t) {
  std::printf("| %-48s | %-10s | 0..%-5ld | %5ld | %5ld | %9ld | %8ld | %5ld | %s\n", name, mode,
              t.lastN, t.made, t.refusedRuns, t.unchanged, t.complete, t.told, "no crash");
  std::fflush(stdout);
}

// One entry point in one mode; a fault ends it with the N that showed it.
std::string Sweep(Context& context, const Entry& entry, bool persistent, Tally& tally) {
  const auto produced = [&](Instance& instance) {
    return entry.produced ? entry.produced(context, instance) : std::string();
  };
  // The outcome with nothing refused.
  std::vector<uint8_t> before, complete;
  std::string producedBefore, producedComplete;
  {
    Instance instance(context.library, context.parent);
    if (!instance.plugin.object()) return "no instance";
    entry.prepare(context, instance);
    context.savedStream.clear();
    before = SaveThrough(instance.plugin);
    producedBefore = produced(instance);
    const std::string fault = entry.operate(context, instance, -1, false);
    context.hook.Disarm();
    if (!fault.empty()) return "with nothing refused: " + fault;
    complete = SaveThrough(instance.plugin);
    producedComplete = produced(instance);
  }
  if (before == complete && producedBefore == producedComplete && entry.produced)
    return "the operation changes nothing: the sweep could not tell a refusal";
  for (long allowed = 0; allowed < kGiveUpAt; ++allowed) {
    if (context.trace) {
      std::printf("  %s: N = %ld\n", entry.name, allowed);
      std::fflush(stdout);
    }
    Instance instance(context.library, context.parent);
    if (!instance.plugin.object()) return "no instance";
    entry.prepare(context, instance);
    if (SaveThrough(instance.plugin) != before) return "the set-up is not repeatable";
    instance.host.told.clear();
    context.savedStream.clear();
    std::string fault = entry.operate(context, instance, allowed, persistent);
    context.hook.Disarm();
    panel_test::PumpMessages();
    const std::string where = " (N = " + std::to_string(allowed) + ")";
    if (!fault.empty()) return fault + where;
    if (!instance.host.Fault().empty()) return instance.host.Fault() + where;
    const std::vector<uint8_t> after = SaveThrough(instance.plugin);
    const std::string made = produced(instance);
    const bool asBefore = after == before && made == producedBefore;
    const bool asComplete = after == complete && made == producedComplete;
    ++tally.runs;
    tally.lastN = allowed;
    if (!asBefore && !asComplete)
      return "the state is neither the one before nor the complete one" + where;
    if (context.hook.refused == 0) {
      tally.made = context.hook.made;
      if (!asComplete) return "nothing was refused, yet the operation did not complete" + where;
      return {};
    }
    ++tally.refusedRuns;
    if (context.trace) {
      std::printf("    %s; told:", asBefore ? "as before" : "complete");
      for (const std::string& text : instance.host.told) std::printf(" \"%s\"", text.c_str());
      std::printf("\n");
    }
    tally.unchanged += asBefore;
    tally.complete += asComplete && !asBefore;
    if (!instance.host.told.empty()) ++tally.told;
    if (asBefore && !asComplete && instance.host.told.empty())
      return "a refused operation changed nothing and told nobody" + where;
  }
  return "no run completed below N = " + std::to_string(kGiveUpAt);
}

// The factory: a refused construction answers null and leaves no window;
// one that completes is a whole new instance.
std::string SweepFactory(Context& context, bool persistent, Tally& tally) {
  std::vector<uint8_t> fresh;
  {
    Instance instance(context.library, context.parent);
    fresh = SaveThrough(instance.plugin);
  }
  for (long allowed = 0; allowed < kGiveUpAt; ++allowed) {
    const std::string where = " (N = " + std::to_string(allowed) + ")";
    TellingHost host(kTag);
    const int windows = panel_test::ProcessWindowCount();
    context.hook.Arm(allowed, persistent);
    void* object = context.library.Create(&host, kTag);
    context.hook.Disarm();
    ++tally.runs;
    tally.lastN = allowed;
    if (object) {
      const RawPlugin plugin(object);
      const bool whole = plugin.editorWindow() && SaveThrough(plugin) == fresh;
      plugin.Destroy();
      panel_test::PumpMessages();
      if (!whole) return "a constructed instance is not a whole new one" + where;
      if (context.hook.refused > 0) ++tally.complete;
    } else {
      if (context.hook.refused == 0) return "null from the factory with nothing refused" + where;
      ++tally.unchanged;
    }
    panel_test::PumpMessages();
    if (panel_test::ProcessWindowCount() != windows)
      return "windows before and after differ: " + std::to_string(windows) + " and " +
             std::to_string(panel_test::ProcessWindowCount()) + where;
    if (context.hook.refused == 0) {
      tally.made = context.hook.made;
      return {};
    }
    ++tally.refusedRuns;
  }
  return "no construction completed below N = " + std::to_string(kGiveUpAt);
}

}  // namespace

int AllocationFailureSweep(int argc, char** argv) {
  std::vector<std::string> only;  // parts of entry names; empty: every entry
  int modes = 3;                  // bit 0: one refusal, bit 1: refusals from then on
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--entry") == 0) only.emplace_back(argv[i + 1]);
    if (std::strcmp(argv[i], "--modes") == 0) modes = std::atoi(argv[i + 1]);
  }
  const auto chosen = [&](const std::string& name) {
    if (only.empty()) return true;
    for (const std::string& part : only)
      if (name.find(part) != std::string::npos) return true;
    return false;
  };
  bool trace = false;
  for (int i = 1; i < argc; ++i) trace |= std::strcmp(argv[i], "--trace") == 0;
  PluginLibrary library("QuindleVelmoraAllocationFailures.dll");
  Hook hook(library.module());
  if (!library.hasFactory() || !hook.present()) {
    std::printf("allocation failures: the DLL's test build or its switch is missing\n");
    return 1;
  }
  Context context{library, hook, panel_test::SharedParent().handle(), {}, {}, {}, {}, {}, trace};
  if (!MapMenuPlace(context.menuPlace)) {
    std::printf("allocation failures: no place opens the map menu on every page\n");
    return 1;
  }
  // An instance that lives through the whole sweep, as another instance in
  // the host: the shared resources and the thread's OLE stay, so a
  // refused construction can be told apart by its own windows.
  Instance anchor(library, context.parent);
  const std::vector<uint8_t> fresh = SaveThrough(anchor.plugin);
  context.stateA = StateOfMap(fresh, "a.json", kStateMapA);
  context.stateB = StateOfMap(fresh, "b.json", kStateMapB);
  const TemporaryFile file(L"guarded.json", kFileMap);
  context.file = file.path;
  if (context.stateA.empty() || context.stateB.empty()) return 1;

  std::printf(
      "| %-48s | %-10s | %-8s | %-5s | %-5s | %-9s | %-8s | %-5s |\n"
      "|%s|%s|%s|%s|%s|%s|%s|%s|\n",
      "entry point", "refusals", "N", "alloc", "refus", "unchanged", "complete", "told",
      std::string(50, '-').c_str(), std::string(12, '-').c_str(), std::string(10, '-').c_str(),
      std::string(7, '-').c_str(), std::string(7, '-').c_str(), std::string(11, '-').c_str(),
      std::string(10, '-').c_str(), std::string(7, '-').c_str());
  std::fflush(stdout);
  int failed = 0, passed = 0;
  const auto report = [&](const char* name, bool persistent, const std::string& fault,
                          const Tally& tally) {
    if (fault.empty()) {
      ++passed;
      PrintRow(name, persistent ? "from then" : "once", tally);
    } else {
      ++failed;
      std::printf("| %-48s | %-10s | FAULT: %s\n", name, persistent ? "from then" : "once",
                  fault.c_str());
    }
  };
  for (const bool persistent : {false, true}) {
    if (!(modes & (persistent ? 2 : 1))) continue;
    if (chosen("CreatePlugInstance")) {
      Tally tally;
      report("CreatePlugInstance", persistent, SweepFactory(context, persistent, tally), tally);
    }
    for (const Entry& entry : Entries()) {
      if (!chosen(entry.name)) continue;
      Tally tally;
      report(entry.name, persistent, Sweep(context, entry, persistent, tally), tally);
    }
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

}  // namespace hostile
