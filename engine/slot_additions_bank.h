// The sixteen slots as notes play them: each slot's keyswitch, UACC and
// modwheel values with its additions. The audio thread reads one slot per
// note; the threads that rewrite the slots (a state load on the main
// thread, the editor and map loads on its window thread) publish them. A
// slot is more than a word, and a load changes all sixteen, so they are
// published whole: writers fill the spare copy of the bank, with each slot's
// actions packed as messages, and flip an index; the audio thread marks
// itself reading, takes the index and copies what it needs of its slot out.
// A note therefore plays a slot as it stood before a publish or after it,
// never half of each and never a default in between. A writer reuses the
// old copy only once no read that might have started before its flip is
// still running. The audio thread never waits, never loops and never sees a
// half-written slot; writers wait for at most one slot copy and take turns
// through a short lock of their own.
//
// The data model's words (ArticulationBank) are what the state saves and
// the panel shows; after changing a slot's words a writer publishes them
// (DataModel::PublishSlots), which is what makes the change heard.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/realtime.h"
#include "engine/slot_additions.h"
#include "engine/slot_playback.h"

class SlotAdditionsBank {
 public:
  SlotAdditionsBank() = default;
  // [main thread] A copy holds what the other holds now.
  SlotAdditionsBank(const SlotAdditionsBank& other) { CopyFrom(other); }
  SlotAdditionsBank& operator=(const SlotAdditionsBank& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }

  // [audio thread] What a note of this slot needs, its actions only when
  // withActions; no values, defaults and no actions for any other slot.
  void Read(int slot, bool withActions, SlotPlayback& out) const ARTSW_REALTIME;

  // [any thread] Every channel some slot plays its notes on by number (bit
  // c: channel c), leaving out "the plug-in's channel"; 0 when no slot
  // routes its notes.
  uint16_t RoutedChannels() const ARTSW_REALTIME { return routed_.load(std::memory_order_relaxed); }

  // [any thread] Changes with every publish: whoever shows the slots can
  // tell that they may have changed since it last looked.
  uint32_t Generation() const { return generation_.load(std::memory_order_acquire); }

  // [main or editor thread] The whole bank, or one slot, as it stands.
  SlotAdditionsArray All() const;
  SlotAdditions Get(int slot) const;
  SlotSwitchArray Switches() const;

  // [main or editor thread] Replaces the additions of the whole bank or of
  // one slot; the switch values stay. Values outside their ranges are
  // refused: the slot keeps what it had.
  void SetAll(const SlotAdditionsArray& additions);
  bool Set(int slot, const SlotAdditions& additions);
  // [main or editor thread] Replaces the switch values, or both at once, in
  // one publish. Switch values are taken as given (the data model keeps
  // them in range).
  void SetSwitches(const SlotSwitchArray& switches);
  void SetAll(const SlotSwitchArray& switches, const SlotAdditionsArray& additions);

 private:
  class WriterTurn;
  // Both halves of the other bank as they stood together.
  void CopyFrom(const SlotAdditionsBank& other);
  template <typename Edit>
  void Publish(Edit edit);

  SlotSwitchArray switches_[2]{};
  SlotAdditionsArray copies_[2]{};
  PackedActions packed_[2][16]{};
  std::atomic<int> current_{0};
  std::atomic<uint16_t> routed_{0};
  std::atomic<uint32_t> generation_{0};
  mutable std::atomic<int> reading_{0};
  mutable std::atomic_flag writing_ = ATOMIC_FLAG_INIT;
};
