#include "engine/voice_table.h"

#include <algorithm>

VoiceTable::VoiceTable() : records_(new VoiceRecord[kVoiceCapacity]) { Clear(); }

void VoiceTable::Clear() {
  std::fill_n(records_.get(), kVoiceCapacity, VoiceRecord{});
  std::fill_n(free_, kLeafWords, ~0u);
  std::fill_n(middle_, kMiddleWords, ~0u);
  top_ = (1u << kMiddleWords) - 1u;
  std::fill_n(noteCount_, 256, uint16_t{0});
  liveCount_ = 0;
}

void VoiceTable::MarkTaken(int index) {
  const int leaf = index / kWordBits;
  free_[leaf] &= ~(1u << (index % kWordBits));
  if (free_[leaf] != 0) return;
  const int middle = leaf / kWordBits;
  middle_[middle] &= ~(1u << (leaf % kWordBits));
  if (middle_[middle] == 0) top_ &= ~(1u << middle);
}

void VoiceTable::MarkFree(int index) {
  const int leaf = index / kWordBits;
  const int middle = leaf / kWordBits;
  free_[leaf] |= 1u << (index % kWordBits);
  middle_[middle] |= 1u << (leaf % kWordBits);
  top_ |= 1u << middle;
}

VoiceRecord* VoiceTable::Allocate(int32_t hostVoiceTag) {
  if (top_ == 0) return nullptr;
  const int middle = std::countr_zero(top_);
  const int leaf = middle * kWordBits + std::countr_zero(middle_[middle]);
  const int index = leaf * kWordBits + std::countr_zero(free_[leaf]);
  MarkTaken(index);
  ++liveCount_;
  VoiceRecord& record = records_[index];
  record = VoiceRecord{};
  record.hostVoiceTag = hostVoiceTag;
  ++noteCount_[0];  // message 0: note byte 0 until the note-on is written
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
  if (free_[index / kWordBits] & (1u << (index % kWordBits))) return nullptr;
  return &records_[index];
}

void VoiceTable::Free(VoiceRecord* record) {
  --noteCount_[midi::Data1(record->message)];
  --liveCount_;
  MarkFree(IndexOf(record));
}

void VoiceTable::SetMessage(VoiceRecord* record, MidiMessage message) {
  --noteCount_[midi::Data1(record->message)];
  ++noteCount_[midi::Data1(message)];
  record->message = message;
}

bool VoiceTable::OtherHoldsNote(const VoiceRecord* record) const {
  return noteCount_[midi::Data1(record->message)] > 1;
}
