// How many unreleased voices hold each note, told apart by output port,
// channel and note number: a release sends its note-off only when no other
// unreleased voice holds the same note at the same address.
//
// Nearly always every voice of a channel and note goes to one port, so a
// small table per channel and note (8 KB, warm in the cache) counts them
// with their port. Only while voices of one channel and note go to several
// ports are they counted per port in an open-addressing hash table with
// linear probing and backward-shift deletion, sized when it is built. At
// most kVoiceCapacity notes are held at once, so the table is never more
// than 62.5% full and a probe run is short on average; every loop is
// bounded by the table's size whatever the keys.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/midi_message.h"
#include "engine/realtime.h"

class HeldNotes {
 public:
  HeldNotes();

  void Clear();
  // One more / one fewer unreleased voice holding the note of message.
  void Add(MidiMessage message) ARTSW_REALTIME;
  void Remove(MidiMessage message) ARTSW_REALTIME;
  // Unreleased voices holding the note of message.
  uint32_t Count(MidiMessage message) const ARTSW_REALTIME;

  static constexpr uint32_t kCapacity = 1u << 15;

 private:
  static constexpr uint32_t kMask = kCapacity - 1;
  static constexpr uint32_t kEmpty = 0;

  // Port, channel and note in 19 bits, plus one so that 0 marks an empty entry.
  static uint32_t KeyOf(MidiMessage m) {
    return (static_cast<uint32_t>(midi::Port(m)) << 11 |
            static_cast<uint32_t>(midi::Status(m) & 0x0F) << 7 | (midi::Data1(m) & 0x7Fu)) +
           1;
  }
  static uint32_t Home(uint32_t key) { return (key * 0x9E3779B1u) >> (32 - 15); }
  // The entry holding key, or the empty entry where it would go.
  uint32_t Probe(uint32_t key) const ARTSW_REALTIME;

  // Per channel and note: all its unreleased voices, and their one port
  // unless `mixed`, when the hash table holds the count of each port.
  struct Direct {
    uint16_t count = 0;
    uint8_t port = 0;
    uint8_t mixed = 0;
  };
  static uint32_t DirectIndex(MidiMessage m) {
    return static_cast<uint32_t>(midi::Status(m) & 0x0F) << 7 | (midi::Data1(m) & 0x7Fu);
  }
  void HashAdd(uint32_t key, uint16_t count) ARTSW_REALTIME;
  void HashRemove(uint32_t key) ARTSW_REALTIME;
  uint32_t HashCount(uint32_t key) const ARTSW_REALTIME;

  std::unique_ptr<Direct[]> direct_;
  std::unique_ptr<uint32_t[]> keys_;
  std::unique_ptr<uint16_t[]> counts_;
};
