#include "maps/formats/export_items.h"

#include "maps/icon_names.h"
#include "engine/note_names.h"

namespace {

std::string OnChannel(int channel) {
  return channel == 0 ? "" : " on channel " + std::to_string(channel);
}

}  // namespace

std::string MessageItem(const SlotMessage& m) {
  const std::string velocity = " v" + std::to_string(m.data2);
  if (m.action < 0) {
    if (m.status == 144) return "keyswitch " + NoteName(m.data1) + velocity;
    return (m.data1 == 32 ? "UACC " : "modwheel ") + std::to_string(m.data2);
  }
  switch (m.status) {
    case 144:
      return (m.held ? "held note " : "note ") + NoteName(m.data1) + velocity +
             OnChannel(m.channel);
    case 176:
      return "CC " + std::to_string(m.data1) + " = " + std::to_string(m.data2) +
             OnChannel(m.channel);
    case 192:
      return "program " + std::to_string(m.data1) + OnChannel(m.channel);
    default:
      return "pitch bend " + std::to_string((m.data2 << 7 | m.data1) - kPitchBendCentre) +
             OnChannel(m.channel);
  }
}

std::string NoteChannelItem(int channel) {
  return channel == 0 ? "notes on the plug-in's channel"
                      : "notes on channel " + std::to_string(channel);
}

std::string TransposeItem(int semitones) { return "transpose " + std::to_string(semitones); }
std::string LatencyItem(int milliseconds) { return "latency " + std::to_string(milliseconds) + " ms"; }

std::string IconItem(int icon) {
  const char* name = IconName(icon);
  return "icon " + std::to_string(icon) + (name ? " (" + std::string(name) + ")" : "");
}

std::vector<std::string> MessageItems(const SlotSettings& slot) {
  std::vector<std::string> items;
  for (const SlotMessage& m : SlotMessages(slot)) items.push_back(MessageItem(m));
  return items;
}

std::vector<std::string> NoteSettingItems(const SlotSettings& slot) {
  std::vector<std::string> items;
  if (slot.additions.transpose != 0) items.push_back(TransposeItem(slot.additions.transpose));
  if (slot.additions.latencyMs != 0) items.push_back(LatencyItem(slot.additions.latencyMs));
  const uint32_t channels = slot.additions.noteChannels;
  if (channels & kPluginChannelBit) items.push_back(NoteChannelItem(0));
  for (int c = 0; c < 16; ++c)
    if (channels & (1u << c)) items.push_back(NoteChannelItem(c + 1));
  return items;
}
