#include "engine/slot_names.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

namespace {
bool IsSlot(int slot) { return slot >= 0 && slot < kNameSlots; }
}  // namespace

SlotNames::Guard::Guard(std::atomic_flag& flag) : flag_(flag) {
  // Held only for a string copy, so waiting is rare and short.
  while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
}

SlotNames::Guard::~Guard() { flag_.clear(std::memory_order_release); }

SlotNames::SlotNames(const SlotNames& other) {
  Guard guard(other.busy_);
  names_ = other.names_;
}

SlotNames& SlotNames::operator=(const SlotNames& other) {
  if (this == &other) return *this;
  std::array<std::string, kNameSlots> copy;
  {
    Guard guard(other.busy_);
    copy = other.names_;
  }
  Guard guard(busy_);
  names_ = std::move(copy);
  return *this;
}

std::string SlotNames::operator[](int slot) const {
  if (!IsSlot(slot)) return {};
  Guard guard(busy_);
  return names_[slot];
}

void SlotNames::Set(int slot, std::string name) {
  if (!IsSlot(slot)) return;
  Guard guard(busy_);
  names_[slot].swap(name);
}

void SlotNames::ClearAll() {
  Guard guard(busy_);
  for (std::string& name : names_) name.clear();
}

std::array<std::string, kNameSlots> SlotNames::All() const {
  Guard guard(busy_);
  return names_;
}

void SlotNames::CopyTerminated(int slot, char* text, size_t capacity) const {
  size_t length = 0;
  if (IsSlot(slot)) {
    Guard guard(busy_);
    length = std::min(names_[slot].size(), capacity - 1);
    std::memcpy(text, names_[slot].data(), length);
  }
  text[length] = '\0';
}
