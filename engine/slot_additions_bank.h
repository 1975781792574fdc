// The sixteen slots' additions, shared between the audio thread, which reads
// one slot per note, and the threads that rewrite them (a state load on the
// main thread, the editor on its window thread). A list of actions is more
// than a word, so it is published whole: writers fill the spare copy of the
// bank, with each slot's actions packed as messages, and flip an index; the
// audio thread marks itself reading, takes the index and copies what it
// needs of its slot out. A writer reuses the old copy only once no
// read that might have started before its flip is still running. The audio
// thread never waits, never loops and never sees a half-written list;
// writers wait for at most one slot copy and take turns through a short
// lock of their own.
#pragma once

#include <atomic>

#include "engine/realtime.h"
#include "engine/slot_additions.h"
#include "engine/slot_playback.h"

class SlotAdditionsBank {
 public:
  SlotAdditionsBank() = default;
  // [main thread] A copy holds what the other holds now.
  SlotAdditionsBank(const SlotAdditionsBank& other) { SetAll(other.All()); }
  SlotAdditionsBank& operator=(const SlotAdditionsBank& other) {
    if (this != &other) SetAll(other.All());
    return *this;
  }

  // [audio thread] What a note of this slot needs, its actions only when
  // withActions; defaults and no actions for any other slot.
  void Read(int slot, bool withActions, SlotPlayback& out) const ARTSW_REALTIME;

  // [any thread] Every channel some slot plays its notes on by number (bit
  // c: channel c), leaving out "the plug-in's channel"; 0 when no slot
  // routes its notes.
  uint16_t RoutedChannels() const ARTSW_REALTIME { return routed_.load(std::memory_order_relaxed); }

  // [main or editor thread] The whole bank, or one slot, as it stands.
  SlotAdditionsArray All() const;
  SlotAdditions Get(int slot) const;

  // [main or editor thread] Replaces the whole bank or one slot. Values
  // outside their ranges are refused: the slot keeps what it had.
  void SetAll(const SlotAdditionsArray& additions);
  bool Set(int slot, const SlotAdditions& additions);

 private:
  class WriterTurn;
  template <typename Edit>
  void Publish(Edit edit);

  SlotAdditionsArray copies_[2]{};
  PackedActions packed_[2][16]{};
  std::atomic<int> current_{0};
  std::atomic<uint16_t> routed_{0};
  mutable std::atomic<int> reading_{0};
  mutable std::atomic_flag writing_ = ATOMIC_FLAG_INIT;
};
