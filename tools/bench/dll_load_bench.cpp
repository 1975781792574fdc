// What the plug-in costs a host before the first note: LoadLibrary of the
// DLL, its factory found and a new instance created (shared skin resources,
// the editor window), then the instance destroyed and the DLL freed, so the
// next round loads it afresh. Several DLLs (today's build and an older one)
// alternate in the same run, on the same display, so a busy machine weighs
// on all alike.
//
//   dll_load_bench [--rounds N] [--host-libraries] --dll A.dll [--dll B.dll ...]
//
// --host-libraries first loads, once and for the whole run, the system
// libraries a music host has loaded long before it loads a plug-in (its
// own file dialogs, drag and drop and COM: comdlg32, shell32, ole32), so
// the rounds measure what the plug-in itself adds. Without it, a DLL that
// imports them pays their loading in every round, which no host does.
//
// Run from bin/, where the font folder is; needs a display (scripts/wine-run).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/bench/bench_clock.h"
#include "tools/bench/bench_host.h"
#include "tools/plughost/plugin_library.h"

namespace {

struct Times {
  std::vector<double> library, instance, total;
};

bool Round(const std::string& dll, BenchHost& host, Times& times) {
  const double start = bench::Now();
  HMODULE module = LoadLibraryA(dll.c_str());
  // Through void*, as PluginLibrary takes it: no cast between function types.
  const auto factory = module ? reinterpret_cast<PluginLibrary::Factory>(reinterpret_cast<void*>(
                                    GetProcAddress(module, "CreatePlugInstance")))
                              : nullptr;
  const double loaded = bench::Now();
  void* object = factory ? factory(&host, 5) : nullptr;
  const double created = bench::Now();
  if (object) RawPlugin(object).Destroy();
  if (module) FreeLibrary(module);
  if (!object) return false;
  times.library.push_back(loaded - start);
  times.instance.push_back(created - loaded);
  times.total.push_back(created - start);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 20;
  std::vector<std::string> dlls;
  bool hostLibraries = false;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--host-libraries") {
      hostLibraries = true;
    } else if (i + 1 < argc && option == "--rounds") {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (i + 1 < argc && option == "--dll") {
      dlls.push_back(argv[++i]);
    } else {
      std::fprintf(stderr, "dll_load_bench: unknown option %s\n", option.c_str());
      return 2;
    }
  }
  if (hostLibraries)
    for (const char* name : {"comdlg32.dll", "shell32.dll", "ole32.dll"})
      if (!LoadLibraryA(name)) {
        std::fprintf(stderr, "dll_load_bench: cannot load %s\n", name);
        return 3;
      }
  if (dlls.empty()) dlls.push_back("QuindleVelmora.dll");
  BenchHost host;
  std::vector<Times> times(dlls.size());
  for (int round = 0; round < rounds; ++round) {
    for (size_t d = 0; d < dlls.size(); ++d) {
      if (!Round(dlls[d], host, times[d])) {
        std::fprintf(stderr, "cannot load %s or create an instance\n", dlls[d].c_str());
        return 3;
      }
    }
  }
  std::printf("%-50s %10s %14s %14s %14s\n", "DLL", "bytes", "LoadLibrary ms", "instance ms",
              "both ms");
  for (size_t d = 0; d < dlls.size(); ++d) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(dlls[d].c_str(), GetFileExInfoStandard, &data);
    std::printf("%-50s %10lu %14.3f %14.3f %14.3f\n", dlls[d].c_str(), data.nFileSizeLow,
                bench::Median(times[d].library) * 1e3, bench::Median(times[d].instance) * 1e3,
                bench::Median(times[d].total) * 1e3);
  }
  std::printf("medians of %d rounds, the DLLs alternating%s\n", rounds,
              hostLibraries ? ", the host's system libraries loaded beforehand" : "");
  return 0;
}
