#include "engine/slot_additions_bank.h"

#include <cstring>
#include <thread>

namespace {
bool IsSlot(int slot) { return slot >= 0 && slot < 16; }
}  // namespace

class SlotAdditionsBank::WriterTurn {
 public:
  explicit WriterTurn(std::atomic_flag& flag) : flag_(flag) {
    while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
  }
  ~WriterTurn() { flag_.clear(std::memory_order_release); }
  WriterTurn(const WriterTurn&) = delete;
  WriterTurn& operator=(const WriterTurn&) = delete;

 private:
  std::atomic_flag& flag_;
};

// The reader announces itself before it takes the index, and the writer
// flips the index before it looks for readers (all sequentially consistent):
// a read that took the old index is seen by the writer, which then waits
// for it to end before that copy is written again.
void SlotAdditionsBank::Read(int slot, bool withActions, SlotPlayback& out) const {
  if (!IsSlot(slot)) {
    out.fields = SlotSwitch{};
    out.keyswitchVelocity = kDefaultKeyswitchVelocity;
    out.transpose = 0;
    out.noteChannels = kPluginChannelBit;
    out.actionCount = 0;
    return;
  }
  reading_.store(1, std::memory_order_seq_cst);
  const int current = current_.load(std::memory_order_seq_cst);
  out.fields = switches_[current][slot];
  const SlotAdditions& in = copies_[current][slot];
  out.keyswitchVelocity = in.keyswitchVelocity;
  out.transpose = in.transpose;
  out.noteChannels = in.noteChannels;
  out.actionCount = 0;
  out.heldNoteOns = 0;
  if (withActions) {
    // Only the words in use: most slots have none.
    const PackedActions& packed = packed_[current][slot];
    const int count = packed.count < kMaxActionWords ? packed.count : kMaxActionWords;
    std::memcpy(out.actions, packed.words, sizeof(ActionWord) * static_cast<size_t>(count));
    out.actionCount = static_cast<uint8_t>(count);
    out.heldNoteOns = packed.heldNoteOns;
  }
  reading_.store(0, std::memory_order_release);
}

template <typename Edit>
void SlotAdditionsBank::Publish(Edit edit) {
  WriterTurn turn(writing_);
  const int current = current_.load(std::memory_order_relaxed);
  const int spare = 1 - current;
  switches_[spare] = switches_[current];
  copies_[spare] = copies_[current];
  edit(switches_[spare], copies_[spare]);
  uint16_t routed = 0;
  for (int slot = 0; slot < 16; ++slot) {
    packed_[spare][slot] = PackActions(copies_[spare][slot]);
    routed |= static_cast<uint16_t>(copies_[spare][slot].noteChannels & 0xFFFFu);
  }
  current_.store(spare, std::memory_order_seq_cst);
  routed_.store(routed, std::memory_order_relaxed);
  generation_.fetch_add(1, std::memory_order_acq_rel);
  // Reads that may still hold the old copy end within one slot copy.
  while (reading_.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
}

void SlotAdditionsBank::CopyFrom(const SlotAdditionsBank& other) {
  SlotSwitchArray switches;
  SlotAdditionsArray additions;
  {
    WriterTurn turn(other.writing_);
    const int current = other.current_.load(std::memory_order_relaxed);
    switches = other.switches_[current];
    additions = other.copies_[current];
  }
  SetAll(switches, additions);
}

SlotAdditionsArray SlotAdditionsBank::All() const {
  WriterTurn turn(writing_);
  return copies_[current_.load(std::memory_order_relaxed)];
}

SlotSwitchArray SlotAdditionsBank::Switches() const {
  WriterTurn turn(writing_);
  return switches_[current_.load(std::memory_order_relaxed)];
}

SlotAdditions SlotAdditionsBank::Get(int slot) const {
  if (!IsSlot(slot)) return SlotAdditions{};
  WriterTurn turn(writing_);
  return copies_[current_.load(std::memory_order_relaxed)][slot];
}

void SlotAdditionsBank::SetAll(const SlotAdditionsArray& additions) {
  Publish([&additions](SlotSwitchArray&, SlotAdditionsArray& bank) {
    for (int slot = 0; slot < 16; ++slot) {
      if (IsValidAdditions(additions[slot])) bank[slot] = additions[slot];
    }
  });
}

void SlotAdditionsBank::SetSwitches(const SlotSwitchArray& switches) {
  Publish([&switches](SlotSwitchArray& fields, SlotAdditionsArray&) { fields = switches; });
}

void SlotAdditionsBank::SetAll(const SlotSwitchArray& switches,
                               const SlotAdditionsArray& additions) {
  Publish([&](SlotSwitchArray& fields, SlotAdditionsArray& bank) {
    fields = switches;
    for (int slot = 0; slot < 16; ++slot) {
      if (IsValidAdditions(additions[slot])) bank[slot] = additions[slot];
    }
  });
}

bool SlotAdditionsBank::Set(int slot, const SlotAdditions& additions) {
  if (!IsSlot(slot) || !IsValidAdditions(additions)) return false;
  Publish([&](SlotSwitchArray&, SlotAdditionsArray& bank) { bank[slot] = additions; });
  return true;
}
