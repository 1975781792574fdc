// Allocates inside a nonblocking function on purpose; the test passes only if
// RealtimeSanitizer reports it.
#include <cstdio>
#include <memory>

#include "engine/realtime.h"

namespace {
int* volatile g_sink;

void AllocateInRealtimeContext() ARTSW_REALTIME {
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wfunction-effects"
#endif
  g_sink = new int(42);
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
}
}  // namespace

int main() {
  AllocateInRealtimeContext();
  delete g_sink;
  std::puts("no report: RealtimeSanitizer is not active");
  return 0;
}
