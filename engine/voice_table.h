// Live voices. The records live in one array the table allocates when it is
// built; a voice handle is the address of its record. Every operation the
// audio thread uses costs the same whatever the number of live voices:
//
// - a three-level bitmap of free entries finds the lowest free entry with
//   three count-trailing-zeros steps (the lowest free entry is always taken);
// - a handle is checked by address arithmetic against the array and the
//   bitmap, so a stale or foreign handle is never dereferenced;
// - a count of unreleased records per port, channel and note (HeldNotes)
//   answers "does another unreleased voice hold this note" without a search.
//
// The audio thread alone allocates and frees. The main thread may walk the
// live records (EndAllVoices at a playback stop) meanwhile: a record is
// filled in before its entry is published as taken (release/acquire on the
// leaf words), and the tag it reads is a Relaxed word.
#pragma once

#include <atomic>
#include <bit>
#include <cstdint>
#include <memory>

#include "engine/held_notes.h"
#include "engine/midi_message.h"
#include "engine/realtime.h"
#include "engine/relaxed.h"

constexpr int kVoiceCapacity = 20480;

struct VoiceRecord {
  MidiMessage message = 0;            // the note message: 0, then the note-on, later the note-off
  Relaxed<int32_t> hostVoiceTag = 0;  // the host's tag, passed back in QueryVoice/EndVoice
  uint8_t released = 0;               // 1 once ReleaseVoice ran
  uint8_t holding = 0;                // 1 from the note-on until its release or kill
  uint16_t channels = 0;              // every channel the note-on went to (bit c: channel c);
                                      // the message's own channel is the lowest
};

// The note message of a record on one of its channels.
constexpr MidiMessage OnChannel(MidiMessage message, int channel) {
  return (message & ~0x0Fu) | static_cast<MidiMessage>(channel & 0x0F);
}

class VoiceTable {
 public:
  VoiceTable();
  VoiceTable(const VoiceTable&) = delete;
  VoiceTable& operator=(const VoiceTable&) = delete;

  // Empties every entry.
  void Clear();

  // Takes the lowest free entry: message 0, not released, the given tag.
  // Null when all entries are live.
  VoiceRecord* Allocate(int32_t hostVoiceTag) ARTSW_REALTIME;

  // The live record whose address is handle; null for any other value,
  // including a record already freed and addresses inside a record.
  VoiceRecord* Find(intptr_t handle) const ARTSW_REALTIME;

  // Frees a record Find or Allocate returned.
  void Free(VoiceRecord* record) ARTSW_REALTIME;

  // Stores the note-on in a record, played on every channel of the set
  // (the message's own channel among them): it now holds its note there.
  void StartNote(VoiceRecord* record, MidiMessage noteOn, uint16_t channels) ARTSW_REALTIME;

  // Marks a record released. Answers the channels on which, after it, no
  // unreleased record holds the same note at the same port: there the
  // note-off is due.
  uint16_t Release(VoiceRecord* record) ARTSW_REALTIME;

  int LiveCount() const { return liveCount_; }

  static intptr_t Handle(const VoiceRecord* record) { return reinterpret_cast<intptr_t>(record); }

  // Calls fn(record) for every live record, lowest entry first. fn may free
  // records; those not yet reached are then skipped.
  template <typename Fn>
  void ForEachLive(Fn&& fn) const {
    for (int word = 0; word < kLeafWords; ++word) {
      uint32_t below = 0;  // bits of this word already visited
      for (;;) {
        const uint32_t live = ~free_[word].load(std::memory_order_acquire) & ~below;
        if (live == 0) break;
        const int bit = std::countr_zero(live);
        below |= (2u << bit) - 1u;
        fn(records_[word * kWordBits + bit]);
      }
    }
  }

 private:
  static constexpr int kWordBits = 32;
  static constexpr int kLeafWords = kVoiceCapacity / kWordBits;  // 640
  static constexpr int kMiddleWords = kLeafWords / kWordBits;    // 20
  static_assert(kVoiceCapacity % (kWordBits * kWordBits) == 0, "no partial words");
  static_assert(kMiddleWords <= kWordBits, "one top word covers every middle word");

  void StopHolding(VoiceRecord* record) ARTSW_REALTIME;
  int IndexOf(const VoiceRecord* record) const { return static_cast<int>(record - records_.get()); }
  void MarkTaken(int index);
  void MarkFree(int index);

  std::unique_ptr<VoiceRecord[]> records_;
  // A set bit is a free entry (leaf), a leaf word with a free entry (middle),
  // a middle word with a free entry (top).
  std::atomic<uint32_t> free_[kLeafWords];
  uint32_t middle_[kMiddleWords];
  uint32_t top_;
  HeldNotes held_;
  Relaxed<int> liveCount_ = 0;
};
