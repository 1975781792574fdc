#include "maps/state_bytes.h"

#include <cstddef>

#include "state/extension_block.h"
#include "maps/counted.h"

namespace {

class Writer {
 public:
  void Word(int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(u >> shift));
  }
  void Half(uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
  }
  std::vector<uint8_t> bytes;
};

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  bool Word(int32_t& value) {
    if (Left() < 4) return false;
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(bytes_[at_ + i]) << (8 * i);
    value = static_cast<int32_t>(u);
    at_ += 4;
    return true;
  }
  bool Half(uint16_t& value) {
    if (Left() < 2) return false;
    value = static_cast<uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return true;
  }
  bool Bytes(size_t count, std::string& out) {
    if (Left() < count) return false;
    out.assign(reinterpret_cast<const char*>(bytes_.data() + at_), count);
    at_ += count;
    return true;
  }
  size_t Left() const { return bytes_.size() - at_; }
  void Skip(size_t count) { at_ += count < Left() ? count : Left(); }
  size_t Offset() const { return at_; }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

}  // namespace

std::vector<uint8_t> EncodeState(const PluginSettings& s) {
  Writer w;
  w.Word(kWrittenStateVersion);
  w.Word(s.channel);
  w.Word(s.port);
  w.Word(s.ccGhosting);
  w.Word(s.midiExtend);
  w.Word(s.preservePortChannel);
  for (const auto& slot : s.slots) w.Word(slot.keyswitch);
  for (const auto& slot : s.slots) w.Word(slot.uacc);
  for (const auto& slot : s.slots) w.Word(slot.modwheel);
  for (const auto& slot : s.slots) w.Word(slot.icon);
  for (const auto& slot : s.slots) {
    // Longer names cannot be stored; the map reader refuses them first.
    const size_t length = slot.name.size() > 0xFFFF ? 0xFFFF : slot.name.size();
    w.Half(static_cast<uint16_t>(length));
    w.bytes.insert(w.bytes.end(), slot.name.begin(), slot.name.begin() + length);
  }
  w.Half(kControllerCount);
  for (int32_t value : s.controllers) w.Word(value);
  w.Word(s.pageIndex);
  w.Word(s.selectedSlot);
  SlotAdditionsArray additions{};
  for (int i = 0; i < kSlotCount; ++i) additions[i] = s.slots[i].additions;
  const std::vector<uint8_t> block = EncodeExtensionBlock(additions);
  w.bytes.insert(w.bytes.end(), block.begin(), block.end());
  return std::move(w.bytes);
}

bool DecodeState(const std::vector<uint8_t>& bytes, PluginSettings& out, std::string& error) {
  Reader r(bytes);
  PluginSettings s;
  auto truncated = [&](const char* field) {
    error = "the state ends early, at byte " + std::to_string(r.Offset()) + " (" + field + ")";
    return false;
  };
  int32_t version = 0;
  if (!r.Word(version)) return truncated("version");
  if (version != kWrittenStateVersion) {
    error = "the state has version " + std::to_string(version) + ", expected " +
            std::to_string(kWrittenStateVersion);
    return false;
  }
  if (!r.Word(s.channel) || !r.Word(s.port) || !r.Word(s.ccGhosting) || !r.Word(s.midiExtend) ||
      !r.Word(s.preservePortChannel))
    return truncated("output settings");
  for (auto& slot : s.slots)
    if (!r.Word(slot.keyswitch)) return truncated("keyswitches");
  for (auto& slot : s.slots)
    if (!r.Word(slot.uacc)) return truncated("UACC values");
  for (auto& slot : s.slots)
    if (!r.Word(slot.modwheel)) return truncated("modwheel values");
  for (auto& slot : s.slots)
    if (!r.Word(slot.icon)) return truncated("icons");
  for (auto& slot : s.slots) {
    uint16_t length = 0;
    if (!r.Half(length) || !r.Bytes(length, slot.name)) return truncated("names");
  }
  uint16_t count = 0;
  if (!r.Half(count)) return truncated("controller count");
  if (count != kControllerCount) {
    error = "the state holds " + Counted(count, "controller") + ", expected " +
            std::to_string(kControllerCount);
    return false;
  }
  for (auto& value : s.controllers)
    if (!r.Word(value)) return truncated("controllers");
  if (!r.Word(s.pageIndex) || !r.Word(s.selectedSlot)) return truncated("view state");
  if (r.Left() != 0) {
    // The slot additions' block, whole and well formed, or nothing.
    SlotAdditionsArray additions{};
    size_t used = 0;
    if (!DecodeExtensionBlock(bytes.data() + r.Offset(), r.Left(), additions, used)) {
      error = Counted(r.Left(), "byte") +
              " after the end of the state, not a well-formed block of slot additions";
      return false;
    }
    for (int i = 0; i < kSlotCount; ++i) s.slots[i].additions = additions[i];
    r.Skip(used);
  }
  if (r.Left() != 0) {
    error = Counted(r.Left(), "byte") + " after the end of the state";
    return false;
  }
  out = std::move(s);
  return true;
}

bool StateVersion(const std::vector<uint8_t>& bytes, int32_t& version) {
  Reader r(bytes);
  return r.Word(version);
}
