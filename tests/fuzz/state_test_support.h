// Shared by the state unit tests and the state fuzz target: streams of
// versions 1 to 5 composed field by field, and the properties every load must
// keep whatever bytes it is given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/data_model.h"
#include "state/extension_block.h"
#include "state/state_stream.h"
#include "tests/support/memory_stream.h"

// Field values as a stream of versions 3 to 5 carries them, defaulting to a
// new instance's; any count of controllers and any name bytes may be stored.
struct StoredState {
  int32_t channel = 0;
  int32_t port = 0;
  int32_t ccGhosting = 0;
  int32_t midiExtend = 0;
  int32_t preservePortChannel = 0;
  std::array<int32_t, kSlotCount> keyswitch = Filled(-1);
  std::array<int32_t, kSlotCount> uacc = Filled(-1);
  std::array<int32_t, kSlotCount> modwheel = Filled(-1);
  std::array<int32_t, kSlotCount> iconId = Filled(55);
  std::array<std::string, kSlotCount> name;
  std::vector<int32_t> controllers = {127, 127, 127, 127, 127, 0};
  int32_t pageIndex = 1;
  int32_t selectedSlot = 0;

  static std::array<int32_t, kSlotCount> Filled(int32_t value) {
    std::array<int32_t, kSlotCount> words;
    words.fill(value);
    return words;
  }

  StreamBytes Compose(int32_t version) const {
    StreamBytes s;
    s.Int32(version);
    s.Int32(channel);
    s.Int32(port);
    s.Int32(ccGhosting);
    if (version >= 4) s.Int32(midiExtend);
    if (version >= 5) s.Int32(preservePortChannel);
    for (int32_t w : keyswitch) s.Int32(w);
    for (int32_t w : uacc) s.Int32(w);
    for (int32_t w : modwheel) s.Int32(w);
    for (int32_t w : iconId) s.Int32(w);
    for (const std::string& n : name) s.Name(n);
    s.Uint16(static_cast<uint16_t>(controllers.size()));
    for (int32_t c : controllers) s.Int32(c);
    s.Int32(pageIndex);
    s.Int32(selectedSlot);
    return s;
  }
  std::vector<uint8_t> Bytes(int32_t version) const { return Compose(version).bytes; }
};

// A version-1 (uaccFlag < 0) or version-2 stream: channel, port, [flag,
// ccGhosting,] then one word per slot.
inline std::vector<uint8_t> EarlyStream(int32_t channel, int32_t port, int uaccFlag,
                                        int32_t ccGhosting,
                                        const std::array<int32_t, kSlotCount>& values) {
  StreamBytes s;
  s.Int32(uaccFlag < 0 ? 1 : 2);
  s.Int32(channel);
  s.Int32(port);
  if (uaccFlag >= 0) {
    s.Int32(uaccFlag);
    s.Int32(ccGhosting);
  }
  for (int32_t v : values) s.Int32(v);
  return s.bytes;
}

class RepaintLog : public EditorRepaint {
 public:
  void InvalidateEditor(bool gridOnly) override { calls.push_back(gridOnly); }
  std::vector<bool> calls;
};

inline std::vector<uint8_t> SavedBytes(const DataModel& model) {
  MemoryStream out;
  SaveState(model, out);
  return out.bytes;
}

inline void LoadBytes(DataModel& model, const std::vector<uint8_t>& bytes,
                      EditorRepaint* repaint = nullptr) {
  MemoryStream in(bytes);
  LoadState(model, in, repaint);
}

// Empty when everything a load can bring lies where the painter and the MIDI
// output can use it; otherwise the first field that does not.
inline std::string BrokenLimit(const DataModel& m) {
  auto within = [](int64_t v, int64_t lo, int64_t hi) { return v >= lo && v <= hi; };
  if (!within(m.selectedSlot, 0, 15)) return "selectedSlot " + std::to_string(m.selectedSlot);
  if (!within(m.pageIndex, 0, 2)) return "pageIndex " + std::to_string(m.pageIndex);
  if (!within(m.output.channel, 0, 15)) return "channel " + std::to_string(m.output.channel);
  if (!within(m.output.port, 0, 255)) return "port " + std::to_string(m.output.port);
  if (m.output.midiExtend != 0) return "midiExtend not 0";
  for (int i = 0; i < kSlotCount; ++i) {
    const std::string at = " of slot " + std::to_string(i);
    if (!within(m.bank.keyswitch[i], -1, 127)) return "keyswitch" + at;
    if (!within(m.bank.uacc[i], -1, 127)) return "uacc" + at;
    if (!within(m.bank.modwheel[i], -1, 127)) return "modwheel" + at;
    if (!within(m.bank.iconId[i], 0, 127)) return "iconId" + at;
    if (m.bank.name[i].size() > 255) return "name length" + at;
    if (m.bank.name[i].find('\0') != std::string::npos) return "zero byte in name" + at;
  }
  for (int i = 0; i < kControllerCount; ++i) {
    if (!within(m.controllers.value[i], 0, 127)) return "controller " + std::to_string(i);
  }
  return {};
}

// Loads arbitrary bytes and checks what must hold after any load. Empty when
// all holds, otherwise what broke.
inline std::string CheckLoadProperties(const uint8_t* data, size_t size) {
  int32_t version = 5;
  if (size >= 4) {
    version = static_cast<int32_t>(
        static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
        static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24);
  }

  // A new instance takes everything the stream holds.
  DataModel loaded;
  RepaintLog repaint;
  MemoryStream in(data, size);
  LoadState(loaded, in, &repaint);
  if (std::string broken = BrokenLimit(loaded); !broken.empty()) return "new instance: " + broken;
  if (repaint.calls != std::vector<bool>{false}) return "not one whole-panel repaint";
  if (loaded.freshInstance != 0) return "still fresh";
  if (loaded.currentSlot != 0 || loaded.sent.lastKeyswitch != 255 || loaded.sent.lastUacc != 255 ||
      loaded.sent.lastModwheel != 255 || loaded.pan != 0 || loaded.volume != 0) {
    return "not reset first";
  }
  if (version == 4 || version == 5) {
    if (loaded.output.ccGhosting != 0 && loaded.output.ccGhosting != 1)
      return "ccGhosting not reduced";
  }

  // What it saves loads back into another new instance and saves the same.
  const std::vector<uint8_t> first = SavedBytes(loaded);
  size_t nameBytes = 0;
  for (const std::string& n : loaded.bank.name.All()) nameBytes += n.size();
  // The additions' block comes only with additions, and only valid ones.
  const SlotAdditionsArray additions = loaded.additions.All();
  for (const SlotAdditions& slot : additions) {
    if (!IsValidAdditions(slot)) return "slot additions out of range";
  }
  if (first.size() != 346 + nameBytes + EncodeExtensionBlock(additions).size()) return "saved size";
  DataModel reloaded;
  MemoryStream again(first);
  LoadState(reloaded, again, nullptr);
  if (again.Unread() != 0) return "saved stream not read to its end";
  if (SavedBytes(reloaded) != first) return "save, load, save differs";
  if (!(reloaded.additions.All() == additions)) return "slot additions not kept by save and load";

  // An instance that has loaded before and preserves its address keeps it.
  DataModel preserving;
  preserving.freshInstance = 0;
  preserving.output.preservePortChannel = 1;
  preserving.output.channel = 7;
  preserving.output.port = 9;
  preserving.pageIndex = 2;
  preserving.selectedSlot = 3;
  MemoryStream third(data, size);
  LoadState(preserving, third, nullptr);
  if (std::string broken = BrokenLimit(preserving); !broken.empty()) return "preserving: " + broken;
  if (preserving.output.channel != 7 || preserving.output.port != 9) return "address not preserved";
  if (preserving.output.preservePortChannel != 1) return "preservePortChannel not kept";
  if (version != 3 && version != 4 && preserving.pageIndex != 2) return "pageIndex not kept";
  return {};
}
