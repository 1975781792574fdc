#include "engine/held_notes.h"

#include <algorithm>

HeldNotes::HeldNotes() : keys_(new uint32_t[kCapacity]), counts_(new uint16_t[kCapacity]) {
  Clear();
}

void HeldNotes::Clear() {
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
  const uint32_t key = KeyOf(message);
  const uint32_t i = Probe(key);
  keys_[i] = key;
  ++counts_[i];
}

void HeldNotes::Remove(MidiMessage message) {
  const uint32_t key = KeyOf(message);
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

uint32_t HeldNotes::Count(MidiMessage message) const {
  const uint32_t key = KeyOf(message);
  const uint32_t i = Probe(key);
  return keys_[i] == key ? counts_[i] : 0;
}
