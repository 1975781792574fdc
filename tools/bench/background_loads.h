// Map loads on a thread of their own while a bench plays notes: every bank
// and page of the built-in maps in turn, each built as the panel's loader
// builds it (maps/map_loading.h, from the instance's saved state) and
// applied through SaveOrLoadState, the path the loader's own loads take
// into the engine. Paced, as a composer loads maps: `perSecond` loads.
#pragma once

#include <windows.h>

#include <atomic>

#include "tools/plughost/plugin_library.h"

class BackgroundLoads {
 public:
  BackgroundLoads(const RawPlugin& plugin, double perSecond);
  ~BackgroundLoads();  // stops
  BackgroundLoads(const BackgroundLoads&) = delete;
  BackgroundLoads& operator=(const BackgroundLoads&) = delete;

  long Stop();  // waits for the thread; returns the loads it made

 private:
  static DWORD WINAPI Run(void* self);

  RawPlugin plugin_;
  double perSecond_;
  std::atomic<bool> stop_{false};
  std::atomic<long> loads_{0};
  HANDLE thread_ = nullptr;
};
