#include "engine/held_notes.h"

#include <algorithm>

namespace {
constexpr uint32_t kDirectSize = 16 * 128;
}  // namespace

HeldNotes::HeldNotes()
    : direct_(new Direct[kDirectSize]), keys_(new uint32_t[kCapacity]), counts_(new uint16_t[kCapacity]) {
  Clear();
}

void HeldNotes::Clear() {
  std::fill_n(direct_.get(), kDirectSize, Direct{});
  std::fill_n(keys_.get(), kCapacity, kEmpty);
  std::fill_n(counts_.get(), kCapacity, uint16_t{0});
}

uint32_t HeldNotes::Probe(uint32_t key) const {
  uint32_t i = Home(key);
  for (uint32_t step = 0; step < kCapacity; ++step, i = (i + 1) & kMask) {
    if (keys_[i] == key || keys_[i] == kEmpty) return i;
  }
  return i;  // unreachable: the table always has an empty entry
}

void HeldNotes::Add(MidiMessage message) {
  Direct& d = direct_[DirectIndex(message)];
  const uint8_t port = midi::Port(message);
  if (d.count == 0) {
    d = Direct{1, port, 0};
    return;
  }
  if (!d.mixed && d.port == port) {
    ++d.count;
    return;
  }
  if (!d.mixed) {
    // A second port: from now on the hash table counts each port.
    HashAdd(KeyOf((message & 0x00FFFFFFu) | static_cast<MidiMessage>(d.port) << 24), d.count);
    d.mixed = 1;
  }
  HashAdd(KeyOf(message), 1);
  ++d.count;
}

void HeldNotes::Remove(MidiMessage message) {
  Direct& d = direct_[DirectIndex(message)];
  if (d.count == 0) return;
  if (!d.mixed) {
    if (d.port == midi::Port(message)) --d.count;
    return;
  }
  const uint32_t key = KeyOf(message);
  if (HashCount(key) == 0) return;
  HashRemove(key);
  // The last voice gone: every port's count has gone from the hash table too.
  if (--d.count == 0) d.mixed = 0;
}

uint32_t HeldNotes::Count(MidiMessage message) const {
  const Direct& d = direct_[DirectIndex(message)];
  if (d.count == 0) return 0;
  if (!d.mixed) return d.port == midi::Port(message) ? d.count : 0;
  return HashCount(KeyOf(message));
}

void HeldNotes::HashAdd(uint32_t key, uint16_t count) {
  const uint32_t i = Probe(key);
  keys_[i] = key;
  counts_[i] = static_cast<uint16_t>(counts_[i] + count);
}

void HeldNotes::HashRemove(uint32_t key) {
  uint32_t hole = Probe(key);
  if (keys_[hole] != key) return;
  if (--counts_[hole] != 0) return;
  // Backward-shift deletion: pull later entries of the run into the hole
  // unless their home lies cyclically after the hole, so no lookup ever
  // stops early at an entry a deletion emptied.
  uint32_t next = hole;
  for (uint32_t step = 0; step < kCapacity; ++step) {
    next = (next + 1) & kMask;
    if (keys_[next] == kEmpty) break;
    const uint32_t home = Home(keys_[next]);
    const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (stays) continue;
    keys_[hole] = keys_[next];
    counts_[hole] = counts_[next];
    hole = next;
  }
  keys_[hole] = kEmpty;
  counts_[hole] = 0;
}

uint32_t HeldNotes::HashCount(uint32_t key) const {
  const uint32_t i = Probe(key);
  return keys_[i] == key ? counts_[i] : 0;
}
