// The sixteen articulation names. They are the one part of the settings
// that is more than a word, and they are read and written off the audio
// thread only: by state loads and saves and the host's name queries on the
// main thread, and by the editor on its window thread, which a host may run
// apart from the main thread. A short lock keeps a paint or a save from
// reading a name that a load is rewriting. Notes never touch the names, so
// the audio thread never meets the lock.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <string>

constexpr int kNameSlots = 16;

class SlotNames {
 public:
  SlotNames() = default;
  SlotNames(const SlotNames& other);
  SlotNames& operator=(const SlotNames& other);

  // A copy of a slot's name; empty for a slot outside 0..15.
  std::string operator[](int slot) const;
  // Replaces a slot's name; a slot outside 0..15 is ignored.
  void Set(int slot, std::string name);
  void ClearAll();
  // All sixteen names as they stand together.
  std::array<std::string, kNameSlots> All() const;
  bool operator==(const SlotNames& other) const { return All() == other.All(); }
  // Copies a slot's name and its terminating zero into text, which holds at
  // least capacity bytes (capacity > 0), cutting the name to fit.
  void CopyTerminated(int slot, char* text, size_t capacity) const;

 private:
  class Guard {
   public:
    explicit Guard(std::atomic_flag& flag);
    ~Guard();
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    std::atomic_flag& flag_;
  };

  mutable std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
  std::array<std::string, kNameSlots> names_;
};
