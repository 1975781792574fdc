// Version 5 is written field by field; versions 1 to 5 are read with their
// conversions. A project file is user data and may be truncated, corrupted or
// from a future version, so the readers hold to three rules:
//  - a field is applied only when all its bytes arrived; a missing word
//    leaves the field as it was before the word was read;
//  - nothing loaded can later make the painter read outside a strip or the
//    note-name table, or make the MIDI output send a data byte above 127;
//  - values within their working ranges are kept exactly as stored.
//
// Both directions take all the memory they need before the first byte moves:
// a save that runs out of memory throws having written nothing, a load
// having changed nothing (the host's boundary then answers for it).
#include "state/state_stream.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "state/extension_block.h"
#include "state/stream_io.h"

namespace {

constexpr uint16_t kWrittenControllerCount = kControllerCount;

// Fields under the preserve guard are applied only on the first load of an
// instance or while preservePortChannel is 0; evaluated when applied.
bool GuardedFieldsApply(const DataModel& model) {
  return model.freshInstance != 0 || model.output.preservePortChannel == 0;
}

// The output uses only the low four bits of the channel and the low byte of
// the port; keeping just those bits sends exactly where the stored value sent,
// and shows a channel and port the editor can display and edit.
void ReadOutputAddress(DataModel& model, StateReader& reader) {
  int32_t channel = 0;
  int32_t port = 0;
  const bool hasChannel = reader.ReadInt32(channel);
  const bool hasPort = reader.ReadInt32(port);
  if (!GuardedFieldsApply(model)) return;
  if (hasChannel) model.output.channel = channel & 0x0F;
  if (hasPort) model.output.port = port & 0xFF;
}

// What a load may allocate, allocated before the settings change: each
// name's room for the longest name kept, and room for the largest block.
struct LoadRoom {
  std::array<std::string, kSlotCount> names;
  std::vector<uint8_t> payload;
  LoadRoom() {
    for (std::string& name : names) name.reserve(kMaxNameLength);
    payload.reserve(kMaxExtensionLength);
  }
};

// A word is stored only when all its bytes arrived.
void ReadWord(Relaxed<int32_t>& word, StateReader& reader) {
  int32_t value = 0;
  if (reader.ReadInt32(value)) word = value;
}

void ReadSlotWords(SlotWords& words, StateReader& reader) {
  for (Relaxed<int32_t>& word : words) ReadWord(word, reader);
}

// The reset left every name empty; a name that does not arrive whole stays so.
void ReadNames(SlotNames& names, StateReader& reader, LoadRoom& room) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    std::string& name = room.names[slot];
    reader.ReadName(name, kMaxNameLength);
    names.Set(slot, std::move(name));
  }
}

// Values past the bank's sixth are read and dropped, so the view state that
// follows them is still read from its place.
void ReadControllers(DataModel& model, StateReader& reader) {
  uint16_t count = 0;
  reader.ReadUint16(count);
  for (uint32_t i = 0; i < count && !reader.Ended(); ++i) {
    int32_t value = 0;
    if (reader.ReadInt32(value) && i < static_cast<uint32_t>(kControllerCount)) {
      model.controllers.value[i] = value;
    }
  }
}

// A page or slot the panel does not have is dropped: the view stays where it was.
bool IsPage(int32_t page) { return page >= kArticulationPage && page <= kSettingsPage; }
bool IsSlot(int32_t slot) { return slot >= 0 && slot < kSlotCount; }

// Versions 3 to 5: the current layout, with midiExtend from version 4 on and
// preservePortChannel and the guarded page in version 5.
void ReadNamedVersion(DataModel& model, StateReader& reader, int32_t version, LoadRoom& room) {
  ReadOutputAddress(model, reader);
  ReadWord(model.output.ccGhosting, reader);
  if (version >= 4) {
    ReadWord(model.output.midiExtend, reader);
    if (version == 4) model.output.midiExtend = 0;
  }
  if (version == 5) {
    int32_t preserve = 0;
    if (reader.ReadInt32(preserve) && GuardedFieldsApply(model)) {
      model.output.preservePortChannel = preserve;
    }
  }
  ReadSlotWords(model.bank.keyswitch, reader);
  ReadSlotWords(model.bank.uacc, reader);
  ReadSlotWords(model.bank.modwheel, reader);
  ReadSlotWords(model.bank.iconId, reader);
  ReadNames(model.bank.name, reader, room);
  if (version >= 4) {
    model.output.ccGhosting &= 1;
    model.output.midiExtend = 0;
  }
  ReadControllers(model, reader);

  int32_t page = 0;
  int32_t slot = 0;
  const bool hasPage = reader.ReadInt32(page) && IsPage(page);
  if (reader.ReadInt32(slot) && IsSlot(slot)) model.selectedSlot = slot;
  // In version 5 the guard sees preservePortChannel as just loaded.
  if (hasPage && (version < 5 || GuardedFieldsApply(model))) model.pageIndex = page;
}

// The slot additions' block after a version-5 state: taken whole when it is
// there and well formed, ignored otherwise, so that a damaged or unknown
// block costs nothing read before it. It is read to its stated end only.
void ReadExtensionBlock(DataModel& model, StateReader& reader, LoadRoom& room) {
  uint8_t headerBytes[kExtensionHeaderSize];
  ExtensionHeader header;
  if (!reader.ReadBytes(headerBytes, sizeof headerBytes) ||
      !ReadExtensionHeader(headerBytes, header)) {
    return;
  }
  std::vector<uint8_t>& payload = room.payload;
  payload.resize(header.length);  // within the room: kMaxExtensionLength at most
  if (!reader.ReadBytes(payload.data(), header.length)) return;
  SlotAdditionsArray additions;
  if (DecodeExtensionPayload(header, payload.data(), additions)) model.additions.SetAll(additions);
}

// Versions 1 and 2: one value per slot, 0 meaning none; a slot with a value
// gets icon 1. Version 2 may mark the values as UACC instead of keyswitches.
void ReadEarlyVersion(DataModel& model, StateReader& reader, int32_t version) {
  ReadOutputAddress(model, reader);
  int32_t uaccFlag = 0;  // missing: keyswitches (the values are missing too)
  if (version == 2) {
    reader.ReadInt32(uaccFlag);
    ReadWord(model.output.ccGhosting, reader);
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    int32_t value = 0;
    if (!reader.ReadInt32(value) || value == 0) continue;  // a missing word converts nothing
    model.bank.keyswitch[slot] = value;
    model.bank.iconId[slot] = 1;
  }
  if (uaccFlag != 0) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      model.bank.uacc[slot] = model.bank.keyswitch[slot];
      model.bank.keyswitch[slot] = kUnset;
    }
  }
}

// Below -1 means nothing to send; above 127 is no MIDI data byte.
int32_t LimitMessageValue(int32_t value) { return std::clamp<int32_t>(value, kUnset, 127); }

// The bank and controllers hold only reset or loaded values here, so limiting
// them touches nothing but what the stream brought.
void KeepLoadedValuesInRange(DataModel& model) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    model.bank.keyswitch[slot] = LimitMessageValue(model.bank.keyswitch[slot]);
    model.bank.uacc[slot] = LimitMessageValue(model.bank.uacc[slot]);
    model.bank.modwheel[slot] = LimitMessageValue(model.bank.modwheel[slot]);
    model.bank.iconId[slot] = std::clamp<int32_t>(model.bank.iconId[slot], 0, kIconLimit);
  }
  for (Relaxed<int32_t>& value : model.controllers.value)
    value = std::clamp<int32_t>(value, 0, 127);
  // The view state survives versions that do not carry it; whatever it held
  // before, the panel must be able to show it.
  if (!IsSlot(model.selectedSlot)) model.selectedSlot = 0;
  if (!IsPage(model.pageIndex)) model.pageIndex = kControllerPage;
}

}  // namespace

void SaveState(const DataModel& model, ByteStream& out) {
  const std::array<std::string, kSlotCount> names = model.bank.name.All();
  // Only a state that uses the slot additions carries their block.
  const std::vector<uint8_t> block = EncodeExtensionBlock(model.additions.All());
  StateWriter writer(out);
  writer.WriteInt32(kStateVersion);
  writer.WriteInt32(model.output.channel);
  writer.WriteInt32(model.output.port);
  // Versions 2 and 3 keep all 32 bits of ccGhosting, but version 5 keeps only
  // bit 0 of it: written as stored, a 2 would load back as "off".
  writer.WriteInt32(model.output.ccGhosting != 0 ? 1 : 0);
  writer.WriteInt32(model.output.midiExtend);
  writer.WriteInt32(model.output.preservePortChannel);
  for (int32_t word : model.bank.keyswitch) writer.WriteInt32(word);
  for (int32_t word : model.bank.uacc) writer.WriteInt32(word);
  for (int32_t word : model.bank.modwheel) writer.WriteInt32(word);
  for (int32_t word : model.bank.iconId) writer.WriteInt32(word);
  for (const std::string& name : names) writer.WriteName(name);
  writer.WriteUint16(kWrittenControllerCount);
  for (int32_t value : model.controllers.value) writer.WriteInt32(value);
  writer.WriteInt32(model.pageIndex);
  writer.WriteInt32(model.selectedSlot);
  writer.WriteBytes(block.data(), static_cast<uint32_t>(block.size()));
}

void LoadState(DataModel& model, ByteStream& in, EditorRepaint* repaint) {
  LoadRoom room;
  model.ResetToDefaults();
  StateReader reader(in);
  int32_t version = kStateVersion;  // a stream without a version word reads as version 5
  reader.ReadInt32(version);
  switch (version) {
    case 1:
    case 2:
      ReadEarlyVersion(model, reader, version);
      break;
    case 3:
    case 4:
    case 5:
      ReadNamedVersion(model, reader, version, room);
      if (version == 5) ReadExtensionBlock(model, reader, room);
      break;
    default:
      break;  // a version this build does not know: the reset state stands
  }
  KeepLoadedValuesInRange(model);
  model.PublishSlots();
  model.ForgetSentControllers();
  if (repaint) repaint->InvalidateEditor(false);
  model.freshInstance = 0;
}
