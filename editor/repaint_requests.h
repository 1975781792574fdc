// Repaint requests from any thread, handed to the window system by the
// window's own thread. A request only sets a bit: the host's audio thread
// must never wait on the window system, and even one call into it per
// paint (an invalidation or a posted message) is a round trip to the
// window server that can stall a buffer. The window thread looks at the
// bits on a timer at display rate while the panel is shown and invalidates
// what they name; each paint takes them.
//
// No update is lost. A request makes its changes to the model and then sets
// its bit with a release read-modify-write. The paint takes the bits with an
// acquire-release exchange after BeginPaint has validated the window and
// before it reads the model: a request whose bit that exchange took made its
// changes before it, so the paint shows them; a request after it leaves its
// bit set for the next timer tick, which invalidates again. A paint that
// may not show all it took (it came before the tick invalidated, or its
// invalid region's bounds leave part out) invalidates that region again
// itself. Bits left set because someone else validated the window are
// simply asked for again at the next tick.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/realtime.h"

class RepaintRequests {
 public:
  // Pending regions: the whole panel includes the grid's bit, so one pending
  // whole-panel request covers grid requests but not the other way round.
  enum Region : uint8_t { kNothing = 0, kGrid = 1, kWhole = 3 };

  // [any thread] Records a request. Lock-free, one read-modify-write, no
  // call into the window system.
  void Request(bool gridOnly) ARTSW_REALTIME {
    // Release: the caller's changes reach the paint that takes this bit.
    pending_.fetch_or(gridOnly ? kGrid : kWhole, std::memory_order_release);
  }

  // [window thread] What is pending now, for the timer to invalidate.
  Region Pending() const { return static_cast<Region>(pending_.load(std::memory_order_acquire)); }

  // [window thread] A paint has validated the window and is about to read
  // the model: every request so far is its to show. Returns what was
  // pending.
  Region TakeForPaint() {
    return static_cast<Region>(pending_.exchange(kNothing, std::memory_order_acq_rel));
  }

 private:
  static_assert(std::atomic<uint8_t>::is_always_lock_free,
                "the audio thread must never wait for a lock");

  std::atomic<uint8_t> pending_{kNothing};
};
