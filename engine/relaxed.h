// A word that several threads read and write without a lock: the editor and
// state loads write settings that notes read on the audio thread, notes
// write what the editor shows. Each word stands on its own, so relaxed
// atomic loads and stores are all it needs: a reader sees either the old or
// the new value, never a torn one, and on x86 both compile to plain moves.
// It converts to and from its value like the plain word it replaces, with
// the same size, so the data model keeps its shape.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

template <typename T>
class Relaxed {
 public:
  constexpr Relaxed(T value = T{}) noexcept : value_(value) {}  // NOLINT: stands in for T
  Relaxed(const Relaxed& other) noexcept : value_(other.load()) {}
  Relaxed& operator=(const Relaxed& other) noexcept {
    store(other.load());
    return *this;
  }
  Relaxed& operator=(T value) noexcept {
    store(value);
    return *this;
  }
  operator T() const noexcept { return load(); }  // NOLINT: reads like the plain word

  T load() const noexcept { return value_.load(std::memory_order_relaxed); }
  void store(T value) noexcept { value_.store(value, std::memory_order_relaxed); }

  // Read-modify-write by the one thread that owns such an update; not an
  // atomic read-modify-write.
  Relaxed& operator&=(T mask) noexcept {
    store(static_cast<T>(load() & mask));
    return *this;
  }

  // Atomic read-modify-writes, for a word of bits that several threads set
  // and clear: none of them loses another's change. Lock-free like the rest.
  T FetchOr(T bits) noexcept { return value_.fetch_or(bits, std::memory_order_relaxed); }
  T FetchAnd(T bits) noexcept { return value_.fetch_and(bits, std::memory_order_relaxed); }

 private:
  std::atomic<T> value_;
  static_assert(std::atomic<T>::is_always_lock_free, "a relaxed word never takes a lock");
};

static_assert(sizeof(Relaxed<int32_t>) == sizeof(int32_t), "same layout as the plain word");
static_assert(sizeof(Relaxed<uint8_t>) == sizeof(uint8_t), "same layout as the plain byte");

// The values of an array of words, read one by one.
template <typename T, std::size_t N>
std::array<T, N> Plain(const std::array<Relaxed<T>, N>& words) {
  std::array<T, N> values{};
  for (std::size_t i = 0; i < N; ++i) values[i] = words[i].load();
  return values;
}
