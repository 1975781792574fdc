// A ByteStream over a byte vector: writes append, reads advance a cursor and
// come up short at the end. Records the byte count of every call, so tests can
// check how a reader or writer chops its transfers. StreamBytes composes
// little-endian test input by hand.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "state/byte_stream.h"

class MemoryStream : public ByteStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> content) : bytes(std::move(content)) {}
  MemoryStream(const uint8_t* data, size_t size) : bytes(data, data + size) {}

  uint32_t Read(void* buffer, uint32_t count) override {
    readCalls.push_back(count);
    const size_t available = bytes.size() - std::min(readPosition, bytes.size());
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(count, available));
    if (n > 0) std::memcpy(buffer, bytes.data() + readPosition, n);
    readPosition += n;
    return n;
  }

  void Write(const void* buffer, uint32_t count) override {
    writeCalls.push_back(count);
    const auto* p = static_cast<const uint8_t*>(buffer);
    bytes.insert(bytes.end(), p, p + count);
  }

  size_t Unread() const { return bytes.size() - std::min(readPosition, bytes.size()); }

  std::vector<uint8_t> bytes;
  size_t readPosition = 0;
  std::vector<uint32_t> readCalls;   // requested count of every Read
  std::vector<uint32_t> writeCalls;  // count of every Write
};

// Little-endian stream content built field by field; each append returns the
// offset just past what it added, so tests can cut a stream at a field.
class StreamBytes {
 public:
  size_t Int32(int32_t value) {
    const auto word = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<uint8_t>(word >> shift));
    return bytes.size();
  }
  size_t Uint16(uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
    return bytes.size();
  }
  size_t Raw(const std::string& raw) {
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    return bytes.size();
  }
  size_t Append(const std::vector<uint8_t>& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes.size();
  }
  // A name as the stream stores it: uint16 length, then the bytes.
  size_t Name(const std::string& raw) {
    Uint16(static_cast<uint16_t>(raw.size()));
    return Raw(raw);
  }
  // The same word for all sixteen slots, or one computed per slot.
  template <typename PerSlot>
  size_t SlotWords(PerSlot valueOf) {
    for (int slot = 0; slot < 16; ++slot) Int32(valueOf(slot));
    return bytes.size();
  }

  std::vector<uint8_t> Prefix(size_t size) const {
    return {bytes.begin(),
            bytes.begin() + static_cast<std::ptrdiff_t>(std::min(size, bytes.size()))};
  }

  std::vector<uint8_t> bytes;
};
