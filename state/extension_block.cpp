#include "state/extension_block.h"

#include <zlib.h>

namespace {

constexpr size_t kRecordFixedSize = 7;  // velocity, transpose, channels, count
constexpr size_t kActionSize = 5;
constexpr size_t kLatencySize = 2;  // appended after the actions, only when not 0

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

class Cursor {
 public:
  Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool U8(uint8_t& v) {
    if (at_ + 1 > size_) return false;
    v = data_[at_++];
    return true;
  }
  bool U16(uint16_t& v) {
    if (at_ + 2 > size_) return false;
    v = static_cast<uint16_t>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return true;
  }
  bool U32(uint32_t& v) {
    uint16_t low = 0, high = 0;
    if (at_ + 4 > size_ || !U16(low) || !U16(high)) return false;
    v = low | static_cast<uint32_t>(high) << 16;
    return true;
  }
  bool Skip(size_t n) {
    if (n > size_ - at_) return false;
    at_ += n;
    return true;
  }
  size_t Left() const { return size_ - at_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

bool DecodeRecord(Cursor& cursor, SlotAdditions& slot) {
  uint16_t length = 0;
  if (!cursor.U16(length) || length < kRecordFixedSize || length > cursor.Left()) return false;
  uint8_t velocity = 0, transpose = 0, count = 0;
  uint32_t channels = 0;
  cursor.U8(velocity);
  cursor.U8(transpose);
  cursor.U32(channels);
  cursor.U8(count);
  if (count > kMaxSlotActions || length < kRecordFixedSize + kActionSize * count) return false;
  slot.keyswitchVelocity = velocity;
  slot.transpose = static_cast<int8_t>(transpose);
  slot.noteChannels = channels;
  slot.actionCount = count;
  for (int i = 0; i < count; ++i) {
    SlotAction& a = slot.actions[i];
    uint8_t kind = 0;
    cursor.U8(kind);
    cursor.U8(a.channel);
    cursor.U8(a.number);
    cursor.U16(a.value);
    if (kind < static_cast<uint8_t>(ActionKind::kNoteTap) ||
        kind > static_cast<uint8_t>(ActionKind::kPitchBend)) {
      return false;
    }
    a.kind = static_cast<ActionKind>(kind);
  }
  size_t rest = length - kRecordFixedSize - kActionSize * count;
  if (rest >= kLatencySize) {
    cursor.U16(slot.latencyMs);
    rest -= kLatencySize;
  }
  // Fields a later format adds to the end of a record.
  return cursor.Skip(rest) && IsValidAdditions(slot);
}

uint32_t Checksum(const uint8_t* data, size_t size) {
  return static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), data, static_cast<uInt>(size)));
}

}  // namespace

std::vector<uint8_t> EncodeExtensionBlock(const SlotAdditionsArray& additions) {
  std::vector<uint8_t> payload;
  PutU32(payload, kExtensionFormatVersion);
  uint8_t records = 0;
  payload.push_back(0);  // record count, filled in below
  for (int slot = 0; slot < 16; ++slot) {
    const SlotAdditions& s = additions[slot];
    if (s.IsDefault()) continue;
    const int count = s.actionCount > kMaxSlotActions ? kMaxSlotActions : s.actionCount;
    payload.push_back(static_cast<uint8_t>(slot));
    const size_t latency = s.latencyMs != 0 ? kLatencySize : 0;
    PutU16(payload, static_cast<uint32_t>(kRecordFixedSize + kActionSize * count + latency));
    payload.push_back(s.keyswitchVelocity);
    payload.push_back(static_cast<uint8_t>(s.transpose));
    PutU32(payload, s.noteChannels);
    payload.push_back(static_cast<uint8_t>(count));
    for (int i = 0; i < count; ++i) {
      const SlotAction& a = s.actions[i];
      payload.push_back(static_cast<uint8_t>(a.kind));
      payload.push_back(a.channel);
      payload.push_back(a.number);
      PutU16(payload, a.value);
    }
    if (latency != 0) PutU16(payload, s.latencyMs);
    ++records;
  }
  if (records == 0) return {};
  payload[4] = records;
  std::vector<uint8_t> block;
  PutU32(block, kExtensionTag);
  PutU32(block, static_cast<uint32_t>(payload.size()));
  PutU32(block, Checksum(payload.data(), payload.size()));
  block.insert(block.end(), payload.begin(), payload.end());
  return block;
}

bool ReadExtensionHeader(const uint8_t (&bytes)[kExtensionHeaderSize], ExtensionHeader& header) {
  Cursor cursor(bytes, kExtensionHeaderSize);
  uint32_t tag = 0;
  cursor.U32(tag);
  cursor.U32(header.length);
  cursor.U32(header.checksum);
  return tag == kExtensionTag && header.length >= 5 && header.length <= kMaxExtensionLength;
}

bool DecodeExtensionPayload(const ExtensionHeader& header, const uint8_t* payload,
                            SlotAdditionsArray& out) {
  if (Checksum(payload, header.length) != header.checksum) return false;
  Cursor cursor(payload, header.length);
  uint32_t version = 0;
  uint8_t records = 0;
  if (!cursor.U32(version) || version != kExtensionFormatVersion || !cursor.U8(records))
    return false;
  SlotAdditionsArray decoded{};
  bool seen[16] = {};
  for (int r = 0; r < records; ++r) {
    uint8_t slot = 0;
    if (!cursor.U8(slot) || slot >= 16 || seen[slot]) return false;
    seen[slot] = true;
    if (!DecodeRecord(cursor, decoded[slot])) return false;
  }
  if (cursor.Left() != 0) return false;
  out = decoded;
  return true;
}

bool DecodeExtensionBlock(const uint8_t* bytes, size_t size, SlotAdditionsArray& out,
                          size_t& used) {
  used = 0;
  if (size < kExtensionHeaderSize) return false;
  uint8_t headerBytes[kExtensionHeaderSize];
  for (size_t i = 0; i < kExtensionHeaderSize; ++i) headerBytes[i] = bytes[i];
  ExtensionHeader header;
  if (!ReadExtensionHeader(headerBytes, header) || header.length > size - kExtensionHeaderSize) {
    return false;
  }
  if (!DecodeExtensionPayload(header, bytes + kExtensionHeaderSize, out)) return false;
  used = kExtensionHeaderSize + header.length;
  return true;
}
