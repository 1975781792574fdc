// Notes a slot's actions hold down until the next switch of slot, playback
// stop or destruction. The audio thread adds them at a switch; a stop on the
// main thread may end them meanwhile. Each entry is one atomic word, taken
// out by an exchange, so every held note gets exactly one note-off whichever
// thread ends it, and neither thread waits. A mask of the entries that may
// be in use spares a switch the walk over all of them when none is.
#pragma once

#include <atomic>
#include <bit>
#include <cstdint>

#include "engine/midi_message.h"
#include "engine/realtime.h"
#include "engine/slot_additions.h"

class HeldActionNotes {
 public:
  // [audio thread] Records a held note-on. False when every entry is in use
  // (the caller then ends the note at once rather than lose it).
  bool Add(MidiMessage noteOn) ARTSW_REALTIME {
    for (int i = 0; i < kMaxSlotActions; ++i) {
      if (entries_[i].load(std::memory_order_relaxed) != 0) continue;
      entries_[i].store(Entry(noteOn), std::memory_order_relaxed);
      // Published after the entry: a release that sees the bit sees it.
      inUse_.fetch_or(1u << i, std::memory_order_release);
      return true;
    }
    return false;
  }

  // [any thread] Ends every held note: send(noteOff) once per note.
  template <typename Send>
  void ReleaseAll(Send&& send) ARTSW_REALTIME {
    // A plain read first: an exchange is a locked instruction, and most
    // switches find nothing held.
    if (inUse_.load(std::memory_order_relaxed) == 0) return;
    // An entry added after this exchange sets its bit again and is ended
    // by the next release.
    for (uint32_t mask = inUse_.exchange(0, std::memory_order_acquire); mask != 0;
         mask &= mask - 1) {
      const uint32_t entry = entries_[std::countr_zero(mask)].exchange(0, std::memory_order_relaxed);
      if (entry != 0) send(NoteOff(entry));
    }
  }

 private:
  // An entry is the note-on itself: its status byte is never 0.
  static uint32_t Entry(MidiMessage noteOn) { return noteOn; }
  static MidiMessage NoteOff(uint32_t entry) { return midi::NoteOffFor(entry); }

  // One slot's actions at most are held at a time, and a switch ends them
  // before the next slot's are added.
  std::atomic<uint32_t> entries_[kMaxSlotActions] = {};
  std::atomic<uint32_t> inUse_{0};  // bit i: entries_[i] may hold a note
  static_assert(kMaxSlotActions <= 32, "one bit of inUse_ per entry");
};
