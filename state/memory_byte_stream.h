// A ByteStream over bytes in memory: what a host's stream holds when the
// plug-in applies a state it built itself (a map loaded from a file) or
// keeps one aside (the state before that load). Reads come up short at the
// end, as a host's stream does; `ranShort` tells a reader that wanted more.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "state/byte_stream.h"

class MemoryByteStream final : public ByteStream {
 public:
  MemoryByteStream() = default;
  explicit MemoryByteStream(const std::vector<uint8_t>& content) : bytes(content) {}

  uint32_t Read(void* buffer, uint32_t count) override {
    const size_t available = bytes.size() - std::min(position, bytes.size());
    const auto n = static_cast<uint32_t>(std::min<size_t>(count, available));
    if (n > 0) std::memcpy(buffer, bytes.data() + position, n);
    position += n;
    if (n < count) ranShort = true;
    return n;
  }

  void Write(const void* buffer, uint32_t count) override {
    const auto* p = static_cast<const uint8_t*>(buffer);
    bytes.insert(bytes.end(), p, p + count);
  }

  size_t Unread() const { return bytes.size() - std::min(position, bytes.size()); }

  std::vector<uint8_t> bytes;
  size_t position = 0;
  bool ranShort = false;
};
