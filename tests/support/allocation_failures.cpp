#include "tests/support/allocation_failures.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_count{0};
std::atomic<bool> g_armed{false};
std::atomic<long> g_left{0};  // allocations left before the first refusal
std::atomic<bool> g_persistent{false};
std::atomic<long> g_refused{0};

bool Refuse() {
  if (!g_armed.load(std::memory_order_acquire)) return false;
  if (g_left.fetch_sub(1, std::memory_order_acq_rel) > 0) return false;
  // This one is refused; a single refusal leaves the rest alone.
  if (!g_persistent.load(std::memory_order_relaxed))
    g_armed.store(false, std::memory_order_release);
  g_refused.fetch_add(1, std::memory_order_relaxed);
  return true;
}

void* Allocate(std::size_t size) {
  g_count.fetch_add(1, std::memory_order_relaxed);
  if (Refuse()) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace allocation_failures {

long Count() { return g_count.load(std::memory_order_relaxed); }

void FailAfter(long allowed, bool persistent) {
  g_armed.store(false, std::memory_order_release);
  g_refused.store(0, std::memory_order_relaxed);
  g_persistent.store(persistent, std::memory_order_relaxed);
  g_left.store(allowed, std::memory_order_relaxed);
  g_armed.store(allowed >= 0, std::memory_order_release);
}

long Refused() { return g_refused.load(std::memory_order_relaxed); }

}  // namespace allocation_failures

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return ::operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
