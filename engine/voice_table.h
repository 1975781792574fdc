// Live voices. The records live in one array the table allocates when it is
// built; a voice handle is the address of its record. Every operation the
// audio thread uses costs the same whatever the number of live voices:
//
// - a three-level bitmap of free entries finds the lowest free entry with
//   three count-trailing-zeros steps (the lowest free entry is always taken);
// - a handle is checked by address arithmetic against the array and the
//   bitmap, so a stale or foreign handle is never dereferenced;
// - a count of live records per note byte answers "does another record hold
//   this note" without a search.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>

#include "engine/midi_message.h"
#include "engine/realtime.h"

constexpr int kVoiceCapacity = 20480;

struct VoiceRecord {
  MidiMessage message = 0;   // the note message: 0, then the note-on, later the note-off
  int32_t hostVoiceTag = 0;  // the host's tag, passed back in QueryVoice/EndVoice
  uint8_t released = 0;      // 1 once ReleaseVoice ran
};

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

  // Rewrites a live record's message; the note byte may change only here.
  void SetMessage(VoiceRecord* record, MidiMessage message) ARTSW_REALTIME;

  // True when a live record other than this one has the same note byte,
  // released or not.
  bool OtherHoldsNote(const VoiceRecord* record) const ARTSW_REALTIME;

  int LiveCount() const { return liveCount_; }

  static intptr_t Handle(const VoiceRecord* record) { return reinterpret_cast<intptr_t>(record); }

  // Calls fn(record) for every live record, lowest entry first. fn may free
  // records; those not yet reached are then skipped.
  template <typename Fn>
  void ForEachLive(Fn&& fn) const {
    for (int word = 0; word < kLeafWords; ++word) {
      uint32_t below = 0;  // bits of this word already visited
      for (;;) {
        const uint32_t live = ~free_[word] & ~below;
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

  int IndexOf(const VoiceRecord* record) const { return static_cast<int>(record - records_.get()); }
  void MarkTaken(int index);
  void MarkFree(int index);

  std::unique_ptr<VoiceRecord[]> records_;
  // A set bit is a free entry (leaf), a leaf word with a free entry (middle),
  // a middle word with a free entry (top).
  uint32_t free_[kLeafWords];
  uint32_t middle_[kMiddleWords];
  uint32_t top_;
  uint16_t noteCount_[256];  // live records per note byte
  int liveCount_ = 0;
};
