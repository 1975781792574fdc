#include "state/stream_io.h"

#include <algorithm>

namespace {

// Names are read through a fixed buffer in bounded chunks; one chunk covers
// every name the editor can produce.
constexpr uint32_t kNameChunk = 256;

}  // namespace

bool StateReader::ReadExactly(void* buffer, uint32_t count) {
  if (ended_) return count == 0;
  const uint32_t got = in_.Read(buffer, count);
  if (got >= count) return true;
  ended_ = true;  // a short read: the stream has nothing more
  return false;
}

bool StateReader::ReadInt32(int32_t& value) {
  uint8_t b[4];
  if (!ReadExactly(b, sizeof b)) return false;
  const uint32_t word = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                        static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
  value = static_cast<int32_t>(word);
  return true;
}

bool StateReader::ReadUint16(uint16_t& value) {
  uint8_t b[2];
  if (!ReadExactly(b, sizeof b)) return false;
  value = static_cast<uint16_t>(b[0] | b[1] << 8);
  return true;
}

void StateReader::ReadName(std::string& name, size_t maxLength) {
  uint16_t length = 0;
  ReadUint16(length);

  char kept[kNameChunk];
  const size_t keepLimit = std::min<size_t>(maxLength, sizeof kept);
  size_t keptCount = 0;
  bool cut = false;
  uint32_t remaining = length;
  uint8_t chunk[kNameChunk];
  // The do-while issues one read even for L = 0, as the writer issues one
  // write: a stream adapter sees the same call pattern both ways.
  do {
    const uint32_t count = std::min(remaining, kNameChunk);
    if (!ReadExactly(chunk, count)) return;  // incomplete: the name stays as it was
    for (uint32_t i = 0; i < count && !cut; ++i) {
      if (chunk[i] == 0) {
        cut = true;
      } else if (keptCount < keepLimit) {
        kept[keptCount++] = static_cast<char>(chunk[i]);
      }
    }
    remaining -= count;
  } while (remaining > 0);
  name.assign(kept, keptCount);
}

void StateWriter::WriteInt32(int32_t value) {
  const uint32_t word = static_cast<uint32_t>(value);
  const uint8_t b[4] = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                        static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
  out_.Write(b, sizeof b);
}

void StateWriter::WriteUint16(uint16_t value) {
  const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  out_.Write(b, sizeof b);
}

void StateWriter::WriteName(const std::string& name) {
  const uint16_t length = static_cast<uint16_t>(std::min<size_t>(name.size(), 0xFFFF));
  WriteUint16(length);
  out_.Write(name.data(), length);
}

void StateWriter::WriteBytes(const void* bytes, uint32_t count) {
  if (count > 0) out_.Write(bytes, count);
}
