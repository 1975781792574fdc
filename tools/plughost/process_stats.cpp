#include "tools/plughost/process_stats.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "tools/plughost/console_text.h"

void PrintProcessStats(long long startCounter) {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  const double seconds = frequency.QuadPart
                             ? static_cast<double>(now.QuadPart - startCounter) / frequency.QuadPart
                             : 0.0;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  const bool known = GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  const double mb = 1024.0 * 1024.0;
  if (known)
    PrintError("plughost stats: %.3f s, peak working set %.1f MB, peak pagefile usage %.1f MB\n",
               seconds, memory.PeakWorkingSetSize / mb, memory.PeakPagefileUsage / mb);
  else
    PrintError("plughost stats: %.3f s, memory figures unavailable\n", seconds);
}
