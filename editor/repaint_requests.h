// Repaint requests from any thread, passed on to the window system at most
// once per paint: each pass is a round trip to the window system, and the
// notes of a chord arrive on the host's audio thread one after another. A
// request already covered by one still waiting for its paint is dropped, and
// so is any request while the panel is hidden (showing paints it whole).
//
// No update is lost: the window thread clears the pending state after
// BeginPaint has validated the window and before it composes the panel. A
// request that finds its region pending made its changes before its release
// read-modify-write, which precedes the clearing exchange in this variable's
// order, so the panel composed after that exchange (acquire) shows them. A
// request after the clear finds nothing pending and asks again; its
// invalidation follows the validation and brings another paint.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/realtime.h"

class RepaintRequests {
 public:
  // Pending regions: the whole panel includes the grid's bit, so one pending
  // whole-panel request covers grid requests but not the other way round.
  enum Region : uint8_t { kNothing = 0, kGrid = 1, kWhole = 3 };

  // [any thread] Records a request. True when the caller must pass it on to
  // the window system now; false when the panel is hidden or a request still
  // pending covers this one. Lock-free: one load and one read-modify-write.
  bool Claim(bool gridOnly) ARTSW_REALTIME {
    if (!shown_.load(std::memory_order_acquire)) return false;
    const uint8_t region = gridOnly ? kGrid : kWhole;
    // Release: the caller's changes reach the paint that clears this.
    const uint8_t before = pending_.fetch_or(region, std::memory_order_release);
    return (before & region) != region;
  }

  // [window thread] A paint has validated the window and is about to
  // compose the panel: every request so far is drawn by it.
  void PaintBegun() { pending_.exchange(kNothing, std::memory_order_acq_rel); }

  // [window thread] The panel was shown or hidden. Showing forgets whatever
  // was pending, since showing invalidates the whole window; hiding stops
  // requests before the window goes.
  void SetShown(bool shown) {
    if (shown) pending_.store(kNothing, std::memory_order_relaxed);
    shown_.store(shown, std::memory_order_release);
  }

  // [window thread] What is pending, for re-asking after the window was
  // validated without a paint of ours.
  Region Pending() const { return static_cast<Region>(pending_.load(std::memory_order_acquire)); }

 private:
  static_assert(std::atomic<uint8_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
                "the audio thread must never wait for a lock");

  std::atomic<bool> shown_{false};
  std::atomic<uint8_t> pending_{kNothing};
};
