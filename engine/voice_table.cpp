#include "engine/voice_table.h"

#include <algorithm>

VoiceTable::VoiceTable() : records_(new VoiceRecord[kVoiceCapacity]) { Clear(); }

void VoiceTable::Clear() {
  std::fill_n(records_.get(), kVoiceCapacity, VoiceRecord{});
  for (std::atomic<uint32_t>& word : free_) word.store(~0u, std::memory_order_relaxed);
  std::fill_n(middle_, kMiddleWords, ~0u);
  top_ = (1u << kMiddleWords) - 1u;
  held_.Clear();
  liveCount_ = 0;
}

// Only the audio thread writes the leaf words; the release store publishes
// the record filled in before it.
void VoiceTable::MarkTaken(int index) {
  const int leaf = index / kWordBits;
  const uint32_t word = free_[leaf].load(std::memory_order_relaxed) & ~(1u << (index % kWordBits));
  free_[leaf].store(word, std::memory_order_release);
  if (word != 0) return;
  const int middle = leaf / kWordBits;
  middle_[middle] &= ~(1u << (leaf % kWordBits));
  if (middle_[middle] == 0) top_ &= ~(1u << middle);
}

void VoiceTable::MarkFree(int index) {
  const int leaf = index / kWordBits;
  const int middle = leaf / kWordBits;
  free_[leaf].store(free_[leaf].load(std::memory_order_relaxed) | 1u << (index % kWordBits),
                    std::memory_order_release);
  middle_[middle] |= 1u << (leaf % kWordBits);
  top_ |= 1u << middle;
}

VoiceRecord* VoiceTable::Allocate(int32_t hostVoiceTag) {
  if (top_ == 0) return nullptr;
  const int middle = std::countr_zero(top_);
  const int leaf = middle * kWordBits + std::countr_zero(middle_[middle]);
  const int index =
      leaf * kWordBits + std::countr_zero(free_[leaf].load(std::memory_order_relaxed));
  VoiceRecord& record = records_[index];
  record = VoiceRecord{};
  record.hostVoiceTag = hostVoiceTag;
  MarkTaken(index);
  liveCount_ = liveCount_ + 1;
  return &record;
}

VoiceRecord* VoiceTable::Find(intptr_t handle) const {
  // Integer arithmetic only: an address outside the array wraps to a large
  // offset, so one comparison rejects both sides.
  const uintptr_t offset =
      static_cast<uintptr_t>(handle) - reinterpret_cast<uintptr_t>(records_.get());
  if (offset >= sizeof(VoiceRecord) * kVoiceCapacity) return nullptr;
  if (offset % sizeof(VoiceRecord) != 0) return nullptr;
  const int index = static_cast<int>(offset / sizeof(VoiceRecord));
  if (free_[index / kWordBits].load(std::memory_order_relaxed) & (1u << (index % kWordBits))) {
    return nullptr;
  }
  return &records_[index];
}

void VoiceTable::StopHolding(VoiceRecord* record) {
  if (!record->holding) return;
  for (uint32_t rest = record->channels; rest != 0; rest &= rest - 1) {
    held_.Remove(OnChannel(record->message, std::countr_zero(rest)));
  }
  record->holding = 0;
}

void VoiceTable::Free(VoiceRecord* record) {
  StopHolding(record);
  liveCount_ = liveCount_ - 1;
  MarkFree(IndexOf(record));
}

void VoiceTable::StartNote(VoiceRecord* record, MidiMessage noteOn, uint16_t channels) {
  StopHolding(record);
  record->message = noteOn;
  record->channels = channels;
  record->holding = 1;
  for (uint32_t rest = channels; rest != 0; rest &= rest - 1) {
    held_.Add(OnChannel(noteOn, std::countr_zero(rest)));
  }
}

uint16_t VoiceTable::Release(VoiceRecord* record) {
  StopHolding(record);
  record->released = 1;
  uint16_t due = 0;
  for (uint32_t rest = record->channels; rest != 0; rest &= rest - 1) {
    const int channel = std::countr_zero(rest);
    if (held_.Count(OnChannel(record->message, channel)) == 0) due |= static_cast<uint16_t>(1u << channel);
  }
  return due;
}
