// Notes held on each channel and key, earliest first: a note-off ends the
// earliest note still held on its channel and key, as a host pairs them.
// Each queue keeps its storage once grown, so steady playing allocates
// nothing.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

template <typename Value>
class HeldNotes {
 public:
  void Push(int channel, int key, Value value) { At(channel, key).values.push_back(value); }
  // The earliest value held there, which stops being held; false for none.
  bool Pop(int channel, int key, Value& value) {
    Queue& q = At(channel, key);
    if (q.head == q.values.size()) return false;
    value = q.values[q.head++];
    if (q.head == q.values.size()) {
      q.values.clear();
      q.head = 0;
    }
    return true;
  }
  // The earliest value held there, which stays held; false for none.
  bool Peek(int channel, int key, Value& value) const {
    const Queue& q = queues_[(channel & 0x0F) * 128 + (key & 0x7F)];
    if (q.head == q.values.size()) return false;
    value = q.values[q.head];
    return true;
  }
  // Calls `f` on every value still held, key by key.
  template <typename F>
  void ForEach(F f) const {
    for (const Queue& q : queues_)
      for (size_t i = q.head; i < q.values.size(); ++i) f(q.values[i]);
  }

 private:
  struct Queue {
    std::vector<Value> values;
    size_t head = 0;
  };
  Queue& At(int channel, int key) { return queues_[(channel & 0x0F) * 128 + (key & 0x7F)]; }

  std::array<Queue, 16 * 128> queues_;
};
