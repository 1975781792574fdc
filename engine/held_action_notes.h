// Notes a slot's actions hold down until the next switch of slot, playback
// stop or destruction. The audio thread adds them at a switch; a stop on the
// main thread may end them meanwhile. Each entry is one atomic word, taken
// out by an exchange, so every held note gets exactly one note-off whichever
// thread ends it, and neither thread waits.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/midi_message.h"
#include "engine/realtime.h"
#include "engine/slot_additions.h"

class HeldActionNotes {
 public:
  // [audio thread] Records a held note-on. False when every entry is in use
  // (the caller then ends the note at once rather than lose it).
  bool Add(MidiMessage noteOn) ARTSW_REALTIME {
    const uint32_t entry = Entry(noteOn);
    for (std::atomic<uint32_t>& slot : entries_) {
      if (slot.load(std::memory_order_relaxed) != 0) continue;
      slot.store(entry, std::memory_order_relaxed);
      return true;
    }
    return false;
  }

  // [any thread] Ends every held note: send(noteOff) once per note.
  template <typename Send>
  void ReleaseAll(Send&& send) ARTSW_REALTIME {
    for (std::atomic<uint32_t>& slot : entries_) {
      // A plain read first: an exchange is a locked instruction, and most
      // entries are empty at most switches.
      if (slot.load(std::memory_order_relaxed) == 0) continue;
      const uint32_t entry = slot.exchange(0, std::memory_order_relaxed);
      if (entry != 0) send(NoteOff(entry));
    }
  }

 private:
  // An entry is the note-on itself: its status byte is never 0.
  static uint32_t Entry(MidiMessage noteOn) { return noteOn; }
  static MidiMessage NoteOff(uint32_t entry) { return (entry & 0xFF00FF0Fu) | midi::kNoteOff; }

  // One slot's actions at most are held at a time, and a switch ends them
  // before the next slot's are added.
  std::atomic<uint32_t> entries_[kMaxSlotActions] = {};
};
